// Finding owner records by code while the fines file is loaded: a table
// indexed by the code itself when the codes are dense (as this system gives
// them: 1, 2, 3...), a sorted array of codes otherwise.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/records.h"

struct VOCE_INDICE {
    uint32_t codice;
    NODO_ANAGRAF* anagraf;
};

struct INDICE_ANAGRAF {
    std::vector<NODO_ANAGRAF*> tabella; // dense codes: the record at its code, or nullptr
    std::vector<VOCE_INDICE> ordinato;  // sparse codes: sorted by code, one entry per code
    bool codici_unici = true;           // no two records of the list share a code
};

// The index of an owners list of `quanti` records whose highest code is
// `massimo`: for each code, the first record with it in list order. A table
// when the highest code is at most twice the number of records (plus a
// thousand), so that it costs at most a few pointers per record; the sorted
// array otherwise. Throws std::bad_alloc.
INDICE_ANAGRAF indicizza_anagrafica(NODO_ANAGRAF* lista, std::size_t quanti, uint32_t massimo);

// The first owner record of the indexed list with that code, or nullptr.
inline NODO_ANAGRAF* cerca_codice(const INDICE_ANAGRAF& indice, uint32_t codice) {
    if (!indice.tabella.empty())
        return codice < indice.tabella.size() ? indice.tabella[codice] : nullptr;
    const auto voce =
        std::lower_bound(indice.ordinato.begin(), indice.ordinato.end(), codice,
                         [](const VOCE_INDICE& v, uint32_t c) { return v.codice < c; });
    if (voce == indice.ordinato.end() || voce->codice != codice) return nullptr;
    return voce->anagraf;
}
