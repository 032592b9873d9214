// Tables on PDF pages: a bold header row, rows with a thin rule under
// each, columns of given widths aligned left or right, carried over to a
// new page (its header repeated) when the page is full.
#pragma once

#include <string>
#include <vector>

#include "pdf/document.h"

struct COLONNA_TABELLA {
    std::string titolo;
    double larghezza; // points
    bool a_destra = false;
};

// Where a page's writing starts and must end, in points from its top.
constexpr double PAGINA_INIZIO = 56.0;
constexpr double PAGINA_FINE = A4_ALTEZZA - 56.0;

// Draws the table at x from y; the y below it (on the last page it took).
double disegna_tabella(DOCUMENTO_PDF& d, double x, double y,
                       const std::vector<COLONNA_TABELLA>& colonne,
                       const std::vector<std::vector<std::string>>& righe);
