// Bar charts: scaled to the largest value, rounded up to a round number
// for the scale of the columns.
#include "pdf/chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The least "round" number (1, 2 or 5 times a power of ten) not below v.
double scala_tonda(double v) {
    if (v <= 0) return 1;
    const double potenza = std::pow(10.0, std::floor(std::log10(v)));
    for (const double passo : {1.0, 2.0, 5.0, 10.0})
        if (passo * potenza >= v) return passo * potenza;
    return 10 * potenza;
}

std::string numero(double v) {
    if (v == std::floor(v)) return std::to_string(static_cast<long long>(v));
    char t[32];
    std::snprintf(t, sizeof t, "%.1f", v);
    return t;
}

} // namespace

void grafico_colonne(DOCUMENTO_PDF& d, double x, double y, double larghezza, double altezza,
                     const std::vector<std::string>& categorie,
                     const std::vector<SERIE_GRAFICO>& serie) {
    double massimo = 0;
    for (const SERIE_GRAFICO& s : serie)
        for (const double v : s.valori) massimo = std::max(massimo, v);
    // Four steps of a round size: whole numbers for counts.
    const double scala = 4 * scala_tonda(massimo / 4 > 1 ? massimo / 4 : 1);
    const double sinistra = 30, legenda = 14, sotto = 14;
    const double px = x + sinistra, py = y + legenda, pl = larghezza - sinistra,
                 pa = altezza - legenda - sotto;
    // The legend.
    double lx = px;
    for (const SERIE_GRAFICO& s : serie) {
        cairo_set_source_rgb(d.cr, s.rosso, s.verde, s.blu);
        cairo_rectangle(d.cr, lx, y + 2, 8, 8);
        cairo_fill(d.cr);
        scrivi_testo(d, lx + 12, y + 1, 140, s.nome, {7.5});
        lx += 150;
    }
    // The scale: five lines.
    cairo_set_line_width(d.cr, 0.3);
    for (int i = 0; i <= 4; ++i) {
        const double ly = py + pa - pa * i / 4;
        cairo_set_source_rgb(d.cr, 0.8, 0.8, 0.8);
        cairo_move_to(d.cr, px, ly);
        cairo_line_to(d.cr, px + pl, ly);
        cairo_stroke(d.cr);
        scrivi_testo(d, x, ly - 5, sinistra - 4, numero(scala * i / 4),
                     {7, false, false, ALLINEAMENTO::DESTRA});
    }
    if (categorie.empty()) return;
    const double passo = pl / static_cast<double>(categorie.size());
    const double colonna = passo * 0.8 / static_cast<double>(std::max<std::size_t>(1, serie.size()));
    // A label every `ogni` categories, so that they do not overlap.
    const std::size_t ogni = static_cast<std::size_t>(std::ceil(36.0 / passo));
    for (std::size_t c = 0; c < categorie.size(); ++c) {
        const double cx = px + passo * static_cast<double>(c) + passo * 0.1;
        for (std::size_t k = 0; k < serie.size(); ++k) {
            const double v = c < serie[k].valori.size() ? serie[k].valori[c] : 0;
            const double h = pa * std::max(0.0, v) / scala;
            cairo_set_source_rgb(d.cr, serie[k].rosso, serie[k].verde, serie[k].blu);
            cairo_rectangle(d.cr, cx + colonna * static_cast<double>(k), py + pa - h, colonna, h);
            cairo_fill(d.cr);
        }
        if (c % ogni == 0)
            scrivi_testo(d, px + passo * static_cast<double>(c) - 10, py + pa + 2, passo * ogni + 20,
                         categorie[c], {6.5, false, false, ALLINEAMENTO::CENTRO});
    }
}

double grafico_barre(DOCUMENTO_PDF& d, double x, double y, double larghezza,
                     const std::vector<std::string>& categorie, const SERIE_GRAFICO& serie,
                     const std::vector<std::string>& etichette_valori) {
    double massimo = 0;
    for (const double v : serie.valori) massimo = std::max(massimo, v);
    const double etichetta = larghezza * 0.35, valore = 40, alta = 13;
    const double barre = larghezza - etichetta - valore;
    for (std::size_t c = 0; c < categorie.size(); ++c) {
        const double by = y + alta * static_cast<double>(c);
        const double v = c < serie.valori.size() ? serie.valori[c] : 0;
        const double lungo = massimo > 0 ? barre * std::max(0.0, v) / massimo : 0;
        scrivi_testo(d, x, by + 1.5, etichetta - 6, categorie[c], {7.5, false, false, ALLINEAMENTO::SINISTRA, true});
        cairo_set_source_rgb(d.cr, serie.rosso, serie.verde, serie.blu);
        cairo_rectangle(d.cr, x + etichetta, by + 2, lungo, alta - 4);
        cairo_fill(d.cr);
        if (c < etichette_valori.size())
            scrivi_testo(d, x + etichetta + lungo + 3, by + 1.5, valore, etichette_valori[c], {7.5});
    }
    return alta * static_cast<double>(categorie.size());
}
