// Creating, finding, numbering and releasing records.
#pragma once

#include <cstdint>
#include <optional>

#include "model/records.h"

// A new zeroed record with no links, or nullptr when memory cannot be had.
NODO_CONTRAVV* nuovo_contravv();
NODO_ANAGRAF* nuovo_anagraf();

// Test seam: the n-th record allocation from now on fails (n >= 1); 0 turns it off.
void guasto_allocazione(long n);

void libera_contravv(NODO_CONTRAVV* p);
void libera_anagraf(NODO_ANAGRAF* p);
// Frees a whole list and leaves its head empty.
void libera_lista(NODO_CONTRAVV*& lista);
void libera_lista(NODO_ANAGRAF*& lista);
// Frees both global lists (program end, tests).
void libera_liste();

// The first record with that identifier, in list order, or nullptr.
NODO_CONTRAVV* trova_contravv(NODO_CONTRAVV* lista, unsigned long numero);
// The same, also giving the record before it (nullptr for the head), so
// that it can be unlinked without a second walk.
NODO_CONTRAVV* trova_contravv(NODO_CONTRAVV* lista, unsigned long numero, NODO_CONTRAVV** prima);
NODO_ANAGRAF* trova_anagraf(NODO_ANAGRAF* lista, unsigned long codice);

// The last record of a list, or nullptr for an empty list.
NODO_CONTRAVV* coda(NODO_CONTRAVV* lista);
NODO_ANAGRAF* coda(NODO_ANAGRAF* lista);

// The identifier a record appended now receives: the tail's plus one (1 in
// an empty list). When that one is already in use (a file edited by hand,
// whose identifiers do not rise along the list), one more than the highest.
// Empty when no identifier is left below 2^32. When asked, the same walk
// also gives the list's tail (nullptr for an empty list), for accoda_dopo.
// A list whose identifiers rise is walked once.
std::optional<uint32_t> nuovo_numero(NODO_CONTRAVV* lista, NODO_CONTRAVV** coda = nullptr);
std::optional<uint32_t> nuovo_codice(NODO_ANAGRAF* lista, NODO_ANAGRAF** coda = nullptr);

// Appends p at the tail of the list (the head when it is empty).
void accoda(NODO_CONTRAVV*& lista, NODO_CONTRAVV* p);
void accoda(NODO_ANAGRAF*& lista, NODO_ANAGRAF* p);

// Appends p right after `coda`, the list's known tail (nullptr: p becomes the head).
void accoda_dopo(NODO_CONTRAVV*& lista, NODO_CONTRAVV* coda, NODO_CONTRAVV* p);
void accoda_dopo(NODO_ANAGRAF*& lista, NODO_ANAGRAF* coda, NODO_ANAGRAF* p);

// Links p right after `prima`, a record of the list (nullptr: at its head).
void inserisci_dopo(NODO_CONTRAVV*& lista, NODO_CONTRAVV* prima, NODO_CONTRAVV* p);
void inserisci_dopo(NODO_ANAGRAF*& lista, NODO_ANAGRAF* prima, NODO_ANAGRAF* p);

// Unlinks p from the list if it stands there; true when it did.
bool sgancia(NODO_CONTRAVV*& lista, NODO_CONTRAVV* p);
bool sgancia(NODO_ANAGRAF*& lista, NODO_ANAGRAF* p);

// Counts the changes these helpers make to the links of the two lists in
// use (lista_contravv, lista_anagraf: a record appended, unlinked or freed,
// a list freed), so that an index of them can tell that it no longer
// matches lists changed past it.
uint64_t versione_liste();

// Copies text into a fixed field of capacity cap (terminator included), cut to fit.
void copia_campo(char* campo, std::size_t cap, const char* testo);
template <std::size_t N> void copia_campo(char (&campo)[N], const char* testo) {
    copia_campo(campo, N, testo);
}
