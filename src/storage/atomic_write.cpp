// Crash-safe replacement of the data files: temporary file in the same
// folder, each written on its own thread with checked writes and flushed,
// then all put in place together (put_in_place).
#include "storage/atomic_write.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <new>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include "storage/block_hasher.h"
#include "storage/file_ops.h"
#include "storage/put_in_place.h"

namespace {

constexpr std::string_view SUFFISSO_TEMPORANEO = ".tmp-";
constexpr std::size_t CARATTERI_CASUALI = 6; // the XXXXXX of mkstemp
constexpr mode_t PERMESSI_NUOVO = S_IRUSR | S_IWUSR;
// What a replaced data file keeps of its permissions: its owner and group
// bits, never any for others (a data file holds personal data).
constexpr mode_t PERMESSI_TENUTI = S_IRWXU | S_IRWXG;

struct SCRITTURA {
    std::string destinazione; // the data file, links followed
    std::string cartella;
    std::string nome;
    std::string temporaneo; // empty until created
    int fd = -1;            // the temporary file, kept open and locked when asked
    IMPRONTA impronta{};    // of the content written, when asked
};

// Writes a block at the end of what was written so far, then tells the
// system that none of it will be read again: the system starts writing
// the new pages to disk at once and drops from the page cache those
// already there. The content so goes out at the disk's own pace while the
// next blocks are prepared, the flush at the end finds little left to do,
// and a save never fills the page cache.
bool scrivi_blocco(int fd, std::string_view dati, off_t& scritti) {
    if (!scrivi_intero(fd, dati)) return false;
    scritti += static_cast<off_t>(dati.size());
    posix_fadvise(fd, 0, scritti, POSIX_FADV_DONTNEED); // only advice: its failure changes nothing
    return true;
}

// The whole content, gathered part by part and written a block at a time;
// given up, false, as soon as `fermo` is set (another file failed).
// With `impronta`, each block is hashed, once written, on a thread of its
// own (block_hasher.h) while the next one is prepared.
bool scrivi_contenuto(int fd, const PROSSIMA_PARTE& contenuto, const std::atomic<bool>& fermo,
                      IMPRONTA* impronta) {
    constexpr std::size_t CAPIENZA = BLOCCO_SCRITTURA + BLOCCO_SCRITTURA / 16; // a block and the
                                                                               // part past it
    HASH_A_PARTE hash;
    bool scritto = false;
    try {
        if (impronta != nullptr) avvia_hash(hash);
        std::string blocco;
        blocco.reserve(CAPIENZA);
        off_t scritti = 0;
        const auto scrivi = [&] {
            if (!scrivi_blocco(fd, blocco, scritti)) return false;
            if (impronta != nullptr) {
                consegna_blocco(hash, blocco, CAPIENZA);
            } else {
                blocco.clear();
            }
            return true;
        };
        scritto = true;
        while (scritto && contenuto(blocco)) {
            if (blocco.size() < BLOCCO_SCRITTURA) continue;
            scritto = !fermo.load(std::memory_order_relaxed) && scrivi();
        }
        scritto = scritto && scrivi();
    } catch (const std::bad_alloc&) {
        scritto = false;
    } catch (...) {
        abbandona_hash(hash); // a thread is never left running
        throw;
    }
    if (impronta == nullptr) return scritto;
    if (!scritto) {
        abbandona_hash(hash);
        return false;
    }
    *impronta = chiudi_hash(hash);
    return true;
}

// Creates, fills and flushes the temporary file of one data file. It stays
// owner-only (mkstemp's 0600) until its content is complete and flushed;
// then it takes the permissions the data file will have: a new one stays
// 0600, a replaced one keeps its owner and group bits and gets none for
// others. In a folder others may write to, a file of another user is not
// replaced, and a link is followed only when it is this user's or root's.
bool prepara(const FILE_DA_SCRIVERE& f, SCRITTURA& s, bool blocca, bool impronta,
             const std::atomic<bool>& fermo) {
    if (f.percorso == nullptr || f.percorso[0] == '\0') return false;
    bool fidato = true;
    s.destinazione = segui_collegamenti(f.percorso, &fidato);
    if (!fidato) return false;
    s.cartella = cartella_di(s.destinazione);
    s.nome = nome_di(s.destinazione);
    if (s.nome.empty() || s.nome == "." || s.nome == "..") return false;

    mode_t permessi = PERMESSI_NUOVO;
    struct stat st;
    const bool esiste = stat(s.destinazione.c_str(), &st) == 0;
    if (esiste) {
        // A data file the user may not write stays as it is: renaming over
        // it would get round its protection.
        if (!S_ISREG(st.st_mode) || access(s.destinazione.c_str(), W_OK) != 0) return false;
        if (!sostituibile(s.destinazione)) return false;
        permessi = st.st_mode & PERMESSI_TENUTI;
    } else if (errno != ENOENT) {
        return false;
    }

    std::string modello = unisci(s.cartella, "." + s.nome);
    modello += SUFFISSO_TEMPORANEO;
    modello.append(CARATTERI_CASUALI, 'X');
    const int fd = mkostemp(modello.data(), O_CLOEXEC);
    if (fd < 0) return false;
    s.temporaneo = std::move(modello);
    bool scritto = scrivi_contenuto(fd, f.contenuto, fermo, impronta ? &s.impronta : nullptr) &&
                   fsync(fd) == 0;
    if (scritto) {
        // The replaced file keeps its owner where the system allows it.
        if (esiste && (st.st_uid != geteuid() || st.st_gid != getegid()))
            (void)!fchown(fd, st.st_uid, st.st_gid);
        fchmod(fd, permessi); // where the file system keeps no modes, mkstemp's 0600 stays
    }
    if (scritto && blocca && flock(fd, LOCK_EX | LOCK_NB) == 0) {
        s.fd = fd;
        return true;
    }
    return close(fd) == 0 && scritto && !blocca;
}

// Prepares every file at the same time: the first on this thread, each
// other on its own (on this one too, once no more threads can be started).
// True when all were written and flushed; a failure stops the others at
// their next block.
bool prepara_tutti(std::span<const FILE_DA_SCRIVERE> files, std::vector<SCRITTURA>& scritture,
                   bool blocca, bool impronte) {
    std::atomic<bool> fallito{false};
    const auto lavoro = [&](std::size_t i) {
        bool pronto = false;
        try {
            pronto = prepara(files[i], scritture[i], blocca, impronte, fallito);
        } catch (...) {
            pronto = false;
        }
        if (!pronto) fallito.store(true, std::memory_order_relaxed);
    };
    std::vector<std::thread> paralleli;
    std::size_t avviati = 1; // files 1 to avviati - 1 have a thread of their own
    try {
        for (; avviati < files.size(); ++avviati) paralleli.emplace_back(lavoro, avviati);
    } catch (...) {
        // No more threads: the files left are prepared on this one.
    }
    if (!files.empty()) lavoro(0);
    for (std::size_t i = avviati; i < files.size(); ++i) lavoro(i);
    for (std::thread& t : paralleli) t.join();
    return !fallito.load();
}

} // namespace

