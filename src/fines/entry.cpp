// Recording a new fine: numbering and linking at the tail of the list, the
// entry form, and the optional owner data and payment asked at its end.
#include "console/console.h"
#include "console/conventions.h"
#include "fines/fines.h"
#include "fines/form.h"
#include "input/date.h"
#include "model/changes.h"
#include "model/lists.h"
#include "owners/owners.h"
#include "session/archive.h"

namespace {

// Links a new fine with the next number at the tail of the list; nullptr,
// after the message and a pause, when no number or no memory is left.
NODO_CONTRAVV* accoda_nuova() {
    bool esauriti = false;
    const auto numero = numero_per_nuovo(true, esauriti);
    if (!numero && !esauriti) return nullptr; // no database: the clerk was told
    if (!numero) {
        console_out() << "\n\nATTENZIONE: numerazione delle contravvenzioni esaurita.\n\n"
                         "Impossibile inserire nuove contravvenzioni\n\n";
        pausa();
        return nullptr;
    }
    NODO_CONTRAVV* f = nuovo_contravv();
    if (f == nullptr) {
        rinuncia_al_numero(true, *numero);
        console_out()
            << "\n\nATTENZIONE: Memoria esaurita.\n\nImpossibile allocare nuova memoria\n\n";
        pausa();
        return nullptr;
    }
    f->numero = *numero;
    // The list passed is the global one: the new fine joins it at once, as a
    // draft, while its form is filled in.
    accoda_bozza(f, ultima_contravv());
    return f;
}

} // namespace

int ins_contravv(NODO_CONTRAVV*) {
    NODO_CONTRAVV* f = accoda_nuova();
    if (f == nullptr) return -1;

    // The fine, its owner and its payment are kept together or not at all.
    apri_operazione();
    console_out() << "\n\nInserire la data del verbale della contravvenzione (gg/mm/aaaa):\n> ";
    ins_data(&f->data_verbale);
    chiedi_luogo(f);
    chiedi_targa(f);
    chiedi_tipo(f);
    chiedi_importo(f);

    if (domanda_sn("\n\nInserire subito i dati del proprietario? (s/n) ")) {
        console_out() << "\n\n----------------------------------------------------------";
        if (NODO_ANAGRAF* a = ins_anagraf(lista_anagraf)) collega_anagraf(f, a);
    }
    if (f->con_anagraf && domanda_sn("\nInserire subito i dati dell'avvenuto pagamento? (s/n) ")) {
        console_out() << "\nInserire la data del pagamento:  ";
        registra_pagamento(
            f, leggi_data_pagamento(f, "\nData non valida \nLa data di pagamento deve essere "
                                       "successiva a quella della contravvenzione.\nPrego "
                                       "reinserire la data del pagamento: "));
    }
    conferma_bozza(f);
    const uint32_t numero = f->numero;
    chiudi_operazione();
    if (operazione_rifiutata()) {
        pausa();
        return -1;
    }
    console_out() << "\nContravvenzione n." << numero << " inserita correttamente. \n";
    return 0;
}
