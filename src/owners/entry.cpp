// Entering an owner's data: a new record at the tail of the owners list,
// the owner form, and the merge into an owner already on file with the
// same nine data fields.

#include "console/console.h"
#include "input/date.h"
#include "model/changes.h"
#include "model/lists.h"
#include "owners/form.h"
#include "owners/owners.h"
#include "session/archive.h"

namespace {

// Links a new owner record with the next code at the tail of the list;
// nullptr, after the message and a pause, when no code or no memory is left.
NODO_ANAGRAF* accoda_nuovo() {
    bool esauriti = false;
    const auto codice = numero_per_nuovo(false, esauriti);
    if (!codice && !esauriti) return nullptr; // no database: the clerk was told
    if (!codice) {
        console_out() << "\n\n ! ATTENZIONE: codici dei dati anagrafici esauriti.\n\n"
                         "Impossibile inserire nuovi dati anagrafici\n\n";
        pausa();
        return nullptr;
    }
    NODO_ANAGRAF* p = nuovo_anagraf();
    if (p == nullptr) {
        rinuncia_al_numero(false, *codice);
        console_out() << "\n\n ! ATTENZIONE: Memoria esaurita.\n\n"
                         "Impossibile allocare ulteriore memoria\n\n";
        pausa();
        return nullptr;
    }
    p->codice = *codice;
    // The list passed is the global one: the record joins it, as a draft,
    // before its form.
    accoda_bozza(p, ultima_anagraf());
    return p;
}

} // namespace

NODO_ANAGRAF* ins_anagraf(NODO_ANAGRAF*) {
    NODO_ANAGRAF* p = accoda_nuovo();
    if (p == nullptr) return nullptr;

    console_out() << "\n\nInserire i dati anagrafici del proprietario del veicolo";
    chiedi_nominativo(p);
    chiedi_nascita(p);
    console_out() << "\nInserire i dati relativi alla residenza del proprietario del veicolo\n";
    chiedi_indirizzo(p);
    chiedi_residenza(p);
    chiedi_codice_fiscale(p);
    chiedi_patente(p);

    NODO_ANAGRAF* uguale = anagraf_doppia(p);
    // No fine points to the new record yet: dropping it touches no fine, and
    // its code goes to the next owner entered.
    if (uguale != p) {
        rinuncia_al_numero(false, p->codice);
        scarta_bozza(p);
    } else {
        conferma_bozza(p);
    }
    return uguale;
}

NODO_ANAGRAF* anagraf_doppia(NODO_ANAGRAF* p) {
    NODO_ANAGRAF* uguale = anagraf_uguale(p);
    return uguale != nullptr ? uguale : p;
}
