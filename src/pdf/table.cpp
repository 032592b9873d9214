// A table drawn row by row, each row as tall as its tallest cell.
#include "pdf/table.h"

namespace {

constexpr double PUNTI = 8.5;
constexpr double SPAZIO = 3.0; // between a cell's text and the rules

double riga(DOCUMENTO_PDF& d, double x, double y, const std::vector<COLONNA_TABELLA>& colonne,
            const std::vector<std::string>& celle, bool intestazione) {
    double alta = 0, cx = x;
    for (std::size_t i = 0; i < colonne.size(); ++i) {
        const STILE_TESTO stile{PUNTI, intestazione, false,
                                colonne[i].a_destra ? ALLINEAMENTO::DESTRA : ALLINEAMENTO::SINISTRA};
        const std::string& testo = i < celle.size() ? celle[i] : std::string();
        alta = std::max(alta, scrivi_testo(d, cx + SPAZIO, y + SPAZIO,
                                           colonne[i].larghezza - 2 * SPAZIO, testo, stile));
        cx += colonne[i].larghezza;
    }
    const double fine = y + alta + 2 * SPAZIO;
    cairo_set_source_rgb(d.cr, 0.6, 0.6, 0.6);
    cairo_set_line_width(d.cr, intestazione ? 0.9 : 0.3);
    cairo_move_to(d.cr, x, fine);
    cairo_line_to(d.cr, cx, fine);
    cairo_stroke(d.cr);
    return fine;
}

} // namespace

double disegna_tabella(DOCUMENTO_PDF& d, double x, double y,
                       const std::vector<COLONNA_TABELLA>& colonne,
                       const std::vector<std::vector<std::string>>& righe) {
    std::vector<std::string> titoli;
    for (const COLONNA_TABELLA& c : colonne) titoli.push_back(c.titolo);
    y = riga(d, x, y, colonne, titoli, true);
    for (const auto& celle : righe) {
        // A row is at most a few lines: one that might not fit goes over.
        if (y + 4 * PUNTI + 2 * SPAZIO > PAGINA_FINE) {
            fine_pagina(d);
            y = riga(d, x, PAGINA_INIZIO, colonne, titoli, true);
        }
        y = riga(d, x, y, colonne, celle, false);
    }
    return y;
}
