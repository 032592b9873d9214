// The one door through which the two lists change once they are loaded.
//
// Every change (a record added, its fields replaced, a record removed, a
// fine linked to an owner, a payment set or cleared, two owners merged)
// goes through these functions. They keep the links consistent (a fine
// with owner data points to a record of the owners list; a paid fine has
// owner data; removing an owner detaches and unpays its fines), keep the
// index of each list by identifier that every look-up below uses, and report
// each change, as a value that outlives the records, to the listener that
// keeps the recovery journal.
//
// Changes are reported in groups: one group is one operation of the clerk,
// which must be kept whole or not at all. A door call outside any
// operation is a group of its own; between apri_operazione() and
// chiudi_operazione() the calls gather into one group, reported when the
// outermost operation closes.
//
// A record being filled by its entry form is a draft: it stands at the tail
// of its list (the forms fill it in place) but is not reported until it is
// confirmed, with its whole final image. Changes made to a draft are part
// of that image, not reported on their own.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "model/record_index.h"
#include "model/records.h"

// Where a record stands in its list, so that it can be found again on a
// list in the same state: its identifier, and how many records with the
// same identifier come before it (0 whenever identifiers are unique).
struct POSIZIONE {
    uint32_t id = 0;
    uint32_t ordine = 0;
};

enum class TIPO_MODIFICA : uint8_t {
    CONTRAVV_AGGIUNTA = 1, // `contravv` appended, with its owner at `anagraf_di`
    CONTRAVV_CAMBIATA = 2, // the fine at `dove` now has the image `contravv`
    CONTRAVV_TOLTA = 3,    // the fine at `dove` removed; with `anche_anagraf`, its owner too
    ANAGRAF_AGGIUNTA = 4,  // `anagraf` appended
    ANAGRAF_CAMBIATA = 5,  // the owner at `dove` now has the nine data fields of `anagraf`
    ANAGRAF_TOLTA = 6,     // the owner at `dove` removed, its fines detached and unpaid
    ANAGRAF_UNITA = 7,     // the fines of the owner at `dove` moved to the one at
                           // `anagraf_di` (payments kept), then the first one removed
};

// One change, by value: the images carry no links (`next`, `anagraf` are
// empty); a fine's owner is given by its position in `anagraf_di`.
struct MODIFICA {
    TIPO_MODIFICA tipo{};
    POSIZIONE dove; // the record changed or removed
    NODO_CONTRAVV contravv{};
    NODO_ANAGRAF anagraf{};
    bool con_anagraf_di = false; // `anagraf_di` names an owner (fine images, merges)
    POSIZIONE anagraf_di;
    bool anche_anagraf = false;
};

// Receives each group of changes once its operation is complete, before
// the caller tells the clerk that it is done. `completo` is false when
// memory ran out while the group was gathered: some change is missing.
using ASCOLTATORE_MODIFICHE = void (*)(std::span<const MODIFICA> gruppo, bool completo);
// Sets the listener (nullptr: changes are not reported, as while a journal
// is replayed).
void ascolta_modifiche(ASCOLTATORE_MODIFICHE ascoltatore);
ASCOLTATORE_MODIFICHE ascoltatore_modifiche();

// Told of each record the door is about to change or remove (a fine
// whose owner goes or moves, the owner a merge keeps), with the record as
// it still stands, so that what it held before can be kept. Only while a
// listener is set, and never for a draft. nullptr: nobody is told.
using OSSERVATORE_PRIMA = void (*)(const NODO_CONTRAVV* f, const NODO_ANAGRAF* a);
void osserva_prima(OSSERVATORE_PRIMA osservatore);
OSSERVATORE_PRIMA osservatore_prima();

// Operations: see above. They nest; only the outermost one reports. An
// operation cut short by the end of input is never reported: the program
// ends there.
void apri_operazione();
void chiudi_operazione();

// Operations completed since the lists were installed or last saved.
long modifiche_non_salvate();
void modifiche_salvate();

// Makes new lists the current ones (a load): the old records are freed,
// drafts and pending changes dropped, the count of changes reset. The two
// flags tell whether fine numbers and owner codes are known to be unique.
void installa_liste(NODO_CONTRAVV* contravv, NODO_ANAGRAF* anagraf, bool numeri_unici,
                    bool codici_unici);

// The same, with the index of each list made as the load read it.
void installa_liste(NODO_CONTRAVV* contravv, NODO_ANAGRAF* anagraf, bool numeri_unici,
                    bool codici_unici, INDICE_ID<NODO_CONTRAVV>&& indice_contravv,
                    INDICE_ID<NODO_ANAGRAF>&& indice_anagraf);

// The lists in use and what the door knows of them, taken out whole: a
// load installs new lists and, when it fails after that, puts these back.
struct LISTE_TOLTE {
    NODO_CONTRAVV* contravv = nullptr;
    NODO_ANAGRAF* anagraf = nullptr;
    bool numeri_unici = true;
    bool codici_unici = true;
    long non_salvate = 0;
};
// Takes the lists in use out, leaving empty ones (drafts and pending
// changes dropped).
LISTE_TOLTE togli_liste();
// Frees the lists in use and puts back lists taken out.
void rimetti_liste(const LISTE_TOLTE& liste);

// Drafts.
void accoda_bozza(NODO_CONTRAVV* f, NODO_CONTRAVV* coda);
void accoda_bozza(NODO_ANAGRAF* a, NODO_ANAGRAF* coda);
void conferma_bozza(NODO_CONTRAVV* f);
void conferma_bozza(NODO_ANAGRAF* a);
// A draft owner that turned out identical to one on file: unlinked and
// freed; no fine may point to it.
void scarta_bozza(NODO_ANAGRAF* a);

