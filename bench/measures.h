// Clocks, medians, the programs and plain file operations the program is
// measured against (wc -l, one O_DIRECT write), running a program as a
// child process, and the memory of this process.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Seconds on a steady clock, from an arbitrary start.
double adesso();

// The middle value (the upper one of the two middle values for an even count); 0 for none.
double mediana(std::vector<double> valori);
double peggiore(const std::vector<double>& valori);

// A child process run to its end.
struct ESITO_PROCESSO {
    bool riuscito = false; // started, and ended normally with status 0
    double secondi = 0.0;  // from just before the fork to just after it was waited for
    long long picco = 0;   // its highest resident memory, in bytes
};

// Starts the process that runs the programs for esegui(): a copy of this
// one while it is still small. A child's peak memory counts the pages it
// shared with its parent before its program started, so the programs must
// not be started by a parent that holds a large archive. Call it first.
bool avvia_lanciatore();

// Runs `argomenti` (the program by path, or by name through PATH) in the
// folder `cartella`, its standard input fed with `ingresso` (a few
// kilobytes at most) and its standard output written to the file `uscita`
// (or thrown away when empty); through the process of avvia_lanciatore.
ESITO_PROCESSO esegui(const std::vector<std::string>& argomenti, const std::string& cartella,
                      const std::string& ingresso, const std::string& uscita = "");

// The whole content of a file (empty when it cannot be read).
std::string leggi_tutto(const char* percorso);
// The lines of a register as a reader takes them: without the zeros a
// session keeps ahead of them.
std::string leggi_righe(const char* percorso);

// The content of a file, in memory aligned for direct writes.
struct DATI_ALLINEATI {
    char* dati = nullptr;
    std::size_t dimensione = 0;
    ~DATI_ALLINEATI();
};
bool allinea(std::string_view testo, DATI_ALLINEATI& a);

// The disk's own pace: creates the file or empties it, writes the content
// in one write that bypasses the page cache (O_DIRECT; the last part
// shorter than a page with an ordinary write) and flushes it with fsync.
bool scrivi_diretto(const char* percorso, const DATI_ALLINEATI& a);

// A "Vm...:" figure of /proc/self/status in bytes (VmRSS, VmHWM), or -1.
long long memoria_processo(const char* voce);
