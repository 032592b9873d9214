// Loading the archive in a fresh process, so that the memory it takes is
// measured from a small start and with no earlier heap to reuse.
#pragma once

#include <cstddef>

struct ESITO_SONDA {
    bool riuscita;
    double secondi;      // carica_archivio alone
    long long rss_prima; // resident bytes just before loading
    long long picco;     // highest resident bytes, read after loading
    std::size_t multe;
    std::size_t proprietari;
};

// The argument that makes this program a probe.
constexpr const char* ARGOMENTO_SONDA = "--sonda-caricamento";

// Run in the probe: loads both files and prints its figures as one line on
// standard output. Exit status 0 when the archive was loaded.
int esegui_sonda(const char* file_c, const char* file_a);

// Starts this very program again as a probe (fork and exec) and reads back its figures.
ESITO_SONDA carica_in_processo_nuovo(const char* file_c, const char* file_a);
