// Vector bar charts drawn with cairo: columns over time (one or two
// series side by side, with a legend) and horizontal bars of a ranking.
#pragma once

#include <string>
#include <vector>

#include "pdf/document.h"

struct SERIE_GRAFICO {
    std::string nome;
    double rosso, verde, blu;
    std::vector<double> valori; // one per category
};

// Columns in the box at x, y of the given size: the categories' labels
// under them (thinned out when they would overlap), the scale on the left.
void grafico_colonne(DOCUMENTO_PDF& d, double x, double y, double larghezza, double altezza,
                     const std::vector<std::string>& categorie,
                     const std::vector<SERIE_GRAFICO>& serie);

// Horizontal bars, one per category, its label on the left and its value
// (`etichette_valori`) at its end; the height taken.
double grafico_barre(DOCUMENTO_PDF& d, double x, double y, double larghezza,
                     const std::vector<std::string>& categorie, const SERIE_GRAFICO& serie,
                     const std::vector<std::string>& etichette_valori);
