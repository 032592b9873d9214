// Finding owner records by code while the fines file is loaded.
#pragma once

#include <cstdint>
#include <vector>

#include "model/records.h"

struct VOCE_INDICE {
    uint32_t codice;
    NODO_ANAGRAF* anagraf;
};

// For each code, the first owner record with it in list order; sorted by code.
using INDICE_ANAGRAF = std::vector<VOCE_INDICE>;

// Notes an owner record as it is read; the index is ready for searching
// only after ordina_indice. Throws std::bad_alloc.
void annota_anagraf(INDICE_ANAGRAF& indice, NODO_ANAGRAF* a);

// Sorts the notes by code and keeps, for each code, the first record noted.
void ordina_indice(INDICE_ANAGRAF& indice);

// The first owner record of the indexed list with that code, or nullptr.
NODO_ANAGRAF* cerca_codice(const INDICE_ANAGRAF& indice, uint32_t codice);
