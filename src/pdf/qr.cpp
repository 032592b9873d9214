// The QR code's modules, each row's dark runs filled as one rectangle.
#include "pdf/qr.h"

#include <qrencode.h>

bool disegna_qr(DOCUMENTO_PDF& d, double x, double y, double lato, const std::string& testo) {
    QRcode* qr = QRcode_encodeString8bit(testo.c_str(), 4, QR_ECLEVEL_M);
    if (qr == nullptr) return false;
    constexpr int ZONA_MUTA = 4;
    const int n = qr->width;
    const double modulo = lato / (n + 2 * ZONA_MUTA);
    cairo_set_source_rgb(d.cr, 1, 1, 1);
    cairo_rectangle(d.cr, x, y, lato, lato);
    cairo_fill(d.cr);
    cairo_set_source_rgb(d.cr, 0, 0, 0);
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n;) {
            if ((qr->data[r * n + c] & 1) == 0) {
                ++c;
                continue;
            }
            int fine = c;
            while (fine < n && (qr->data[r * n + fine] & 1) != 0) ++fine;
            cairo_rectangle(d.cr, x + (ZONA_MUTA + c) * modulo, y + (ZONA_MUTA + r) * modulo,
                            (fine - c) * modulo, modulo);
            c = fine;
        }
    }
    cairo_fill(d.cr);
    QRcode_free(qr);
    return true;
}
