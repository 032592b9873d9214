// The real program run as a child process that the test can feed, watch,
// limit and kill, through pipes; support/terminal.h runs it on a
// pseudo-terminal instead.
#pragma once

#include <string>
#include <sys/types.h>

#include "support/session.h"

// Whether this process may run children as the unprivileged user "nobody";
// as root that is what makes permission bits count.
bool puo_cedere_privilegi();
constexpr uid_t NESSUNO = 65534;

// How the real program is started.
struct OPZIONI {
    std::string locale = "C";
    bool come_nessuno = false; // as root: run as the unprivileged user "nobody"
    long limite_file = -1;     // bytes a file may grow to (a full disk); -1 none
};

// Runs `lavoro` in a child process started with the options (the locale
// aside) and gives back its result (0 to 125), or -1 when the child could
// not be set up or did not end normally.
int in_figlio(const OPZIONI& opzioni, int (*lavoro)(const void* dati), const void* dati);

// The real program as a child process, its standard input fed from the
// test and its two outputs collected.
struct Programma {
    Programma(const std::string& cartella, const OPZIONI& opzioni = {});
    ~Programma(); // kills the program if it is still running
    Programma(const Programma&) = delete;
    Programma& operator=(const Programma&) = delete;

    // Queues input; it is written as the program reads it.
    void digita(const std::string& testo);
    // Writes all the queued input now; false when that took over `secondi`.
    bool invia(double secondi = 20);
    // Waits until the output holds `testo` from position `da`; false after
    // `secondi` or when the program has closed its output.
    bool attendi(const std::string& testo, std::size_t da = 0, double secondi = 20);
    // Closes the input once the queued part is written and waits for the
    // end; the wait status, or -1 when the program was still running after
    // `secondi` (it is then killed).
    int termina(double secondi = 20);
    // Sends a signal and waits for the program to end; the wait status.
    int uccidi(int segnale);

    pid_t pid = -1;
    std::string output;
    std::string errori;

  private:
    bool pompa(int millisecondi); // one round of writing and reading
    int verso_programma = -1, da_output = -1, da_errori = -1;
    std::string da_scrivere;
    std::size_t scritti = 0;
    bool chiudi_input = false;
};

// A whole run with the given input: output, standard error and exit status.
Sessione esegui(const Cartella& dove, const std::string& input, const OPZIONI& opzioni = {});
