// The short table the benchmark ends with: measure, value, target, result.
#pragma once

#include <ostream>
#include <string>
#include <vector>

struct RIGA_TABELLA {
    std::string misura;
    std::string valore;
    std::string obiettivo;
    bool superata;
};

void stampa_tabella(std::ostream& out, const std::vector<RIGA_TABELLA>& righe);

// A number with the given decimals, as "%.*f" prints it.
std::string cifra(double valore, int decimali);
