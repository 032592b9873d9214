// Clocks, the plain file operations the data-file layer is measured
// against, and the memory of this process.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Seconds on a steady clock, from an arbitrary start.
double adesso();

// The shortest of `volte` runs of f, in seconds.
template <class F> double migliore_di(int volte, F&& f) {
    double migliore = 0.0;
    for (int i = 0; i < volte; ++i) {
        const double inizio = adesso();
        f();
        const double durata = adesso() - inizio;
        if (i == 0 || durata < migliore) migliore = durata;
    }
    return migliore;
}

// Reads the file in blocks and counts its line ends; 0 when it cannot be read.
std::size_t conta_righe(const char* percorso);

// The whole content of a file (empty when it cannot be read).
std::string leggi_tutto(const char* percorso);

// Creates the file or empties it, writes `dati` with one write call
// (repeated only if the system takes fewer bytes) and flushes it to disk
// with fsync.
bool scrivi_e_sincronizza(const char* percorso, std::string_view dati);

// A "Vm...:" figure of /proc/self/status in bytes (VmRSS, VmHWM), or -1.
long long memoria_processo(const char* voce);
