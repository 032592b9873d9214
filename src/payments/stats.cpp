// Payment statistics: how many fines are paid and how many not, what they
// amount to, and both shares drawn as bars of block characters.
#include <algorithm>
#include <cmath>
#include <string>

#include "console/console.h"
#include "console/text.h"
#include "model/walk.h"
#include "payments/payments.h"

namespace {

constexpr char BLOCCO = '\xDB';      // full block of the console code page
constexpr double BARRA_PIENA = 60.0; // characters of a bar at 100%

// One bar line: the blocks, a blank and the percentage. Halves round up;
// shares outside 0 to 100 (negative amounts in a data file) are drawn
// within an empty and a full bar.
std::string barra(double percento) {
    const double n = std::round(percento * 0.6);
    const std::size_t blocchi = n > 0.0 ? static_cast<std::size_t>(std::min(n, BARRA_PIENA)) : 0;
    return std::string(blocchi, BLOCCO) + " " + fisso2(percento) + "%";
}

// The two bar lines of a pair: the share of parte in totale, and the rest
// of 100. With nothing to share (a total of 0) both shares are 0.
void stampa_quote(double parte, double totale) {
    double quota = 0.0;
    double resto = 0.0;
    if (totale > 0.0 && std::isfinite(parte / totale)) {
        quota = parte / totale * 100.0;
        resto = 100.0 - quota;
    }
    console_out() << barra(quota) << "\n\n" << barra(resto) << "\n";
}

} // namespace

int bilancio(NODO_CONTRAVV* lista) {
    if (lista == nullptr) {
        console_out() << "\nNon e' presente alcuna contravvenzione.\n";
        return 1;
    }
    unsigned long pagate = 0;
    unsigned long non_pagate = 0;
    double somma_pagate = 0.0;
    double somma_non_pagate = 0.0;
    for (const NODO_CONTRAVV* f = lista; f != nullptr; f = seguente(f)) {
        if (f->pagata) {
            ++pagate;
            somma_pagate += f->importo;
        } else {
            ++non_pagate;
            somma_non_pagate += f->importo;
        }
    }
    const unsigned long totale = pagate + non_pagate;
    const double importo_totale = somma_pagate + somma_non_pagate;

    std::ostream& out = console_out();
    out << "\n\t\t\t\tTotale multe: " << totale;
    out << "\n\nMulte pagate:     " << pagate << "\n";
    stampa_quote(static_cast<double>(pagate), static_cast<double>(totale));
    out << "Multe non pagate: " << non_pagate << "\n";
    out << std::string(78, '_');
    out << "\n\n\t\t\tImporto totale multe: " << fisso2(importo_totale) << " euro";
    out << "\n\nTotale pagato:    " << fisso2(somma_pagate) << " euro\n";
    stampa_quote(somma_pagate, importo_totale);
    out << "Totale da pagare: " << fisso2(somma_non_pagate) << " euro\n\n\n";
    return 0;
}
