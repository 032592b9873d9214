// The real program run as a child process that the test can feed, watch,
// limit and kill: through pipes, or on a pseudo-terminal (support/terminal.h).
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "support/folder.h"

// Whether this process may run children as the unprivileged user "nobody";
// as root that is what makes permission bits count.
bool puo_cedere_privilegi();
constexpr uid_t NESSUNO = 65534;

// A variable of the program's environment: set to `valore`, or removed
// when there is none.
struct Variabile {
    std::string nome;
    std::optional<std::string> valore;
};

// How the real program is started. Its environment is the test's own but
// for the locale (LANG, with LC_ALL and LC_CTYPE removed), on a terminal
// TERM=xterm and no NO_COLOR, and then the changes in `ambiente`. The
// suite's own environment never names a database archive: a test chooses
// one itself.
struct OPZIONI {
    std::string locale = "C";
    bool come_nessuno = false; // as root: run as the unprivileged user "nobody"
    long limite_file = -1;     // bytes a file may grow to (a full disk); -1 none
    bool terminale = false;    // on a pseudo-terminal rather than on pipes
    // On the terminal, as a shell runs a job: in a process group of its own,
    // in the foreground, under a session leader that waits for it, so that
    // Ctrl-Z stops it. The leader's exit status stands for the program's.
    bool come_lavoro = false;
    std::vector<Variabile> ambiente = {};
    std::vector<std::string> argomenti = {}; // on the command line, after the program's name
};

// Runs `lavoro` in a child process started with the options (the locale
// aside) and gives back its result (0 to 125), or -1 when the child could
// not be set up or did not end normally.
int in_figlio(const OPZIONI& opzioni, int (*lavoro)(const void* dati), const void* dati);

// The real program as a child process, its standard input fed from the
// test and its output collected: on pipes standard output and standard
// error apart, on a terminal both as the screen shows them.
struct Programma {
    Programma(const std::string& cartella, const OPZIONI& opzioni = {});
    ~Programma(); // kills the program if it is still running
    Programma(const Programma&) = delete;
    Programma& operator=(const Programma&) = delete;

    // Queues input; it is written as the program reads it. With `poi`, it
    // is written now and the output waited for until `poi` shows after what
    // it held before; false when either did not happen in time.
    bool digita(const std::string& testo, const std::string& poi = "");
    // Writes all the queued input now; false when that took over `secondi`.
    bool invia(double secondi = 20);
    // Waits until the output holds `testo` from position `da`; false after
    // `secondi` or when the program has closed its output.
    bool attendi(const std::string& testo, std::size_t da = 0, double secondi = 20);
    // Writes the queued input, closes the input (on pipes: a terminal stays
    // open, and the program must end by itself) and waits for the end; the
    // wait status, or -1 when the program was still running after `secondi`
    // (it is then killed).
    int termina(double secondi = 20);
    // Sends a signal and waits for the program to end; the wait status.
    int uccidi(int segnale);

    pid_t pid = -1;
    std::string output;
    std::string errori;      // empty on a terminal
    int terminale = -1;      // the master side of the pseudo-terminal, if any

  private:
    bool pompa(int millisecondi); // one round of writing and reading
    int verso_programma = -1, da_output = -1, da_errori = -1;
    std::string da_scrivere;
    std::size_t scritti = 0;
    bool chiudi_input = false;
};

// A whole run of the program in the folder, as a clerk would make it: its
// standard input fed from `input`, the two outputs and the exit status kept.
struct Sessione {
    std::string output;
    std::string errori; // standard error: must stay empty
    int stato = -1;     // exit status, or -1 when the program did not exit normally
};
Sessione esegui_programma(const Cartella& dove, const std::string& input,
                          const OPZIONI& opzioni = {});
