// Taking, moving and releasing the locks of an archive.
#include "session/lock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <pwd.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "storage/file_ops.h"

namespace {

// Files replaced under the lock before one is held for good.
constexpr int TENTATIVI = 8;

void chiudi(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

bool blocca(int fd) {
    int r;
    do {
        r = flock(fd, LOCK_EX | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    return r == 0;
}

// Whether the descriptor is the file that `percorso` names now.
bool e_il_file(int fd, const std::string& percorso) {
    struct stat aperto, ora;
    return fstat(fd, &aperto) == 0 && lstat(percorso.c_str(), &ora) == 0 &&
           ora.st_dev == aperto.st_dev && ora.st_ino == aperto.st_ino;
}

// The process holding a lock on one of these files (device and inode),
// from the system's list of locks; 0 when none is held or it cannot be told.
long pid_dal_sistema(const std::vector<std::pair<dev_t, ino_t>>& file) {
    FILE* f = file.empty() ? nullptr : std::fopen("/proc/locks", "re");
    if (f == nullptr) return 0;
    long trovato = 0;
    char riga[256];
    while (trovato == 0 && std::fgets(riga, sizeof riga, f) != nullptr) {
        long pid = 0;
        unsigned maggiore = 0, minore = 0;
        unsigned long long inode = 0;
        if (std::sscanf(riga, "%*d: FLOCK %*s %*s %ld %x:%x:%llu", &pid, &maggiore, &minore,
                        &inode) != 4)
            continue;
        for (const auto& [dev, ino] : file)
            if (maggiore == major(dev) && minore == minor(dev) && inode == ino) trovato = pid;
    }
    std::fclose(f);
    return trovato;
}

long pid_dal_sistema(int fd) {
    struct stat st;
    if (fstat(fd, &st) != 0) return 0;
    return pid_dal_sistema({{st.st_dev, st.st_ino}});
}

long pid_nel_file(int fd) {
    char buf[32] = {};
    const ssize_t n = pread(fd, buf, sizeof buf - 1, 0);
    if (n <= 0) return 0;
    return std::strtol(buf, nullptr, 10);
}

// One try at the lock of a data file: the descriptor, locked; -1 when the
// file does not exist; nothing when it was replaced meanwhile (try again).
// OCCUPATO in `esito` when another process holds it.
std::optional<int> prova_dati(const std::string& percorso, std::optional<ESITO_BLOCCO>& esito,
                              long& pid) {
    const int fd = open(percorso.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        close(fd);
        return -1; // no data file there: the load or the save will say why
    }
    if (fd < 0) return -1;
    if (!blocca(fd)) {
        if (errno == EWOULDBLOCK) {
            pid = pid_dal_sistema(fd);
            esito = ESITO_BLOCCO::OCCUPATO;
        }
        close(fd);
        return -1;
    }
    if (!e_il_file(fd, percorso)) {
        close(fd);
        return std::nullopt;
    }
    return fd;
}

int blocca_dati(const std::string& percorso, std::optional<ESITO_BLOCCO>& esito, long& pid,
                std::initializer_list<const BLOCCO_ARCHIVIO*> tenuti) {
    // A file this session holds already: the same lock, shared.
    for (const BLOCCO_ARCHIVIO* b : tenuti)
        for (int fd : {b->fd_c, b->fd_a})
            if (fd >= 0 && e_il_file(fd, percorso)) return fcntl(fd, F_DUPFD_CLOEXEC, 0);
    for (int prova = 0; prova < TENTATIVI; ++prova)
        if (const std::optional<int> fd = prova_dati(percorso, esito, pid)) return *fd;
    return -1;
}

// The lock file of another user who shares the archive (a group of
// clerks): a plain file that others may not write. It cannot be locked by
// this user, and need not be: the data files themselves are. Anything else
// there (a link, a folder, a FIFO, a file anyone may write) is no lock
// file of this program.
bool di_un_collega(const std::string& percorso) {
    struct stat st;
    return lstat(percorso.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid != geteuid() &&
           (st.st_mode & S_IWOTH) == 0;
}

// One try at the lock file: PRESO with `b.fd` set, or with `b.fd` -1 when
// no lock file can be had (a read-only folder); nothing when the file was
// removed or replaced meanwhile (try again).
std::optional<ESITO_BLOCCO> prova_file_blocco(BLOCCO_ARCHIVIO& b, long& pid) {
    const int flag = O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd = open(b.percorso.c_str(), flag | O_CREAT | O_EXCL, 0600);
    const bool creato = fd >= 0;
    if (fd < 0 && errno != EEXIST) return ESITO_BLOCCO::PRESO; // a read-only folder: no lock file
    if (fd < 0) {
        fd = open(b.percorso.c_str(), flag);
        // A lock file that may only be read still carries a lock.
        if (fd < 0 && errno == EACCES) fd = open(b.percorso.c_str(), flag & ~O_RDWR);
        if (fd < 0 && errno == ENOENT) return std::nullopt; // removed meanwhile
        if (fd < 0)
            return di_un_collega(b.percorso) ? ESITO_BLOCCO::PRESO : ESITO_BLOCCO::NON_FIDATO;
    }
    if (!file_proprio(fd)) {
        close(fd);
        return di_un_collega(b.percorso) ? ESITO_BLOCCO::PRESO : ESITO_BLOCCO::NON_FIDATO;
    }
    if (!blocca(fd)) {
        const bool occupato = errno == EWOULDBLOCK;
        if (occupato) pid = pid_nel_file(fd);
        close(fd);
        return occupato ? ESITO_BLOCCO::OCCUPATO : ESITO_BLOCCO::NON_FIDATO;
    }
    if (!e_il_file(fd, b.percorso)) {
        close(fd);
        return std::nullopt;
    }
    const std::string testo = std::to_string(static_cast<long>(getpid())) + "\n";
    if (ftruncate(fd, 0) == 0) (void)!pwrite(fd, testo.data(), testo.size(), 0);
    b.fd = fd;
    b.creato = creato;
    return ESITO_BLOCCO::PRESO;
}

} // namespace

std::string percorso_blocco(const std::string& file_c) {
    return file_c + ".blocco";
}

ESITO_BLOCCO prendi_blocco(const std::string& file_c, const std::string& file_a,
                           BLOCCO_ARCHIVIO& nuovo, long& pid,
                           std::initializer_list<const BLOCCO_ARCHIVIO*> tenuti) {
    nuovo = BLOCCO_ARCHIVIO{};
    nuovo.percorso = percorso_blocco(file_c);
    pid = 0;
    std::optional<ESITO_BLOCCO> esito;
    for (int prova = 0; prova < TENTATIVI && !esito; ++prova) esito = prova_file_blocco(nuovo, pid);
    if (esito != ESITO_BLOCCO::PRESO) {
        rinuncia_blocco(nuovo);
        return esito.value_or(ESITO_BLOCCO::NON_FIDATO);
    }
    esito.reset();
    nuovo.fd_c = blocca_dati(file_c, esito, pid, tenuti);
    if (!esito) nuovo.fd_a = blocca_dati(file_a, esito, pid, tenuti);
    if (esito) {
        rinuncia_blocco(nuovo);
        return *esito;
    }
    return ESITO_BLOCCO::PRESO;
}

bool stesso_blocco(const std::string& file_c, const BLOCCO_ARCHIVIO& b) {
    if (b.fd_c >= 0) return e_il_file(b.fd_c, file_c);
    return b.fd >= 0 && e_il_file(b.fd, percorso_blocco(file_c));
}

bool riblocca_dati(BLOCCO_ARCHIVIO& b, const std::string& file_c, const std::string& file_a,
                   long& pid) {
    chiudi(b.fd_c);
    chiudi(b.fd_a);
    std::optional<ESITO_BLOCCO> esito;
    b.fd_c = blocca_dati(file_c, esito, pid, {});
    if (!esito) b.fd_a = blocca_dati(file_a, esito, pid, {});
    return !esito;
}

void sposta_blocco(BLOCCO_ARCHIVIO& b, int fd_c, int fd_a) {
    chiudi(b.fd_c);
    chiudi(b.fd_a);
    b.fd_c = fd_c;
    b.fd_a = fd_a;
}

void rilascia_blocco(BLOCCO_ARCHIVIO& b) {
    chiudi(b.fd_c); // closing the last descriptor releases the lock
    chiudi(b.fd_a);
    chiudi(b.fd);
    b = BLOCCO_ARCHIVIO{};
}

void rinuncia_blocco(BLOCCO_ARCHIVIO& b) {
    if (b.creato && b.fd >= 0 && e_il_file(b.fd, b.percorso)) unlink(b.percorso.c_str());
    rilascia_blocco(b);
}

TITOLARE_ARCHIVIO titolare_archivio(const std::string& blocco, const std::string& file_c,
                                    const std::string& file_a) {
    std::vector<std::pair<dev_t, ino_t>> file;
    for (const std::string* p : {&blocco, &file_c, &file_a}) {
        struct stat st;
        if (lstat(p->c_str(), &st) == 0 && S_ISREG(st.st_mode))
            file.emplace_back(st.st_dev, st.st_ino);
    }
    TITOLARE_ARCHIVIO t;
    t.pid = pid_dal_sistema(file);
    if (t.pid == 0) return t;
    struct stat st;
    const std::string processo = "/proc/" + std::to_string(t.pid);
    if (stat(processo.c_str(), &st) != 0) return t;
    passwd pw{};
    passwd* trovato = nullptr;
    char buf[1024];
    if (getpwuid_r(st.st_uid, &pw, buf, sizeof buf, &trovato) == 0 && trovato != nullptr)
        t.utente = trovato->pw_name;
    else
        t.utente = std::to_string(st.st_uid);
    return t;
}
