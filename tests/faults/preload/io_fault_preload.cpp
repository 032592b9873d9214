// Test-only library, loaded into the real program with LD_PRELOAD: counts
// the program's calls that open, write, flush, rename, link, size and close
// files, and makes one chosen call fail with EIO or ENOSPC, or write only
// half of what it was given. Driven by the environment (io_fault_counters.h);
// without SANZ_GUASTO_CONTATORI every call goes straight through.
//
// Writes, flushes, sizes and closes count only on files and folders (not on
// the terminal or the pipes of the console), so that the clerk's screen is
// never what fails. The system's own calls inside the C library (opendir,
// fopen and the like) are not seen; mkstemp and its kin are, as opens.
#include <cstdarg>
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>
#include <vector>

#include "io_fault_choice.h"

using namespace guasto_io;

// The C library's variants behind the checked (fortified) and large-file names.
extern "C" {
int __open_2(const char* percorso, int flag);
int __open64_2(const char* percorso, int flag);
int __openat_2(int cartella, const char* percorso, int flag);
int __openat64_2(int cartella, const char* percorso, int flag);
}

namespace {

// The bytes of a vector of buffers.
std::size_t totale(const iovec* v, int quanti) {
    std::size_t t = 0;
    for (int i = 0; i < quanti; ++i) t += v[i].iov_len;
    return t;
}

// Cuts a vector of buffers to its first `n` bytes; its new length.
int taglia(std::vector<iovec>& parti, std::size_t n) {
    std::size_t k = 0;
    for (; k < parti.size() && n > 0; ++k) {
        if (parti[k].iov_len > n) parti[k].iov_len = n;
        n -= parti[k].iov_len;
    }
    return static_cast<int>(k);
}

// The part of the open flags that carries a mode.
bool con_modo(int flag) {
    return (flag & O_CREAT) != 0 || (flag & O_TMPFILE) == O_TMPFILE;
}

} // namespace

