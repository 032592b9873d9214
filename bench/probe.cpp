// The session probe: a child process that records and deletes fines
// through their dialogues, and the parent's side that starts it and reads
// its one line of figures through a pipe.
#include "probe.h"

#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "fines/fines.h"
#include "measures.h"
#include "model/lists.h"
#include "model/records.h"
#include "operations.h"
#include "storage/file_ops.h"

namespace {

// A fine with owner data of its own: the surname tells owners apart at
// its first letters, so that the duplicate search stays quick.
std::string modulo(std::size_t i) {
    std::string cognome;
    for (std::size_t n = i, k = 0; k < 4; ++k, n /= 26) cognome += static_cast<char>('a' + n % 26);
    return "15/03/2024\nMilano, viale Monza\nab123cd\nDivieto di sosta\n42.00\ns\n" + cognome +
           "\nanna\n21/11/1985\nPiazza Garibaldi 3\nTorino\n10121\nto\n"
           "bncnna85s61l219k\ncd7654321e\nn\n";
}

bool registra(std::size_t multe) {
    for (std::size_t i = 0; i < multe; ++i)
        if (!in_dialogo(modulo(i), [] { return ins_contravv(lista_contravv) == 0; })) return false;
    return true;
}

// Deletes the fines from the head, each with its owner.
bool cancella_tutte() {
    while (lista_contravv != nullptr) {
        const std::string risposte = std::to_string(lista_contravv->numero) + "\n\ns\n\n";
        if (!in_dialogo(risposte, [] { return canc_contravv() == 0; })) return false;
    }
    return lista_anagraf == nullptr;
}

} // namespace

int esegui_sonda(std::size_t multe) {
    libera_liste();
    bool riuscito = registra(multe);
    const long long prima = memoria_processo("VmRSS");
    riuscito = riuscito && cancella_tutte();
    const long long vuoto = memoria_processo("VmRSS");
    riuscito = riuscito && registra(multe);
    const long long seconda = memoria_processo("VmRSS");
    std::printf("%d %lld %lld %lld\n", riuscito ? 1 : 0, prima, vuoto, seconda);
    std::fflush(stdout);
    libera_liste();
    return riuscito ? 0 : 1;
}

ESITO_RICIRCOLO ricircolo_in_processo_nuovo(std::size_t multe) {
    ESITO_RICIRCOLO e;
    int tubo[2];
    if (pipe(tubo) != 0) return e;
    const std::string quante = std::to_string(multe);
    const pid_t figlio = fork();
    if (figlio == 0) {
        close(tubo[0]);
        dup2(tubo[1], STDOUT_FILENO);
        close(tubo[1]);
        execl("/proc/self/exe", "sanzionario_bench", ARGOMENTO_SONDA, quante.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(tubo[1]);
    if (figlio < 0) {
        close(tubo[0]);
        return e;
    }
    std::string riga(256, '\0'); // one short line, then the end of the pipe
    riga.resize(leggi_intero(tubo[0], riga.data(), riga.size()));
    close(tubo[0]);
    int stato = 0;
    waitpid(figlio, &stato, 0);
    int riuscito = 0;
    const int campi = std::sscanf(riga.c_str(), "%d %lld %lld %lld", &riuscito, &e.rss_prima,
                                  &e.rss_vuoto, &e.rss_seconda);
    e.riuscito = campi == 4 && riuscito == 1 && WIFEXITED(stato) && WEXITSTATUS(stato) == 0 &&
                 e.rss_prima > 0 && e.rss_seconda > 0;
    return e;
}
