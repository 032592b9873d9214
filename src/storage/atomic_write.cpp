// Crash-safe replacement of the data files: temporary file in the same
// folder, each written on its own thread with checked writes, fsync,
// rename, fsync of the folder.
#include "storage/atomic_write.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <new>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include "storage/put_in_place.h"

namespace {

constexpr std::string_view SUFFISSO_TEMPORANEO = ".tmp-";
constexpr std::size_t CARATTERI_CASUALI = 6; // the XXXXXX of mkstemp
constexpr int SALTI_MAX = 40;                // symbolic links followed at most
constexpr mode_t PERMESSI_NUOVO = S_IRUSR | S_IWUSR;

struct SCRITTURA {
    std::string destinazione; // the data file, links followed
    std::string cartella;
    std::string nome;
    std::string temporaneo; // empty until created
};

std::string cartella_di(const std::string& percorso) {
    const std::size_t barra = percorso.rfind('/');
    if (barra == std::string::npos) return ".";
    if (barra == 0) return "/";
    return percorso.substr(0, barra);
}

std::string nome_di(const std::string& percorso) {
    const std::size_t barra = percorso.rfind('/');
    return barra == std::string::npos ? percorso : percorso.substr(barra + 1);
}

std::string unisci(const std::string& cartella, std::string_view nome) {
    std::string p = cartella;
    if (p.back() != '/') p += '/';
    p += nome;
    return p;
}

// The file a path finally names once symbolic links are followed (a link
// whose target does not exist yet names that target).
std::string segui_collegamenti(std::string percorso) {
    for (int salti = 0; salti < SALTI_MAX; ++salti) {
        struct stat st;
        if (lstat(percorso.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return percorso;
        std::vector<char> buf(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1);
        const ssize_t n = readlink(percorso.c_str(), buf.data(), buf.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buf.size()) return percorso;
        const std::string bersaglio(buf.data(), static_cast<std::size_t>(n));
        percorso = bersaglio[0] == '/' ? bersaglio : unisci(cartella_di(percorso), bersaglio);
    }
    return percorso; // still a link: the checks that follow refuse it
}

bool scrivi_intero(int fd, std::string_view dati) {
    while (!dati.empty()) {
        const ssize_t n = write(fd, dati.data(), dati.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        dati.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

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
bool scrivi_contenuto(int fd, const PROSSIMA_PARTE& contenuto, const std::atomic<bool>& fermo) {
    try {
        std::string blocco;
        blocco.reserve(BLOCCO_SCRITTURA + BLOCCO_SCRITTURA / 16); // a block and the part past it
        off_t scritti = 0;
        while (contenuto(blocco)) {
            if (blocco.size() < BLOCCO_SCRITTURA) continue;
            if (fermo.load(std::memory_order_relaxed) || !scrivi_blocco(fd, blocco, scritti))
                return false;
            blocco.clear();
        }
        return scrivi_blocco(fd, blocco, scritti);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Creates, fills and flushes the temporary file of one data file.
bool prepara(const FILE_DA_SCRIVERE& f, SCRITTURA& s, const std::atomic<bool>& fermo) {
    if (f.percorso == nullptr || f.percorso[0] == '\0') return false;
    s.destinazione = segui_collegamenti(f.percorso);
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
        permessi = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        return false;
    }

    std::string modello = unisci(s.cartella, "." + s.nome);
    modello += SUFFISSO_TEMPORANEO;
    modello.append(CARATTERI_CASUALI, 'X');
    const int fd = mkostemp(modello.data(), O_CLOEXEC);
    if (fd < 0) return false;
    s.temporaneo = std::move(modello);
    // The replaced file keeps its owner where the system allows it.
    if (esiste && (st.st_uid != geteuid() || st.st_gid != getegid()))
        (void)!fchown(fd, st.st_uid, st.st_gid);
    fchmod(fd, permessi); // where the file system keeps no modes, mkstemp's 0600 stays
    const bool scritto = scrivi_contenuto(fd, f.contenuto, fermo) && fsync(fd) == 0;
    return close(fd) == 0 && scritto;
}

// Prepares every file at the same time, each on its own thread (on this
// one when no other can be started). True when all were written and
// flushed; a failure stops the others at their next block.
bool prepara_tutti(std::span<const FILE_DA_SCRIVERE> files, std::vector<SCRITTURA>& scritture) {
    std::atomic<bool> fallito{false};
    const auto lavoro = [&](std::size_t i) {
        bool pronto = false;
        try {
            pronto = prepara(files[i], scritture[i], fallito);
        } catch (...) {
            pronto = false;
        }
        if (!pronto) fallito.store(true, std::memory_order_relaxed);
    };
    std::vector<std::thread> paralleli;
    std::vector<std::size_t> qui;
    paralleli.reserve(files.size());
    qui.reserve(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i == 0) {
            qui.push_back(i);
            continue;
        }
        try {
            paralleli.emplace_back(lavoro, i);
        } catch (...) {
            qui.push_back(i);
        }
    }
    for (std::size_t i : qui) lavoro(i);
    for (std::thread& t : paralleli) t.join();
    return !fallito.load();
}

void sincronizza_cartella(const std::string& cartella) {
    const int fd = open(cartella.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd); // not every file system can; the renames are done either way
    close(fd);
}

// Removes the temporary files of the data file `nome` that a crash left in `cartella`.
void togli_avanzi(const std::string& cartella, const std::string& nome) {
    DIR* d = opendir(cartella.c_str());
    if (d == nullptr) return;
    while (const dirent* voce = readdir(d)) {
        if (!nome_temporaneo_di(voce->d_name, nome)) continue;
        struct stat st;
        if (fstatat(dirfd(d), voce->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            unlinkat(dirfd(d), voce->d_name, 0);
    }
    closedir(d);
}

} // namespace

bool nome_temporaneo_di(std::string_view voce, std::string_view nome) {
    const std::size_t lunghezza = 1 + nome.size() + SUFFISSO_TEMPORANEO.size() + CARATTERI_CASUALI;
    if (voce.size() != lunghezza || voce[0] != '.') return false;
    if (voce.substr(1, nome.size()) != nome) return false;
    if (voce.substr(1 + nome.size(), SUFFISSO_TEMPORANEO.size()) != SUFFISSO_TEMPORANEO)
        return false;
    for (char c : voce.substr(lunghezza - CARATTERI_CASUALI)) {
        const bool valido =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!valido) return false;
    }
    return true;
}

bool sostituisci_file(std::span<const FILE_DA_SCRIVERE> files, const PASSI_SOSTITUZIONE* passi) {
    std::vector<SCRITTURA> scritture(files.size());
    bool pronti = prepara_tutti(files, scritture);
    RINOMINE rinomine;
    if (pronti) {
        try {
            for (const SCRITTURA& s : scritture) rinomine.emplace_back(s.temporaneo, s.destinazione);
            if (passi != nullptr && passi->prima_di_rinominare) passi->prima_di_rinominare(rinomine);
        } catch (const std::bad_alloc&) {
            pronti = false;
        }
    }
    if (pronti) {
        pronti = metti_al_posto(rinomine, passi != nullptr ? passi->rinomina_fallita
                                                          : std::function<void()>());
        if (pronti)
            for (SCRITTURA& s : scritture) s.temporaneo.clear();
    }
    for (const SCRITTURA& s : scritture)
        if (!s.temporaneo.empty()) unlink(s.temporaneo.c_str());
    if (!pronti) return false;
    // Leftovers of a stopped save are known stale only under the archive's
    // lock: without it they may be another program's save under way.
    if (passi != nullptr && passi->sotto_blocco)
        for (const SCRITTURA& s : scritture) togli_avanzi(s.cartella, s.nome);
    return true;
}
