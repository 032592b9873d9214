// The load probe: a child process that only loads, and the parent's side
// that starts it and reads its one line of figures through a pipe.
#include "probe.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "measures.h"
#include "model/records.h"
#include "storage/load.h"

namespace {

template <class N> std::size_t conta(const N* lista) {
    std::size_t n = 0;
    for (; lista != nullptr; lista = lista->next) ++n;
    return n;
}

} // namespace

int esegui_sonda(const char* file_c, const char* file_a) {
    const long long prima = memoria_processo("VmRSS");
    const double inizio = adesso();
    const int esito = carica_archivio(file_c, file_a);
    const double secondi = adesso() - inizio;
    const long long picco = memoria_processo("VmHWM");
    std::printf("%d %.9f %lld %lld %zu %zu\n", esito, secondi, prima, picco, conta(lista_contravv),
                conta(lista_anagraf));
    std::fflush(stdout);
    return esito == 0 ? 0 : 1;
}

ESITO_SONDA carica_in_processo_nuovo(const char* file_c, const char* file_a) {
    ESITO_SONDA e{};
    int tubo[2];
    if (pipe(tubo) != 0) return e;
    const pid_t figlio = fork();
    if (figlio == 0) {
        close(tubo[0]);
        dup2(tubo[1], STDOUT_FILENO);
        close(tubo[1]);
        execl("/proc/self/exe", "sanzionario_bench", ARGOMENTO_SONDA, file_c, file_a,
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(tubo[1]);
    if (figlio < 0) {
        close(tubo[0]);
        return e;
    }
    std::string riga;
    char buf[256];
    for (ssize_t n; (n = read(tubo[0], buf, sizeof buf)) != 0;) {
        if (n > 0)
            riga.append(buf, static_cast<std::size_t>(n));
        else if (errno != EINTR)
            break;
    }
    close(tubo[0]);
    int stato = 0;
    waitpid(figlio, &stato, 0);
    int esito = -1;
    const int campi = std::sscanf(riga.c_str(), "%d %lf %lld %lld %zu %zu", &esito, &e.secondi,
                                  &e.rss_prima, &e.picco, &e.multe, &e.proprietari);
    e.riuscita = campi == 6 && esito == 0 && WIFEXITED(stato) && WEXITSTATUS(stato) == 0 &&
                 e.rss_prima > 0 && e.picco > 0;
    return e;
}
