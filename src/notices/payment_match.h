// A payment list's rows matched by the office's notice codes: the code a
// row names (in its code column, or anywhere in its text, as a bank's
// reason for payment), and whether the amount paid is the one that code
// asks for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/records.h"
#include "notices/notice_code.h"
#include "notices/settings.h"

// The code a row names, or why its code column holds no code of the
// office's (`errore`); neither when the row names none.
struct AVVISO_RIGA {
    std::optional<AVVISO_TROVATO> avviso;
    std::string errore;
};

// Looks in the code column (`colonna`, -1 when the list has none), whose
// value, blanks aside, must be empty or a code of the office's; then in
// every other field.
AVVISO_RIGA avviso_della_riga(const REGOLA_AVVISI& r, const std::vector<std::string>& campi,
                              int colonna);

// Why `importo` (cents) does not pay fine `f` by the code `a`, or "" when
// it is that code's amount. A reduced amount paid with the full amount's
// code is named as such.
std::string motivo_importo_avviso(const UFFICIO& u, const NODO_CONTRAVV& f,
                                  const AVVISO_TROVATO& a, int64_t importo);

// What the import says of a fine paid by code: the code, which amount and
// how much; for a reduced amount, that its term was not checked (the
// archive holds no notification dates).
std::string nota_pagamento_avviso(const UFFICIO& u, uint32_t numero, const AVVISO_TROVATO& a,
                                  int64_t importo);
