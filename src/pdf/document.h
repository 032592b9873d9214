// A PDF document of A4 pages drawn with cairo, its text set with pango in
// an embedded font, its bytes handed to a writer as cairo produces them.
#pragma once

#include <cairo.h>
#include <functional>
#include <pango/pangocairo.h>
#include <string>
#include <string_view>

// Page size and millimetres, in PDF points.
constexpr double A4_LARGHEZZA = 595.2756;
constexpr double A4_ALTEZZA = 841.8898;
constexpr double mm(double millimetri) {
    return millimetri * 72.0 / 25.4;
}

// Receives the document's bytes; false when they could not be written.
using SCRITTORE_PDF = std::function<bool(const unsigned char* dati, unsigned int n)>;

struct DOCUMENTO_PDF {
    cairo_surface_t* superficie = nullptr;
    cairo_t* cr = nullptr;
    PangoLayout* impaginato = nullptr; // reused for every text
    SCRITTORE_PDF scrittore;
    bool errore = false; // the writer failed
};

// Starts a document with its title in the metadata; false when cairo
// cannot (memory).
bool apri_pdf(DOCUMENTO_PDF& d, SCRITTORE_PDF scrittore, const std::string& titolo);
// Ends the page drawn and starts the next.
void fine_pagina(DOCUMENTO_PDF& d);
// Finishes the document (the last page ended) and frees it: false when
// anything could not be drawn or written.
bool chiudi_pdf(DOCUMENTO_PDF& d);

enum class ALLINEAMENTO { SINISTRA, CENTRO, DESTRA };

struct STILE_TESTO {
    double punti = 10.0;
    bool grassetto = false;
    bool monospaziato = false;
    ALLINEAMENTO allineamento = ALLINEAMENTO::SINISTRA;
    bool una_riga = false; // cut with an ellipsis instead of wrapped
};

// Draws UTF-8 text with its top left corner at x, y, wrapped within
// `larghezza` (line ends start new lines); the height it took.
double scrivi_testo(DOCUMENTO_PDF& d, double x, double y, double larghezza, std::string_view testo,
                    const STILE_TESTO& stile);

// A rectangle's outline, in grey, `spessore` points wide.
void riquadro(DOCUMENTO_PDF& d, double x, double y, double larghezza, double altezza,
              double spessore = 0.6);
