// A register read line by line through the C library's getline, however
// long a line is, up to the zeros at its end.
#include "register/reading.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

LETTURA_REGISTRO leggi_registro(const std::string& percorso,
                                const std::function<void(const RIGA_LETTA&)>& riga) {
    const int fd = open(percorso.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? LETTURA_REGISTRO::ASSENTE : LETTURA_REGISTRO::ILLEGGIBILE;
    struct stat st;
    FILE* f = nullptr;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (f = fdopen(fd, "r")) == nullptr) {
        close(fd);
        return LETTURA_REGISTRO::ILLEGGIBILE;
    }
    char* buffer = nullptr;
    std::size_t capacita = 0;
    RIGA_LETTA r;
    ssize_t n;
    errno = 0;
    while ((n = getline(&buffer, &capacita, f)) > 0) {
        r.completa = buffer[n - 1] == '\n';
        // Only the last line lacks its end: the zeros a session keeps
        // ahead of the content are no part of it.
        if (!r.completa)
            while (n > 0 && buffer[n - 1] == '\0') --n;
        if (n == 0) break;
        ++r.numero;
        r.testo.assign(buffer, static_cast<std::size_t>(r.completa ? n - 1 : n));
        riga(r);
    }
    const bool errore = ferror(f) != 0;
    std::free(buffer);
    std::fclose(f);
    return errore ? LETTURA_REGISTRO::ILLEGGIBILE : LETTURA_REGISTRO::LETTO;
}
