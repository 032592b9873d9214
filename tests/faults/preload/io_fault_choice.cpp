// Which of the program's calls the I/O fault library makes fail, and how:
// the calls counted in the file shared with the test, the one chosen read
// from the environment when the library is loaded.
#include "io_fault_choice.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace guasto_io {

namespace {

enum class MODO { ERRORE_IO, DISCO_PIENO, CORTA, UCCISIONE };

CONTATORI* contatori = nullptr; // null: nothing counted, nothing fails
int famiglia_guasta = -1;       // which kind of call fails, or TUTTE
uint64_t volta_guasta = 0;      // its number among the calls of that kind
uint64_t altra_volta = 0;       // a second one, for a fault on the way back from a fault
MODO modo = MODO::ERRORE_IO;

// Whether `fd` is a file (or, with `cartelle`, a folder): only those count.
bool su_file(int fd, bool cartelle) {
    if (contatori == nullptr) return false;
    const int salvato = errno;
    struct stat st;
    const bool si =
        fstat(fd, &st) == 0 && (S_ISREG(st.st_mode) || (cartelle && S_ISDIR(st.st_mode)));
    errno = salvato;
    return si;
}

// Counts a call of kind `f`: true when it is the one chosen to fail.
bool conta(FAMIGLIA f) {
    if (contatori == nullptr) return false;
    const uint64_t n = __atomic_add_fetch(&contatori->chiamate[f], 1, __ATOMIC_SEQ_CST);
    const uint64_t tutte = __atomic_add_fetch(&contatori->chiamate[TUTTE], 1, __ATOMIC_SEQ_CST);
    const uint64_t k = famiglia_guasta == TUTTE ? tutte : n;
    return (famiglia_guasta == TUTTE || famiglia_guasta == f) &&
           (k == volta_guasta || (altra_volta != 0 && k == altra_volta));
}

// Notes which call was made to fail, and on what.
void segna(const char* funzione, const char* oggetto) {
    if (__atomic_exchange_n(&contatori->iniettati, 1, __ATOMIC_SEQ_CST) != 0) return;
    std::snprintf(contatori->chiamata_guasta, sizeof contatori->chiamata_guasta, "%s %s", funzione,
                  oggetto);
}

void segna_fd(const char* funzione, int fd) {
    const int salvato = errno;
    char link[64], nome[200] = "?";
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, nome, sizeof nome - 1);
    if (n > 0) nome[n] = '\0';
    segna(funzione, nome);
    errno = salvato;
}

// The bytes a short write writes: half, kept to whole blocks where the
// file is written past the cache; 0 when no shorter write is possible.
std::size_t meta_di(int fd, std::size_t n) {
    std::size_t meta = n / 2;
    const int stato = fcntl(fd, F_GETFL);
    if (stato >= 0 && (stato & O_DIRECT) != 0) meta -= meta % 4096;
    return meta;
}

__attribute__((constructor)) void avvia() {
    const char* file = std::getenv(VAR_CONTATORI);
    if (file == nullptr || *file == '\0') return;
    REALE(open);
    REALE(ftruncate);
    REALE(close);
    const int fd = reale_open(file, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return;
    void* memoria = MAP_FAILED;
    if (reale_ftruncate(fd, sizeof(CONTATORI)) == 0)
        memoria = mmap(nullptr, sizeof(CONTATORI), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    reale_close(fd);
    if (memoria == MAP_FAILED) return;
    if (const char* c = std::getenv(VAR_CHIAMATA))
        for (int f = 0; f <= TUTTE; ++f)
            if (std::strcmp(c, NOMI[f]) == 0) famiglia_guasta = f;
    if (const char* v = std::getenv(VAR_VOLTA)) {
        char* dopo = nullptr;
        volta_guasta = std::strtoull(v, &dopo, 10);
        if (dopo != nullptr && *dopo == ',') altra_volta = std::strtoull(dopo + 1, nullptr, 10);
    }
    if (const char* m = std::getenv(VAR_MODO)) {
        if (std::strcmp(m, "ENOSPC") == 0) modo = MODO::DISCO_PIENO;
        if (std::strcmp(m, "corta") == 0) modo = MODO::CORTA;
        if (std::strcmp(m, "uccidi") == 0) modo = MODO::UCCISIONE;
    }
    contatori = static_cast<CONTATORI*>(memoria);
}

} // namespace

int codice() {
    return modo == MODO::DISCO_PIENO ? ENOSPC : EIO;
}

int fallisci() {
    errno = codice();
    return -1;
}

// A call on a path, failed with the chosen error when it is the chosen one.
// In the mode that kills, the program stops dead before the call instead.
bool guasta_percorso(FAMIGLIA f, const char* funzione, const char* percorso) {
    if (!conta(f) || modo == MODO::CORTA) return false;
    segna(funzione, percorso);
    if (modo == MODO::UCCISIONE) raise(SIGKILL);
    return true;
}

// A call on a descriptor other than a write: the same.
bool guasta_fd(FAMIGLIA f, const char* funzione, int fd, bool cartelle) {
    if (!su_file(fd, cartelle) || !conta(f) || modo == MODO::CORTA) return false;
    segna_fd(funzione, fd);
    return true;
}

long esito_scrittura(const char* funzione, int fd, std::size_t n) {
    if (!su_file(fd, false) || !conta(SCRITTURA)) return PROCEDI;
    if (modo == MODO::UCCISIONE) {
        // The program stops dead before this write, as under a kill -9.
        segna_fd(funzione, fd);
        raise(SIGKILL);
    }
    if (modo != MODO::CORTA) {
        segna_fd(funzione, fd);
        return FALLISCI;
    }
    const std::size_t meta = meta_di(fd, n);
    if (meta == 0) return PROCEDI;
    segna_fd(funzione, fd);
    return static_cast<long>(meta);
}

} // namespace guasto_io
