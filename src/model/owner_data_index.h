// Owners found by their nine data fields, for the check that an owner being
// entered or edited equals one on file: a hash of the nine fields leads to
// a chain of owner codes, each code to its record through the index by
// code (model/record_index.h). Kept by the change door where that index is
// a table and the codes rise along the list (as this system numbers them),
// so that the first equal owner in list order is the one with the lowest
// code; elsewhere the owners are walked. Four bytes an owner and four a
// bucket.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/record_index.h"
#include "model/records.h"

struct INDICE_DATI {
    std::vector<uint32_t> teste;    // bucket -> the first code of its chain + 1 (0: empty)
    std::vector<uint32_t> seguenti; // code - base -> the next code of its chain + 1 (0: last)
    uint32_t base = 0;              // the index by code's base when this was made
    std::size_t quanti = 0;
};

// Whether two owners have the same nine data fields.
bool stessi_dati(const NODO_ANAGRAF* a, const NODO_ANAGRAF* b);

// Whether the index by code `x` is one the data index can stand on.
bool dati_indicizzabili(const INDICE_ID<NODO_ANAGRAF>& x);

// Every owner of `lista`, indexed by `x`, but `esclusa` (nullptr: none).
// Throws std::bad_alloc.
void indicizza_dati(INDICE_DATI& d, const INDICE_ID<NODO_ANAGRAF>& x, const NODO_ANAGRAF* lista,
                    const NODO_ANAGRAF* esclusa);

// `a`, a record of the list indexed by `x`, enters the index (false when
// its code lies below the index's base: the index no longer fits; throws
// std::bad_alloc) or leaves it with the data fields it was entered with
// (false when it is not found there: the index no longer matches).
bool dati_entrati(INDICE_DATI& d, const INDICE_ID<NODO_ANAGRAF>& x, const NODO_ANAGRAF* a);
bool dati_usciti(INDICE_DATI& d, const NODO_ANAGRAF* a);

// The owner of the indexed list, other than `p`, with the nine data fields
// of `p` and the lowest code; nullptr when none.
NODO_ANAGRAF* dati_uguali(const INDICE_DATI& d, const INDICE_ID<NODO_ANAGRAF>& x,
                          const NODO_ANAGRAF* p);