// A call of kind `famiglia` on `percorso`, or on the descriptor `fd` (of a
// file or, with `cartelle`, a folder): failed when it is the chosen one.
#define SU_PERCORSO(famiglia, nome, ...)                                                           \
    REALE(nome);                                                                                   \
    if (guasta_percorso(famiglia, #nome, percorso)) return fallisci();                             \
    return reale_##nome(__VA_ARGS__)
#define SU_FD(famiglia, cartelle, nome, ...)                                                       \
    REALE(nome);                                                                                   \
    if (guasta_fd(famiglia, #nome, fd, cartelle)) return fallisci();                               \
    return reale_##nome(__VA_ARGS__)

// Opening, creating, temporary files.
#define LEGGI_MODO(flag)                                                                           \
    mode_t m = 0;                                                                                  \
    if (con_modo(flag)) {                                                                          \
        va_list a;                                                                                 \
        va_start(a, flag);                                                                         \
        m = static_cast<mode_t>(va_arg(a, int));                                                   \
        va_end(a);                                                                                 \
    }
#define APRI(nome, ...) SU_PERCORSO(APERTURA, nome, __VA_ARGS__)

extern "C" int open(const char* percorso, int flag, ...) {
    LEGGI_MODO(flag);
    APRI(open, percorso, flag, m);
}
extern "C" int open64(const char* percorso, int flag, ...) {
    LEGGI_MODO(flag);
    APRI(open64, percorso, flag, m);
}
extern "C" int openat(int cartella, const char* percorso, int flag, ...) {
    LEGGI_MODO(flag);
    APRI(openat, cartella, percorso, flag, m);
}
extern "C" int openat64(int cartella, const char* percorso, int flag, ...) {
    LEGGI_MODO(flag);
    APRI(openat64, cartella, percorso, flag, m);
}
extern "C" int __open_2(const char* percorso, int flag) {
    APRI(__open_2, percorso, flag);
}
extern "C" int __open64_2(const char* percorso, int flag) {
    APRI(__open64_2, percorso, flag);
}
extern "C" int __openat_2(int cartella, const char* percorso, int flag) {
    APRI(__openat_2, cartella, percorso, flag);
}
extern "C" int __openat64_2(int cartella, const char* percorso, int flag) {
    APRI(__openat64_2, cartella, percorso, flag);
}
extern "C" int creat(const char* percorso, mode_t m) {
    APRI(creat, percorso, m);
}
extern "C" int creat64(const char* percorso, mode_t m) {
    APRI(creat64, percorso, m);
}
extern "C" int mkstemp(char* percorso) {
    APRI(mkstemp, percorso);
}
extern "C" int mkstemp64(char* percorso) {
    APRI(mkstemp64, percorso);
}
extern "C" int mkostemp(char* percorso, int flag) {
    APRI(mkostemp, percorso, flag);
}
extern "C" int mkostemp64(char* percorso, int flag) {
    APRI(mkostemp64, percorso, flag);
}
extern "C" int mkstemps(char* percorso, int coda) {
    APRI(mkstemps, percorso, coda);
}
extern "C" int mkstemps64(char* percorso, int coda) {
    APRI(mkstemps64, percorso, coda);
}
extern "C" int mkostemps(char* percorso, int coda, int flag) {
    APRI(mkostemps, percorso, coda, flag);
}
extern "C" int mkostemps64(char* percorso, int coda, int flag) {
    APRI(mkostemps64, percorso, coda, flag);
}

// Writing.
extern "C" ssize_t write(int fd, const void* dati, size_t n) {
    REALE(write);
    const long e = esito_scrittura("write", fd, n);
    if (e == FALLISCI) return fallisci();
    return reale_write(fd, dati, e == PROCEDI ? n : static_cast<size_t>(e));
}
extern "C" ssize_t pwrite(int fd, const void* dati, size_t n, off_t dove) {
    REALE(pwrite);
    const long e = esito_scrittura("pwrite", fd, n);
    if (e == FALLISCI) return fallisci();
    return reale_pwrite(fd, dati, e == PROCEDI ? n : static_cast<size_t>(e), dove);
}
extern "C" ssize_t pwrite64(int fd, const void* dati, size_t n, off64_t dove) {
    REALE(pwrite64);
    const long e = esito_scrittura("pwrite64", fd, n);
    if (e == FALLISCI) return fallisci();
    return reale_pwrite64(fd, dati, e == PROCEDI ? n : static_cast<size_t>(e), dove);
}

// The vector writes: the same, a shorter write cutting the vector.
#define SCRIVI_VETTORE(nome, ...)                                                                  \
    REALE(nome);                                                                                   \
    const long e = esito_scrittura(#nome, fd, totale(v, quanti));                                  \
    if (e == FALLISCI) return fallisci();                                                          \
    std::vector<iovec> parti;                                                                      \
    if (e != PROCEDI) {                                                                            \
        parti.assign(v, v + quanti);                                                               \
        quanti = taglia(parti, static_cast<std::size_t>(e));                                       \
        v = parti.data();                                                                          \
    }                                                                                              \
    return reale_##nome(__VA_ARGS__)

extern "C" ssize_t writev(int fd, const iovec* v, int quanti) {
    SCRIVI_VETTORE(writev, fd, v, quanti);
}
extern "C" ssize_t pwritev(int fd, const iovec* v, int quanti, off_t dove) {
    SCRIVI_VETTORE(pwritev, fd, v, quanti, dove);
}
extern "C" ssize_t pwritev64(int fd, const iovec* v, int quanti, off64_t dove) {
    SCRIVI_VETTORE(pwritev64, fd, v, quanti, dove);
}
extern "C" ssize_t pwritev2(int fd, const iovec* v, int quanti, off_t dove, int flag) {
    SCRIVI_VETTORE(pwritev2, fd, v, quanti, dove, flag);
}
extern "C" ssize_t pwritev64v2(int fd, const iovec* v, int quanti, off64_t dove, int flag) {
    SCRIVI_VETTORE(pwritev64v2, fd, v, quanti, dove, flag);
}

// Flushing, of files and of folders.
extern "C" int fsync(int fd) {
    SU_FD(SINCRONIZZAZIONE, true, fsync, fd);
}
extern "C" int fdatasync(int fd) {
    SU_FD(SINCRONIZZAZIONE, true, fdatasync, fd);
}
extern "C" int syncfs(int fd) {
    SU_FD(SINCRONIZZAZIONE, true, syncfs, fd);
}
extern "C" int sync_file_range(int fd, off64_t da, off64_t n, unsigned int flag) {
    SU_FD(SINCRONIZZAZIONE, false, sync_file_range, fd, da, n, flag);
}

// Renaming and linking.
extern "C" int rename(const char* da, const char* percorso) noexcept {
    SU_PERCORSO(RINOMINA, rename, da, percorso);
}
extern "C" int renameat(int c1, const char* da, int c2, const char* percorso) noexcept {
    SU_PERCORSO(RINOMINA, renameat, c1, da, c2, percorso);
}
extern "C" int renameat2(int c1, const char* da, int c2, const char* percorso,
                         unsigned int flag) noexcept {
    SU_PERCORSO(RINOMINA, renameat2, c1, da, c2, percorso, flag);
}
extern "C" int link(const char* da, const char* percorso) noexcept {
    SU_PERCORSO(COLLEGAMENTO, link, da, percorso);
}
extern "C" int linkat(int c1, const char* da, int c2, const char* percorso, int flag) noexcept {
    SU_PERCORSO(COLLEGAMENTO, linkat, c1, da, c2, percorso, flag);
}

// Sizing: a full disk shows here first when room is taken ahead.
extern "C" int ftruncate(int fd, off_t n) noexcept {
    SU_FD(SPAZIO, false, ftruncate, fd, n);
}
extern "C" int ftruncate64(int fd, off64_t n) noexcept {
    SU_FD(SPAZIO, false, ftruncate64, fd, n);
}
extern "C" int fallocate(int fd, int m, off_t da, off_t n) {
    SU_FD(SPAZIO, false, fallocate, fd, m, da, n);
}
extern "C" int fallocate64(int fd, int m, off64_t da, off64_t n) {
    SU_FD(SPAZIO, false, fallocate64, fd, m, da, n);
}
extern "C" int posix_fallocate(int fd, off_t da, off_t n) {
    REALE(posix_fallocate);
    if (guasta_fd(SPAZIO, "posix_fallocate", fd, false)) return codice(); // an error number
    return reale_posix_fallocate(fd, da, n);
}
extern "C" int posix_fallocate64(int fd, off64_t da, off64_t n) {
    REALE(posix_fallocate64);
    if (guasta_fd(SPAZIO, "posix_fallocate64", fd, false)) return codice();
    return reale_posix_fallocate64(fd, da, n);
}

// Closing: the descriptor is released even when the close reports an error,
// as Linux does.
extern "C" int close(int fd) {
    REALE(close);
    if (!guasta_fd(CHIUSURA, "close", fd, true)) return reale_close(fd);
    reale_close(fd);
    return fallisci();
}
