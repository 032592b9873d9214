// Opening the register with the checks of the program's own files,
// reading its last line, appending and flushing.
#include "register/register_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "storage/file_ops.h"

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

bool leggi_coda(int fd, CODA_REGISTRO& coda) {
    coda = CODA_REGISTRO{};
    struct stat st;
    if (fstat(fd, &st) != 0) return false;
    if (st.st_size == 0) return true;
    std::string ultimo;
    if (!leggi_in(fd, st.st_size - 1, 1, ultimo)) return false;
    coda.a_capo = ultimo == "\n";
    // The last whole line: before the final line end, or before a torn tail.
    off_t fine = st.st_size - 1;
    if (!coda.a_capo && !inizio_riga(fd, st.st_size, fine)) return false;
    if (fine <= 0) return true;
    if (!coda.a_capo) --fine;
    off_t inizio = 0;
    std::string riga;
    if (!inizio_riga(fd, fine, inizio) ||
        !leggi_in(fd, inizio, static_cast<std::size_t>(fine - inizio), riga))
        return false;
    json voce;
    if (controlla_riga(riga, voce) != RIGA_REGISTRO::ILLEGGIBILE) coda.ultima = std::move(voce);
    return true;
}

} // namespace

std::string percorso_registro(const std::string& file_c) {
    return file_c + SUFFISSO;
}

int apri_file_registro(const std::string& percorso, CODA_REGISTRO& coda) {
    const int fd = open(percorso.c_str(),
                        O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    bool usabile = false;
    try {
        usabile = registro_fidato(fd) && leggi_coda(fd, coda);
    } catch (const std::exception&) {
        usabile = false;
    }
    if (usabile) return fd;
    close(fd);
    return -1;
}

bool leggi_coda_registro(const std::string& percorso, CODA_REGISTRO& coda) {
    const int fd = open(percorso.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    bool letta = false;
    try {
        letta = registro_fidato(fd) && leggi_coda(fd, coda);
    } catch (const std::exception&) {
        letta = false;
    }
    close(fd);
    return letta;
}

bool appendi_al_registro(int fd, std::string_view righe) {
    return scrivi_intero(fd, righe) && fdatasync(fd) == 0;
}
