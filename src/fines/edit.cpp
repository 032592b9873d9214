// Editing a recorded fine field by field, with its owner and its payment
// date reachable from the same screen.
#include <cstdint>

#include "console/console.h"
#include "console/conventions.h"
#include "console/text.h"
#include "fines/fines.h"
#include "fines/form.h"
#include "input/date.h"
#include "input/line.h"
#include "model/changes.h"
#include "model/lists.h"
#include "owners/owners.h"
#include "payments/payments.h"
#include "session/archive.h"

namespace {

void stampa_schermata(const NODO_CONTRAVV* f) {
    std::ostream& out = console_out();
    out << "\n CONTRAVVENZIONE N." << f->numero << "\n\n";
    out << "[1] Data del verbale     : ";
    vis_data(f->data_verbale);
    out << "[2] Luogo dell'infrazione: " << f->luogo << "\n";
    out << "[3] Targa del veicolo    : " << f->targa << "\n";
    out << "[4] Tipo di infrazione   : " << f->tipo << "\n";
    out << "[5] Importo della multa  : " << fisso2(f->importo) << " euro\n";
    if (f->con_anagraf) out << "\n[6] Modifica Dati anagrafici\n";
    if (f->pagata) out << "\n[7] Modifica la data di pagamento\n";
    out << "\n\n[8] Fine modifiche\n";
    out << "\n\nSeleziona il campo da modificare [1-7, 8 fine]\n";
}

// A new ticket date; for a paid fine, asked again until the payment does
// not precede it. The record changes only once the date is acceptable.
void chiedi_data_verbale(NODO_CONTRAVV* f) {
    console_out() << "\nInserire la data del verbale della contravvenzione (gg/mm/aaaa):\n> ";
    DATA d{};
    ins_data(&d);
    // A paid fine read from a hand-edited file may carry a payment date that is
    // none (0/0/0): it cannot bind the ticket date.
    const bool vincolata = f->pagata && data_valida(f->data_pagamento);
    while (vincolata && ordine_data(d, f->data_pagamento) == 1) {
        console_out() << "\nImpossibile modificare: data non valida\nLa data di contravvenzione "
                         "deve essere precedente a quella del pagamento.\nPrego reinserire la "
                         "data della contravvenzione: ";
        ins_data(&d);
    }
    f->data_verbale = d;
}

// The questions of the fine's data fields, items 1 to 5 of the screen.
void (*const CHIEDI_DATO[])(NODO_CONTRAVV*) = {chiedi_data_verbale, chiedi_luogo, chiedi_targa,
                                               chiedi_tipo, chiedi_importo};

// False when the change was refused (another clerk changed the record):
// the fine is no longer the one the screen holds.
bool modifica_campo(NODO_CONTRAVV* f, char scelta) {
    switch (scelta) {
    case '1':
    case '2':
    case '3':
    case '4':
    case '5': {
        // Asked on a copy, which replaces the fine's data once the answer is
        // complete: the screen shown next holds the new value.
        NODO_CONTRAVV nuovi = *f;
        CHIEDI_DATO[scelta - '1'](&nuovi);
        modifica_dati(f, nuovi);
        return !operazione_rifiutata();
    }
    case '6':
        // The fine's own owner record, even when another record shares its code.
        if (f->con_anagraf) return mod_anagraf_record(f->anagraf) != RIFIUTATA;
        break;
    case '7':
        cls();
        // This fine's payment, even when another fine shares its number.
        if (f->pagata) return mod_pagam_record(f) != RIFIUTATA;
        break;
    }
    return true;
}

} // namespace

int mod_contravv(NODO_CONTRAVV* lista) {
    console_out() << "\nInserire il numero della contravvenzione per visualizzarla ed\n"
                     "eventualmente modificarla\n>";
    uint32_t numero = 0;
    ins_int(&numero);
    // One walk finds the fine that is shown and then edited.
    NODO_CONTRAVV* f = trova_numero(lista, numero);
    if (f == nullptr) {
        vis_contravv(lista, numero); // the empty-list or not-found message
        pausa();
        return -1;
    }
    stampa_contravv(f);
    if (chiede_uscita(
            "\nPremere INVIO per modificare i dati della contravvenzione, X per uscire... "))
        return 1;
    for (;;) {
        cls();
        stampa_schermata(f);
        const char scelta = leggi_scelta('1', '8');
        console_out() << "\n\n";
        if (scelta == '8') break;
        if (!modifica_campo(f, scelta)) {
            mostra_contravv_ora(numero);
            return -1;
        }
    }
    console_out() << "\n\n ---- Dati aggiornati. ----\n\n";
    pausa();
    return 0;
}
