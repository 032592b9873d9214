// Taking and releasing the archive lock.
#include "session/lock.h"

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

long pid_nel_file(int fd) {
    char buf[32] = {};
    const ssize_t n = pread(fd, buf, sizeof buf - 1, 0);
    if (n <= 0) return 0;
    return std::strtol(buf, nullptr, 10);
}

// Whether the descriptor is the file that `percorso` names now.
bool e_il_file(int fd, const std::string& percorso, struct stat& st) {
    struct stat ora;
    return fstat(fd, &st) == 0 && lstat(percorso.c_str(), &ora) == 0 && ora.st_dev == st.st_dev &&
           ora.st_ino == st.st_ino;
}

// Lock files replaced under the lock before one is held for good.
constexpr int TENTATIVI = 8;

// One try of prendi_blocco; nothing when the lock was taken on a file that
// `percorso` no longer names (removed by the session that held it before,
// as a failed load does): worth trying again.
std::optional<ESITO_BLOCCO> prova_blocco(const std::string& percorso, BLOCCO_ARCHIVIO& nuovo,
                                         long& pid) {
    nuovo = BLOCCO_ARCHIVIO{};
    pid = 0;
    bool creato = true;
    int fd = open(percorso.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0 && errno == EEXIST) {
        creato = false;
        fd = open(percorso.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        // A lock file that may only be read still carries a lock.
        if (fd < 0) fd = open(percorso.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    }
    if (fd < 0) return ESITO_BLOCCO::NON_POSSIBILE;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return ESITO_BLOCCO::NON_POSSIBILE;
    }
    int r;
    do {
        r = flock(fd, LOCK_EX | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    if (r != 0) {
        const bool occupato = errno == EWOULDBLOCK;
        if (occupato) pid = pid_nel_file(fd);
        close(fd);
        return occupato ? ESITO_BLOCCO::OCCUPATO : ESITO_BLOCCO::NON_POSSIBILE;
    }
    if (!e_il_file(fd, percorso, st)) {
        close(fd);
        return std::nullopt;
    }
    const std::string testo = std::to_string(static_cast<long>(getpid())) + "\n";
    if (ftruncate(fd, 0) == 0) (void)!pwrite(fd, testo.data(), testo.size(), 0);
    nuovo.fd = fd;
    nuovo.dispositivo = static_cast<uint64_t>(st.st_dev);
    nuovo.inode = static_cast<uint64_t>(st.st_ino);
    nuovo.creato = creato;
    return ESITO_BLOCCO::PRESO;
}

} // namespace

std::string percorso_blocco(const std::string& file_c) {
    return file_c + ".blocco";
}

bool stesso_blocco(const std::string& percorso, const BLOCCO_ARCHIVIO& b) {
    struct stat st;
    return b.fd >= 0 && stat(percorso.c_str(), &st) == 0 &&
           b.dispositivo == static_cast<uint64_t>(st.st_dev) &&
           b.inode == static_cast<uint64_t>(st.st_ino);
}

ESITO_BLOCCO prendi_blocco(const std::string& percorso, BLOCCO_ARCHIVIO& nuovo, long& pid) {
    for (int prova = 0; prova < TENTATIVI; ++prova)
        if (const std::optional<ESITO_BLOCCO> e = prova_blocco(percorso, nuovo, pid)) return *e;
    return ESITO_BLOCCO::NON_POSSIBILE;
}

void rilascia_blocco(BLOCCO_ARCHIVIO& b) {
    if (b.fd >= 0) close(b.fd); // closing the last descriptor releases the lock
    b = BLOCCO_ARCHIVIO{};
}

void rinuncia_blocco(const std::string& percorso, BLOCCO_ARCHIVIO& b) {
    if (b.creato && stesso_blocco(percorso, b)) unlink(percorso.c_str());
    rilascia_blocco(b);
}
