// Where each record of a list stands while a journal is replayed: found in
// one walk before the replay and kept up to date by it, so that finding a
// record by its position, the record before it and the list's tail costs
// the same however large the archive. A list where two records share an
// identifier is not indexed: there each look-up walks the list, as the
// change door's own in_posizione does, and finds the very same record.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "model/changes.h"
#include "model/records.h"

template <class N> struct POSTI {
    std::vector<N*> in_ordine;  // the list, in order; nullptr where one was removed
    // For a removed place passed over before: a place before it to look at
    // (any other removed place k: k - 1), so that a run of removals is
    // crossed in few steps.
    std::unordered_map<int64_t, int64_t> salto;
    // Identifier -> place in in_ordine: while the identifiers rise along the
    // list (as the program numbers them), a binary search over them, which
    // costs nothing to build; otherwise a hash table.
    std::vector<uint32_t> crescenti;
    std::unordered_map<uint32_t, uint32_t> dove;
    bool in_tabella = false; // the hash table is the one in use
    bool unici = true;       // false: not indexed, walked

    // Indexes the list.
    void costruisci(N* lista);
    // The record at position `p` of `lista` (nullptr when none stands there).
    N* trova(N* lista, POSIZIONE p) const;
    // The record before `r` in `lista` (nullptr when `r` is the head).
    N* prima_di(N* lista, const N* r);
    // The list's last record (nullptr when it is empty).
    N* coda(N* lista);
    // `r` was appended at the tail, or removed.
    void aggiunto(N* r);
    void tolto(const N* r);
    // The place of the record with this identifier, or -1.
    int64_t posto(uint32_t id) const;
    // Where to look after the removed place k.
    int64_t salto_da(int64_t k) const;
    // The identifiers no longer rise: the hash table from now on.
    void in_tabella_da_ora();
};

extern template struct POSTI<NODO_CONTRAVV>;
extern template struct POSTI<NODO_ANAGRAF>;
