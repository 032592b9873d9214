// One notice page: the letter that tells a fine's owner what to pay, how
// and by when, with the platform's notice codes and QR codes for the
// reduced and the full amount.
#pragma once

#include "model/records.h"
#include "notices/settings.h"
#include "pdf/document.h"

// Draws the notice of fine `f` (which has owner data) on the current page
// and ends the page. False when a QR code could not be made.
bool pagina_avviso(DOCUMENTO_PDF& d, const UFFICIO& u, const NODO_CONTRAVV& f);
