// QR codes drawn on a PDF page, encoded by libqrencode.
#pragma once

#include <string>

#include "pdf/document.h"

// Draws the QR code of `testo` (error correction level M, version 4 or the
// least larger one it needs) as a square of side `lato` with its top left
// corner at x, y, its quiet zone of four modules included. False when it
// cannot be encoded.
bool disegna_qr(DOCUMENTO_PDF& d, double x, double y, double lato, const std::string& testo);
