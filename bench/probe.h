// A long session in a fresh process: fines recorded, all deleted and
// recorded again, so that the memory a session keeps is measured from a
// small start and with no earlier heap to reuse.
#pragma once

#include <cstddef>

struct ESITO_RICIRCOLO {
    bool riuscito = false;
    long long rss_prima = 0;   // resident bytes after the first round of fines
    long long rss_vuoto = 0;   // after deleting them all
    long long rss_seconda = 0; // after the second round
};

// The argument that makes this program the probe.
constexpr const char* ARGOMENTO_SONDA = "--sonda-ricircolo";

// Run in the probe: from empty lists, records `multe` fines, each with new
// owner data, deletes them all with their owners, records `multe` again,
// and prints its figures as one line on standard output. Exit status 0
// when every operation did what it was asked.
int esegui_sonda(std::size_t multe);

// Starts this very program again as the probe (fork and exec) and reads back its figures.
ESITO_RICIRCOLO ricircolo_in_processo_nuovo(std::size_t multe);
