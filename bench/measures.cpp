// Timing, child processes with their peak memory (wait4), started by a
// small launcher process, the O_DIRECT baseline and this process's memory
// figures from /proc.
#include "measures.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "storage/file_ops.h"

namespace {

constexpr std::size_t PAGINA = 4096;

// A value's bytes through a pipe, and back.
template <class T> bool manda(int fd, const T& v) {
    return scrivi_intero(fd, std::string_view(reinterpret_cast<const char*>(&v), sizeof v));
}
template <class T> bool ricevi(int fd, T& v) {
    return leggi_intero(fd, reinterpret_cast<char*>(&v), sizeof v) == sizeof v;
}

} // namespace

double adesso() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double mediana(std::vector<double> valori) {
    if (valori.empty()) return 0.0;
    std::sort(valori.begin(), valori.end());
    return valori[valori.size() / 2];
}

double peggiore(const std::vector<double>& valori) {
    return valori.empty() ? 0.0 : *std::max_element(valori.begin(), valori.end());
}

namespace {

// The two pipes to the launcher: requests in, results out.
int verso_lanciatore = -1;
int da_lanciatore = -1;

bool manda_testo(int fd, const std::string& t) {
    return manda(fd, t.size()) && scrivi_intero(fd, t);
}

bool ricevi_testo(int fd, std::string& t) {
    std::size_t n = 0;
    if (!ricevi(fd, n)) return false;
    t.resize(n);
    return leggi_intero(fd, t.data(), n) == n;
}

ESITO_PROCESSO esegui_qui(const std::vector<std::string>& argomenti, const std::string& cartella,
                          const std::string& ingresso, const std::string& uscita) {
    ESITO_PROCESSO e;
    std::vector<char*> argv;
    for (const std::string& a : argomenti) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int tubo[2];
    if (pipe(tubo) != 0) return e;
    // The answers are short: the pipe holds them all before the child reads.
    const bool scritto = scrivi_intero(tubo[1], ingresso);
    close(tubo[1]);
    if (!scritto) {
        close(tubo[0]);
        return e;
    }
    const double inizio = adesso();
    const pid_t figlio = fork();
    if (figlio == 0) {
        dup2(tubo[0], STDIN_FILENO);
        close(tubo[0]);
        const int out = uscita.empty() ? open("/dev/null", O_WRONLY)
                                       : open(uscita.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || chdir(cartella.c_str()) != 0) _exit(126);
        dup2(out, STDOUT_FILENO);
        close(out);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(tubo[0]);
    if (figlio < 0) return e;
    int stato = 0;
    rusage uso{};
    while (wait4(figlio, &stato, 0, &uso) < 0 && errno == EINTR) {
    }
    e.secondi = adesso() - inizio;
    e.picco = static_cast<long long>(uso.ru_maxrss) * 1024;
    e.riuscito = WIFEXITED(stato) && WEXITSTATUS(stato) == 0;
    return e;
}

// The launcher's loop: one request, one run, one result, until its pipe closes.
[[noreturn]] void lancia(int richieste, int risultati) {
    for (;;) {
        std::size_t quanti = 0;
        if (!ricevi(richieste, quanti)) _exit(0);
        std::vector<std::string> argomenti(quanti);
        std::string cartella, ingresso, uscita;
        bool letto = true;
        for (std::string& a : argomenti) letto = letto && ricevi_testo(richieste, a);
        letto = letto && ricevi_testo(richieste, cartella) && ricevi_testo(richieste, ingresso) &&
                ricevi_testo(richieste, uscita);
        if (!letto) _exit(1);
        const ESITO_PROCESSO e = esegui_qui(argomenti, cartella, ingresso, uscita);
        if (!manda(risultati, e)) _exit(1);
    }
}

} // namespace

bool avvia_lanciatore() {
    int richieste[2], risultati[2];
    if (pipe(richieste) != 0) return false;
    if (pipe(risultati) != 0) {
        close(richieste[0]);
        close(richieste[1]);
        return false;
    }
    const pid_t figlio = fork();
    if (figlio == 0) {
        close(richieste[1]);
        close(risultati[0]);
        lancia(richieste[0], risultati[1]);
    }
    close(richieste[0]);
    close(risultati[1]);
    if (figlio < 0) {
        close(richieste[1]);
        close(risultati[0]);
        return false;
    }
    fcntl(richieste[1], F_SETFD, FD_CLOEXEC);
    fcntl(risultati[0], F_SETFD, FD_CLOEXEC);
    verso_lanciatore = richieste[1];
    da_lanciatore = risultati[0];
    return true;
}

ESITO_PROCESSO esegui(const std::vector<std::string>& argomenti, const std::string& cartella,
                      const std::string& ingresso, const std::string& uscita) {
    if (verso_lanciatore < 0) return esegui_qui(argomenti, cartella, ingresso, uscita);
    ESITO_PROCESSO e;
    bool mandato = manda(verso_lanciatore, argomenti.size());
    for (const std::string& a : argomenti) mandato = mandato && manda_testo(verso_lanciatore, a);
    mandato = mandato && manda_testo(verso_lanciatore, cartella) &&
              manda_testo(verso_lanciatore, ingresso) && manda_testo(verso_lanciatore, uscita);
    if (!mandato || !ricevi(da_lanciatore, e)) return ESITO_PROCESSO{};
    return e;
}

std::string leggi_righe(const char* percorso) {
    std::string testo = leggi_tutto(percorso);
    testo.resize(testo.find_last_not_of('\0') + 1);
    return testo;
}

std::string leggi_tutto(const char* percorso) {
    std::string testo;
    const int fd = open(percorso, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return testo;
    const off_t dimensione = lseek(fd, 0, SEEK_END);
    lseek(fd, 0, SEEK_SET);
    if (dimensione > 0) testo.resize(static_cast<std::size_t>(dimensione));
    testo.resize(leggi_intero(fd, testo.data(), testo.size()));
    close(fd);
    return testo;
}

DATI_ALLINEATI::~DATI_ALLINEATI() {
    std::free(dati);
}

bool allinea(std::string_view testo, DATI_ALLINEATI& a) {
    void* m = nullptr;
    if (posix_memalign(&m, PAGINA, testo.size() + PAGINA) != 0) return false;
    std::free(a.dati);
    a.dati = static_cast<char*>(m);
    a.dimensione = testo.size();
    std::memcpy(a.dati, testo.data(), testo.size());
    return true;
}

bool scrivi_diretto(const char* percorso, const DATI_ALLINEATI& a) {
    const int fd = open(percorso, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_DIRECT, 0600);
    if (fd < 0) return false;
    const std::size_t pagine = a.dimensione - a.dimensione % PAGINA;
    bool riuscito = scrivi_intero(fd, std::string_view(a.dati, pagine));
    const int modo = fcntl(fd, F_GETFL);
    riuscito = riuscito && modo >= 0 && fcntl(fd, F_SETFL, modo & ~O_DIRECT) == 0 &&
               scrivi_intero(fd, std::string_view(a.dati + pagine, a.dimensione - pagine)) &&
               fsync(fd) == 0;
    return close(fd) == 0 && riuscito;
}

long long memoria_processo(const char* voce) {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (f == nullptr) return -1;
    char riga[256];
    long long kb = -1;
    const std::size_t lunghezza = std::strlen(voce);
    while (std::fgets(riga, sizeof riga, f) != nullptr) {
        if (std::strncmp(riga, voce, lunghezza) != 0 || riga[lunghezza] != ':') continue;
        kb = std::atoll(riga + lunghezza + 1);
        break;
    }
    std::fclose(f);
    return kb < 0 ? -1 : kb * 1024;
}
