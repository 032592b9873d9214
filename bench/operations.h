// The clerk's everyday operations, timed on the archive in memory.
#pragma once

#include <string>
#include <vector>

struct TEMPO_OPERAZIONE {
    std::string nome;
    std::vector<double> durate; // seconds, one per run
    bool riuscita;              // every run did what it was asked
};

// Times, `volte` times each, on the lists as they stand: showing the last
// fine, recording a fine without owner data, deleting it again, looking for
// a duplicate of an owner record equal to none, and the payment
// statistics. During each run the console reads the typed answers from a
// string and writes to a discarded one. The lists come back as they were.
std::vector<TEMPO_OPERAZIONE> misura_operazioni(int volte);

double mediana(std::vector<double> durate);
double peggiore(const std::vector<double>& durate);
