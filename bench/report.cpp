// Printing the result table in aligned columns.
#include "report.h"

#include <algorithm>
#include <cstdio>

namespace {

void colonna(std::ostream& out, const std::string& testo, std::size_t larghezza) {
    out << testo << std::string(larghezza > testo.size() ? larghezza - testo.size() : 0, ' ');
}

} // namespace

std::string cifra(double valore, int decimali) {
    char testo[64];
    std::snprintf(testo, sizeof testo, "%.*f", decimali, valore);
    return testo;
}

void stampa_tabella(std::ostream& out, const std::vector<RIGA_TABELLA>& righe) {
    std::size_t l_misura = 7, l_valore = 5, l_obiettivo = 6;
    for (const RIGA_TABELLA& r : righe) {
        l_misura = std::max(l_misura, r.misura.size());
        l_valore = std::max(l_valore, r.valore.size());
        l_obiettivo = std::max(l_obiettivo, r.obiettivo.size());
    }
    colonna(out, "measure", l_misura + 2);
    colonna(out, "value", l_valore + 2);
    colonna(out, "target", l_obiettivo + 2);
    out << "result\n";
    out << std::string(l_misura + l_valore + l_obiettivo + 12, '-') << "\n";
    for (const RIGA_TABELLA& r : righe) {
        colonna(out, r.misura, l_misura + 2);
        colonna(out, r.valore, l_valore + 2);
        colonna(out, r.obiettivo, l_obiettivo + 2);
        out << (r.superata ? "pass" : "FAIL") << "\n";
    }
}
