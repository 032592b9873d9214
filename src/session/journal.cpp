// The journal file: created whole beside the fines file, appended to and
// flushed at each operation, set aside under a dated name, removed.
#include "session/journal.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "console/console.h"
#include "storage/file_ops.h"

namespace {

constexpr const char* SUFFISSO = ".giornale";
// A journal this long is no journal of ours: it is set aside unread.
constexpr off_t LUNGHEZZA_MAX = off_t{256} << 20;

int fd_giornale = -1;
std::string percorso_in_uso;
bool avvisato = false; // the clerk knows the work is not protected

void smetti() {
    if (fd_giornale >= 0) close(fd_giornale);
    fd_giornale = -1;
}

// Removes the temporary files that starting this journal left when a stop
// came before their rename. Only the holder of the archive's lock starts
// its journal, so none of them is being written.
void togli_temporanei(const std::string& percorso) {
    const std::string prefisso = nome_di(percorso) + ".tmp-";
    togli_file_se(cartella_di(percorso), [&](std::string_view nome) {
        return nome.size() == prefisso.size() + 6 && nome.starts_with(prefisso);
    });
}

bool scrivi_e_sincronizza(int fd, std::string_view dati) {
    return scrivi_intero(fd, dati) && fdatasync(fd) == 0;
}

} // namespace

std::string percorso_giornale(const std::string& file_c) {
    return file_c + SUFFISSO;
}

bool leggi_file_giornale(const std::string& percorso, GIORNALE_LETTO& g) {
    g = GIORNALE_LETTO{};
    const int fd = open(percorso.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        // A journal that is there but cannot be opened is still a journal to keep.
        return errno != ENOENT;
    }
    struct stat st;
    std::string dati;
    bool letto = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= LUNGHEZZA_MAX;
    try {
        if (letto) {
            dati.resize(static_cast<std::size_t>(st.st_size));
            dati.resize(leggi_intero(fd, dati.data(), dati.size()));
        }
        close(fd);
        if (letto) g = decodifica_giornale(dati);
    } catch (const std::bad_alloc&) {
        close(fd);
        g = GIORNALE_LETTO{};
    }
    return true;
}

bool giornale_avvia(const std::string& percorso, std::span<const VOCE_GIORNALE> voci) {
    smetti();
    percorso_in_uso = percorso;
    std::string dati(INTESTAZIONE_GIORNALE);
    std::string temporaneo = percorso + ".tmp-XXXXXX";
    try {
        for (const VOCE_GIORNALE& v : voci) codifica_voce(v, dati);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const int fd = mkostemp(temporaneo.data(), O_CLOEXEC | O_APPEND);
    if (fd < 0) return false;
    if (!scrivi_e_sincronizza(fd, dati) || rename(temporaneo.c_str(), percorso.c_str()) != 0) {
        close(fd);
        unlink(temporaneo.c_str());
        return false;
    }
    sincronizza_cartella(cartella_di(percorso));
    togli_temporanei(percorso);
    fd_giornale = fd;
    avvisato = false;
    return true;
}

bool giornale_riprendi(const std::string& percorso, std::size_t lunghezza) {
    smetti();
    percorso_in_uso = percorso;
    const int fd = open(percorso.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    if (ftruncate(fd, static_cast<off_t>(lunghezza)) != 0 || fdatasync(fd) != 0) {
        close(fd);
        return false;
    }
    fd_giornale = fd;
    avvisato = false;
    return true;
}

VOCE_GIORNALE voce_di_adesso(TIPO_VOCE tipo) {
    VOCE_GIORNALE v;
    v.tipo = tipo;
    v.ora = static_cast<int64_t>(std::time(nullptr));
    return v;
}

bool giornale_aggiungi(const VOCE_GIORNALE& voce) {
    if (fd_giornale < 0) return false;
    std::string dati;
    try {
        codifica_voce(voce, dati);
    } catch (const std::bad_alloc&) {
        smetti();
        return false;
    }
    if (scrivi_e_sincronizza(fd_giornale, dati)) return true;
    // A part of the entry may be there: it is a torn tail, which reading drops.
    smetti();
    return false;
}

bool giornale_attivo() {
    return fd_giornale >= 0;
}

const std::string& giornale_in_uso() {
    return percorso_in_uso;
}

void giornale_rimuovi() {
    smetti();
    if (!percorso_in_uso.empty()) unlink(percorso_in_uso.c_str());
    percorso_in_uso.clear();
}

std::string metti_da_parte(const std::string& percorso) {
    const std::time_t ora = std::time(nullptr);
    std::tm t{};
    localtime_r(&ora, &t);
    char data[32];
    std::strftime(data, sizeof data, ".%Y%m%d-%H%M%S", &t);
    const std::string base = percorso + data;
    for (int n = 1; n < 100; ++n) {
        const std::string nuovo = n == 1 ? base : base + "-" + std::to_string(n);
        if (rinomina_senza_sostituire(percorso, nuovo)) {
            if (percorso == percorso_in_uso) smetti();
            return nuovo;
        }
        if (errno != EEXIST) return "";
    }
    return "";
}

void annota_nel_giornale(std::span<const MODIFICA> gruppo, bool completo) {
    if (fd_giornale < 0) return; // the clerk has been told already
    bool scritto = false;
    if (completo) {
        try {
            VOCE_GIORNALE v = voce_di_adesso(TIPO_VOCE::MODIFICHE);
            v.modifiche.assign(gruppo.begin(), gruppo.end());
            scritto = giornale_aggiungi(v);
        } catch (const std::bad_alloc&) {
            scritto = false;
        }
    }
    if (scritto) return;
    smetti();
    if (avvisa_giornale_mancante(percorso_in_uso)) pausa();
}

bool avvisa_giornale_mancante(const std::string& percorso) {
    if (avvisato) return false;
    avvisato = true;
    console_out() << "\n ! ATTENZIONE\n\nImpossibile scrivere il giornale delle modifiche\n";
    stampa_percorso(percorso);
    console_out() << "\nIl lavoro non e' protetto contro un'interruzione improvvisa:\n"
                     "salvare spesso.\n\n";
    return true;
}
