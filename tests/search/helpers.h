// The blocks of records as the displays print them, and the texts of the
// search and owners dialogues.
#pragma once

#include "fines/fines.h"
#include "fines/fixtures.h"
#include "owners/owners.h"
#include "support/texts.h"

// The framed block of a fine, or of an owner; to be taken before the
// dialogue's own ConsoleFinta is set up.
inline std::string blocco(const NODO_CONTRAVV* f) {
    ConsoleFinta c;
    stampa_contravv(f);
    return c.testo();
}
inline std::string scheda(NODO_ANAGRAF* p) {
    ConsoleFinta c;
    vis_anagraf(lista_anagraf, p);
    return c.testo();
}

using testi::FINE_ANAGRAF;
using testi::FINE_PAGAM;
using testi::FINE_RICERCA;
using testi::FORM_ANAGRAF;
using testi::PROMPT_ANAGRAF;
using testi::PROMPT_PAGAM;