namespace {

bool caratteri_casuali(std::string_view s) {
    if (s.size() != CARATTERI_CASUALI) return false;
    for (char c : s) {
        const bool valido =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!valido) return false;
    }
    return true;
}

// Closes the temporary files kept open; -1 is nothing.
void chiudi_tutti(std::vector<SCRITTURA>& scritture) {
    for (SCRITTURA& s : scritture)
        if (s.fd >= 0) close(s.fd);
}

} // namespace

bool nome_temporaneo_di(std::string_view voce, std::string_view nome) {
    const std::string_view copia = ".bak-";
    if (voce.size() == nome.size() + copia.size() + CARATTERI_CASUALI && voce.starts_with(nome) &&
        voce.substr(nome.size(), copia.size()) == copia)
        return caratteri_casuali(voce.substr(voce.size() - CARATTERI_CASUALI));
    const std::size_t lunghezza = 1 + nome.size() + SUFFISSO_TEMPORANEO.size() + CARATTERI_CASUALI;
    if (voce.size() != lunghezza || voce[0] != '.') return false;
    if (voce.substr(1, nome.size()) != nome) return false;
    if (voce.substr(1 + nome.size(), SUFFISSO_TEMPORANEO.size()) != SUFFISSO_TEMPORANEO)
        return false;
    return caratteri_casuali(voce.substr(lunghezza - CARATTERI_CASUALI));
}

bool prepara_file(std::span<const FILE_DA_SCRIVERE> files, bool impronte, FILE_PREPARATI& p) {
    p = FILE_PREPARATI{};
    std::vector<SCRITTURA> scritture(files.size());
    bool pronti = prepara_tutti(files, scritture, true, impronte);
    try {
        std::vector<std::string> temporanei;
        for (const SCRITTURA& s : scritture) {
            if (!s.temporaneo.empty()) p.rinomine.emplace_back(s.temporaneo, s.destinazione);
            if (s.fd >= 0) p.descrittori.push_back(s.fd);
            temporanei.push_back(s.temporaneo);
            if (impronte) p.impronte.push_back(s.impronta);
        }
        // Their names are on disk before any note names them.
        pronti = pronti && sincronizza_cartelle_di(temporanei);
    } catch (const std::bad_alloc&) {
        pronti = false;
    }
    if (pronti) return true;
    chiudi_tutti(scritture);
    for (const SCRITTURA& s : scritture)
        if (!s.temporaneo.empty()) unlink(s.temporaneo.c_str());
    p = FILE_PREPARATI{};
    return false;
}

bool metti_preparati(FILE_PREPARATI& p, ESITO_POSTO& esito) {
    return metti_al_posto(p.rinomine, esito);
}

void rinuncia_preparati(FILE_PREPARATI& p) {
    chiudi_preparati(p);
    for (const auto& [temporaneo, dati] : p.rinomine) unlink(temporaneo.c_str());
    p.rinomine.clear();
}

void chiudi_preparati(FILE_PREPARATI& p) {
    for (int fd : p.descrittori) close(fd);
    p.descrittori.clear();
}

bool sostituisci_file(std::span<const FILE_DA_SCRIVERE> files) {
    FILE_PREPARATI p;
    if (!prepara_file(files, false, p)) return false;
    ESITO_POSTO esito;
    if (!metti_preparati(p, esito)) {
        rinuncia_preparati(p);
        return false;
    }
    chiudi_preparati(p);
    return true;
}

void togli_avanzi(const std::string& file) {
    const std::string destinazione = segui_collegamenti(file);
    const std::string nome = nome_di(destinazione);
    togli_file_se(cartella_di(destinazione),
                  [&](std::string_view voce) { return nome_temporaneo_di(voce, nome); });
}
