// The index of a list by identifier (fine number or owner code) that the
// change door keeps: the first record with an identifier in list order, as
// a walk finds it; the record before a record; the list's tail and its
// highest identifier; each without a walk of the list.
//
// While the identifiers are not spread much wider than the records (as
// this system numbers them: 1, 2, 3..., with the gaps that deletions leave)
// they stand in a table by identifier, one pointer each; otherwise in a
// hash table. While they rise strictly along the list (as this system
// numbers them), the record before one is the one with the nearest lower
// identifier. In a list edited by hand, where they do not rise, the record
// before one is found by a walk; where they repeat, removing the first
// record of an identifier walks on from it to the next one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "model/records.h"

template <class N> struct INDICE_ID {
    std::vector<N*> tabella; // in a table: the first record with identifier base + i, or nullptr
    uint32_t base = 0;
    std::unordered_map<uint32_t, N*> sparsi; // otherwise: identifier -> first record
    bool in_tabella = true;
    bool crescenti = true; // the identifiers rise strictly along the list
    bool unici = true;     // no two records of the list have shared an identifier
    N* coda = nullptr;     // the last record
    std::size_t quanti = 0;
    uint32_t massimo = 0;     // the highest identifier, when massimo_noto
    bool massimo_noto = true; // else at least the highest one
};

// The identifier of a record.
inline uint32_t identificativo(const NODO_CONTRAVV* f) {
    return f->numero;
}
inline uint32_t identificativo(const NODO_ANAGRAF* a) {
    return a->codice;
}

// Empties the index; when `quanti` records with identifiers up to
// `massimo` are about to be added, room for them is made (memory only
// reserved: no page is touched until a record is added).
template <class N>
void azzera_indice(INDICE_ID<N>& x, std::size_t quanti = 0, uint32_t massimo = 0);

// `r` was appended at the tail of the indexed list. Throws std::bad_alloc.
template <class N> void indice_aggiunto(INDICE_ID<N>& x, N* r);

// `r` was linked into the indexed list after `prima` (not at its tail).
// False, the index unchanged, when the identifiers no longer rise along
// the list there or the index cannot tell: it is to be made again. Throws
// std::bad_alloc.
template <class N> bool indice_inserito(INDICE_ID<N>& x, N* r, const N* prima);
// `r`, standing in the indexed list after `prima` (nullptr: at its head),
// is about to be unlinked: its link to the record after it still holds.
// Throws std::bad_alloc (only when the index leaves its table).
template <class N> void indice_tolto(INDICE_ID<N>& x, N* r, N* prima);

// A whole list indexed in one walk (`quanti` and `massimo` as for
// azzera_indice, when known). Throws std::bad_alloc.
template <class N>
void indicizza(INDICE_ID<N>& x, N* lista, std::size_t quanti = 0, uint32_t massimo = 0);

// The first record of the list with identifier `id`, or nullptr.
template <class N> N* indice_trova(const INDICE_ID<N>& x, uint64_t id);

// The record before `r`, a record of the list whose head is `lista`
// (nullptr when `r` is the head).
template <class N> N* indice_prima(const INDICE_ID<N>& x, N* lista, const N* r);

// The highest identifier of the list (0 when it is empty).
template <class N> uint32_t indice_massimo(INDICE_ID<N>& x, N* lista);

extern template struct INDICE_ID<NODO_CONTRAVV>;
extern template struct INDICE_ID<NODO_ANAGRAF>;
