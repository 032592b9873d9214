// The PDF surface's bytes into a command's output blocks.
#include "commands/pdf_output.h"

#include <iostream>

bool scrivi_pdf_uscita(USCITA& u, const std::string& titolo,
                       const std::function<bool(DOCUMENTO_PDF&)>& disegna) {
    DOCUMENTO_PDF d;
    const auto scrivi = [&u](const unsigned char* dati, unsigned int n) {
        u.blocco.append(reinterpret_cast<const char*>(dati), n);
        forse_scrivi(u);
        return !u.errore;
    };
    bool fatto = apri_pdf(d, scrivi, titolo) && disegna(d);
    fatto = chiudi_pdf(d) && fatto;
    if (!chiudi_uscita(u)) return false;
    if (!fatto)
        std::cerr << "sanzionario " << u.comando << ": impossibile comporre il file PDF.\n";
    return fatto;
}
