// The QR code's modules as a small image, one pixel a module, scaled up
// without smoothing: in the PDF one image a code instead of a path of
// hundreds of squares, which printers and readers draw just as sharp.
#include "pdf/qr.h"

#include <qrencode.h>

bool disegna_qr(DOCUMENTO_PDF& d, double x, double y, double lato, const std::string& testo) {
    QRcode* qr = QRcode_encodeString8bit(testo.c_str(), 4, QR_ECLEVEL_M);
    if (qr == nullptr) return false;
    constexpr int ZONA_MUTA = 4;
    const int n = qr->width + 2 * ZONA_MUTA;
    cairo_surface_t* immagine = cairo_image_surface_create(CAIRO_FORMAT_RGB24, n, n);
    const bool creata = cairo_surface_status(immagine) == CAIRO_STATUS_SUCCESS;
    if (creata) {
        cairo_surface_flush(immagine);
        unsigned char* pixel = cairo_image_surface_get_data(immagine);
        const int passo = cairo_image_surface_get_stride(immagine);
        for (int r = 0; r < n; ++r) {
            auto* riga = reinterpret_cast<uint32_t*>(pixel + r * passo);
            for (int c = 0; c < n; ++c) {
                const int qr_r = r - ZONA_MUTA, qr_c = c - ZONA_MUTA;
                const bool scuro = qr_r >= 0 && qr_c >= 0 && qr_r < qr->width && qr_c < qr->width &&
                                   (qr->data[qr_r * qr->width + qr_c] & 1) != 0;
                riga[c] = scuro ? 0x000000u : 0xFFFFFFu;
            }
        }
        cairo_surface_mark_dirty(immagine);
        cairo_save(d.cr);
        cairo_translate(d.cr, x, y);
        cairo_scale(d.cr, lato / n, lato / n);
        cairo_set_source_surface(d.cr, immagine, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(d.cr), CAIRO_FILTER_NEAREST);
        cairo_paint(d.cr);
        cairo_restore(d.cr);
    }
    cairo_surface_destroy(immagine);
    QRcode_free(qr);
    return creata;
}
