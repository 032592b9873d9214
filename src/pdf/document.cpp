// The PDF document: cairo's PDF surface on a writer, pango's text in DejaVu
// Sans (any sans-serif fontconfig finds when it is missing), embedded as a
// subset by cairo.
#include "pdf/document.h"

#include <cairo-pdf.h>

namespace {

cairo_status_t scrivi(void* chiusura, const unsigned char* dati, unsigned int n) {
    auto* d = static_cast<DOCUMENTO_PDF*>(chiusura);
    if (d->errore || !d->scrittore(dati, n)) {
        d->errore = true;
        return CAIRO_STATUS_WRITE_ERROR;
    }
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

bool apri_pdf(DOCUMENTO_PDF& d, SCRITTORE_PDF scrittore, const std::string& titolo) {
    d.scrittore = std::move(scrittore);
    d.superficie = cairo_pdf_surface_create_for_stream(scrivi, &d, A4_LARGHEZZA, A4_ALTEZZA);
    cairo_pdf_surface_set_metadata(d.superficie, CAIRO_PDF_METADATA_TITLE, titolo.c_str());
    cairo_pdf_surface_set_metadata(d.superficie, CAIRO_PDF_METADATA_CREATOR, "sanzionario");
    d.cr = cairo_create(d.superficie);
    d.impaginato = pango_cairo_create_layout(d.cr);
    return cairo_status(d.cr) == CAIRO_STATUS_SUCCESS && d.impaginato != nullptr;
}

void fine_pagina(DOCUMENTO_PDF& d) {
    cairo_show_page(d.cr);
}

bool chiudi_pdf(DOCUMENTO_PDF& d) {
    if (d.impaginato != nullptr) g_object_unref(d.impaginato);
    d.impaginato = nullptr;
    bool fatto = d.cr != nullptr && cairo_status(d.cr) == CAIRO_STATUS_SUCCESS;
    if (d.cr != nullptr) cairo_destroy(d.cr);
    d.cr = nullptr;
    if (d.superficie != nullptr) {
        cairo_surface_finish(d.superficie);
        fatto = fatto && cairo_surface_status(d.superficie) == CAIRO_STATUS_SUCCESS;
        cairo_surface_destroy(d.superficie);
    }
    d.superficie = nullptr;
    // The fonts found go back now. fontconfig's own caches stay until the
    // process ends: releasing them (FcFini) aborts the program whenever a
    // font is still referenced, as after a cache file that could not be
    // written (a file-size limit). The sanitized builds' leak checker is
    // told so (tests/lsan.supp).
    pango_cairo_font_map_set_default(nullptr);
    return fatto && !d.errore;
}

double scrivi_testo(DOCUMENTO_PDF& d, double x, double y, double larghezza, std::string_view testo,
                    const STILE_TESTO& stile) {
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, stile.monospaziato ? "DejaVu Sans Mono,monospace"
                                                               : "DejaVu Sans,sans-serif");
    pango_font_description_set_weight(font, stile.grassetto ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_absolute_size(font, stile.punti * PANGO_SCALE);
    pango_layout_set_font_description(d.impaginato, font);
    pango_font_description_free(font);
    pango_layout_set_width(d.impaginato, static_cast<int>(larghezza * PANGO_SCALE));
    pango_layout_set_wrap(d.impaginato, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_ellipsize(d.impaginato, stile.una_riga ? PANGO_ELLIPSIZE_END : PANGO_ELLIPSIZE_NONE);
    pango_layout_set_alignment(d.impaginato,
                               stile.allineamento == ALLINEAMENTO::CENTRO   ? PANGO_ALIGN_CENTER
                               : stile.allineamento == ALLINEAMENTO::DESTRA ? PANGO_ALIGN_RIGHT
                                                                            : PANGO_ALIGN_LEFT);
    pango_layout_set_text(d.impaginato, testo.data(), static_cast<int>(testo.size()));
    cairo_set_source_rgb(d.cr, 0, 0, 0);
    cairo_move_to(d.cr, x, y);
    pango_cairo_show_layout(d.cr, d.impaginato);
    int l = 0, a = 0;
    pango_layout_get_size(d.impaginato, &l, &a);
    return static_cast<double>(a) / PANGO_SCALE;
}

void riquadro(DOCUMENTO_PDF& d, double x, double y, double larghezza, double altezza,
              double spessore) {
    cairo_set_source_rgb(d.cr, 0.45, 0.45, 0.45);
    cairo_set_line_width(d.cr, spessore);
    cairo_rectangle(d.cr, x, y, larghezza, altezza);
    cairo_stroke(d.cr);
}
