// Whole-file reads of the data files, through POSIX descriptors so that a
// folder or a device given as a path is told apart from a data file.
#include "storage/file_read.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int apri_file_dati(const char* percorso) {
    // Non-blocking, so that a named pipe given as a path cannot hang the open.
    const int fd = open(percorso, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -1;
    }
    return fd;
}

bool leggi_file_dati(int fd, std::string& testo) {
    testo.clear();
    struct stat st;
    if (fstat(fd, &st) == 0 && st.st_size > 0) testo.reserve(static_cast<std::size_t>(st.st_size));
    char blocco[1 << 16];
    for (;;) {
        const ssize_t n = read(fd, blocco, sizeof blocco);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        testo.append(blocco, static_cast<std::size_t>(n));
    }
}

void chiudi_file_dati(int fd) {
    if (fd >= 0) close(fd);
}
