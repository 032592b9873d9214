// Opening the register with the checks of the program's own files,
// reading its last line, appending in place and flushing.
#include "register/register_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* SUFFISSO = ".registro";
constexpr off_t PEZZO = 64 * 1024; // read backwards a piece at a time

// A file the program may append its register to: regular, this user's,
// one name only, writable by nobody else.
bool registro_fidato(int fd) {
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() &&
           st.st_nlink == 1 && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool leggi_in(int fd, off_t da, std::size_t n, std::string& dati) {
    dati.resize(n);
    std::size_t letti = 0;
    while (letti < n) {
        const ssize_t k = pread(fd, dati.data() + letti, n - letti, da + static_cast<off_t>(letti));
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) return false;
        letti += static_cast<std::size_t>(k);
    }
    return true;
}

// Where the line ending before `fine` starts: after the last line end
// before it, or at 0.
bool inizio_riga(int fd, off_t fine, off_t& inizio) {
    std::string pezzo;
    for (off_t a = fine; a > 0;) {
        const off_t da = a > PEZZO ? a - PEZZO : 0;
        if (!leggi_in(fd, da, static_cast<std::size_t>(a - da), pezzo)) return false;
        const std::size_t p = pezzo.rfind('\n');
        if (p != std::string::npos) {
            inizio = da + static_cast<off_t>(p) + 1;
            return true;
        }
        a = da;
    }
    inizio = 0;
    return true;
}

// How the register ends, its content ending at `contenuto` (zeros after).
bool leggi_coda(int fd, off_t contenuto, CODA_REGISTRO& coda) {
    coda = CODA_REGISTRO{};
    if (contenuto == 0) return true;
    std::string riga;
    if (!leggi_in(fd, contenuto - 1, 1, riga)) return false;
    coda.a_capo = riga == "\n";
    // The line end of the last whole line: the final one, or the one
    // before a torn tail (-1: there is none).
    off_t fine = contenuto - 1;
    if (!coda.a_capo) {
        if (!inizio_riga(fd, contenuto, fine)) return false;
        --fine;
    }
    while (fine > 0) {
        off_t inizio = 0;
        if (!inizio_riga(fd, fine, inizio) ||
            !leggi_in(fd, inizio, static_cast<std::size_t>(fine - inizio), riga))
            return false;
        // The debris of a torn write in place: the entry before it is the last.
        if (riga.find('\0') == std::string::npos) {
            json voce;
            if (controlla_riga(riga, voce) != RIGA_REGISTRO::ILLEGGIBILE)
                coda.ultima = std::move(voce);
            return true;
        }
        fine = inizio - 1;
    }
    return true;
}

// Where the content of the open register ends; -1 when it cannot be read.
off_t fine_registro(int fd, off_t& dimensione) {
    struct stat st;
    if (fstat(fd, &st) != 0) return -1;
    dimensione = st.st_size;
    return fine_del_testo(fd, st.st_size);
}

} // namespace

std::string percorso_registro(const std::string& file_c) {
    return file_c + SUFFISSO;
}

bool apri_file_registro(const std::string& percorso, FILE_ACCODATO& f, CODA_REGISTRO& coda) {
    f = FILE_ACCODATO{};
    const int fd =
        open(percorso.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool usabile = false;
    off_t dimensione = 0, fine = -1;
    try {
        usabile = registro_fidato(fd) && (fine = fine_registro(fd, dimensione)) >= 0 &&
                  leggi_coda(fd, fine, coda);
    } catch (const std::exception&) {
        usabile = false;
    }
    if (!usabile) {
        close(fd);
        return false;
    }
    f = {fd, fine, dimensione};
    return true;
}

bool leggi_coda_registro(const std::string& percorso, CODA_REGISTRO& coda) {
    const int fd = open(percorso.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    bool letta = false;
    off_t dimensione = 0, fine = -1;
    try {
        letta = registro_fidato(fd) && (fine = fine_registro(fd, dimensione)) >= 0 &&
                leggi_coda(fd, fine, coda);
    } catch (const std::exception&) {
        letta = false;
    }
    close(fd);
    return letta;
}

bool appendi_al_registro(FILE_ACCODATO& f, std::string_view righe) {
    return accoda_in_posto(f, righe);
}

void chiudi_file_registro(FILE_ACCODATO& f, bool restituisci) {
    if (f.fd < 0) return;
    if (restituisci) restituisci_spazio(f);
    close(f.fd);
    f = FILE_ACCODATO{};
}
