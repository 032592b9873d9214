// Start banner and farewell.
#include "app/banner.h"

#include "app/version.h"
#include "console/console.h"

namespace {
constexpr const char* RIGA_BOX = "                  ----------------------------------------\n";
}

void stampa_banner() {
    std::ostream& out = console_out();
    out << RIGA_BOX;
    out << "                   "
        << "Archivio delle contravvenzioni stradali"
        << " \n";
    out << RIGA_BOX;
    out << "  ___________________________________________________________________________\n";
    out << "\n                   === Sanzionario v" SANZIONARIO_VERSIONE " ===\n\n";
}

void stampa_congedo() {
    console_out() << "\nGrazie per aver utilizzato Sanzionario\n\n"
                  << "\t\t\t\t"
                  << "Ufficio contravvenzioni"
                  << "\n\n\n";
}