// The data fields of a fine (ticket date, place, plate, kind, amount) or
// the nine data fields of an owner, taken from `nuovi`.
void modifica_dati(NODO_CONTRAVV* f, const NODO_CONTRAVV& nuovi);
void modifica_dati(NODO_ANAGRAF* a, const NODO_ANAGRAF& nuovi);

// Points the fine to an owner record of the list.
void collega_anagraf(NODO_CONTRAVV* f, NODO_ANAGRAF* a);

// Records (or changes) the payment date of a fine with owner data; false,
// changing nothing, for a fine without.
bool registra_pagamento(NODO_CONTRAVV* f, DATA data);
void annulla_pagamento(NODO_CONTRAVV* f);

// Removes a fine; `prima` is the fine before it (nullptr for the head).
// With anche_anagraf and owner data, its owner record goes too, as
// elimina_anagraf does.
void elimina_contravv(NODO_CONTRAVV* f, NODO_CONTRAVV* prima, bool anche_anagraf);

// Detaches every fine that points to the owner (clearing their payments),
// unlinks and frees it. False when it is not in the list.
bool elimina_anagraf(NODO_ANAGRAF* a);

// Every fine of `a` goes to `altro`, keeping its payment; then `a` is removed.
void unisci_anagraf(NODO_ANAGRAF* a, NODO_ANAGRAF* altro);

// Look-ups in the lists in use, through the index the door keeps of each
// (see model/record_index.h): it is made with the lists by the load (or in
// one walk at the first look-up after the lists were changed past the
// door) and kept by every change above, so that no look-up walks a list of
// this system's own numbering. Each gives what a walk of the list gives.
//
// The first record with that identifier in list order, or nullptr; when
// asked, the record before it (nullptr for the head), for elimina_contravv.
// Any list other than the one in use is walked.
NODO_CONTRAVV* trova_numero(NODO_CONTRAVV* lista, unsigned long numero,
                            NODO_CONTRAVV** prima = nullptr);
NODO_ANAGRAF* trova_codice(NODO_ANAGRAF* lista, unsigned long codice,
                           NODO_ANAGRAF** prima = nullptr);
// The record before one of the list in use (nullptr for its head).
NODO_CONTRAVV* precedente(const NODO_CONTRAVV* f);
NODO_ANAGRAF* precedente(const NODO_ANAGRAF* a);
// The identifier a record appended now receives, and the list's tail, as
// nuovo_numero and nuovo_codice give them (model/lists.h).
std::optional<uint32_t> numero_nuovo(NODO_CONTRAVV* lista, NODO_CONTRAVV** coda = nullptr);
std::optional<uint32_t> codice_nuovo(NODO_ANAGRAF* lista, NODO_ANAGRAF** coda = nullptr);
// The first owner of the list in use, other than `p`, with the nine data
// fields of `p`, as a walk finds it; nullptr when none (found through a
// hash of the nine fields, made at the first call).
NODO_ANAGRAF* anagraf_uguale(NODO_ANAGRAF* p);
// The last record of the list in use (nullptr when it is empty).
NODO_CONTRAVV* ultima_contravv();
NODO_ANAGRAF* ultima_anagraf();

// Finding a record again from its position; nullptr when no record stands there.
POSIZIONE posizione(const NODO_CONTRAVV* f);
POSIZIONE posizione(const NODO_ANAGRAF* a);
NODO_CONTRAVV* in_posizione(NODO_CONTRAVV* lista, POSIZIONE p);
NODO_ANAGRAF* in_posizione(NODO_ANAGRAF* lista, POSIZIONE p);

// Replay of a journal: appends a complete fine or owner, or gives a fine
// the whole image of a change (data fields, owner link, payment exactly as
// given, also a paid mark without owner as a loaded file may carry). The
// records are allocated by the caller.
// `coda`, when given, is the list's tail, known to the caller: no walk to it.
void aggiungi_record(NODO_CONTRAVV* f, NODO_ANAGRAF* anagraf, NODO_CONTRAVV* const* coda = nullptr);
void aggiungi_record(NODO_ANAGRAF* a, NODO_ANAGRAF* const* coda = nullptr);
void applica_immagine(NODO_CONTRAVV* f, const NODO_CONTRAVV& immagine, NODO_ANAGRAF* anagraf);
// The same as aggiungi_record, the record linked right after `dopo`
// (nullptr: at the head) rather than at the tail: the replay of another
// program's operation on a shared archive, whose new record belongs
// before a form this program is still filling. The indexes are made again
// at the next look-up when it does not go at the tail.
void inserisci_record(NODO_CONTRAVV* f, NODO_ANAGRAF* anagraf, NODO_CONTRAVV* dopo);
void inserisci_record(NODO_ANAGRAF* a, NODO_ANAGRAF* dopo);

// Replay of owners removed or merged without a walk of the fines at each.
// accantona_anagraf() takes the owner `a` out of its list (`prima`: the owner
// before it, nullptr for the head) as removed (`altro` nullptr) or merged
// into `altro`, and reports that change; but the fines that point to it
// keep pointing to it, and it stays allocated, until sistema_accantonati()
// moves all of them in one walk: each fine goes where the chain of removals
// and merges ends, to an owner keeping its payment, or to none, detached
// and unpaid. In between, proprietario_attuale() is a fine's owner as it
// stands after those changes. When memory runs out to note the owner aside,
// it is removed or merged at once, as elimina_anagraf and unisci_anagraf do.
void accantona_anagraf(NODO_ANAGRAF* a, NODO_ANAGRAF* prima, NODO_ANAGRAF* altro);
NODO_ANAGRAF* proprietario_attuale(const NODO_CONTRAVV* f);
void sistema_accantonati();
