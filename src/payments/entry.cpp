// Recording the payment of a fine: only for an unpaid fine with owner data,
// on a date not earlier than the ticket.
#include "fines/fines.h"
#include "console/console.h"
#include "fines/form.h"
#include "model/changes.h"
#include "model/lists.h"
#include "owners/owners.h"
#include "payments/payments.h"
#include "session/archive.h"

DATA chiedi_data_pagamento(const NODO_CONTRAVV* f, const char* prompt) {
    console_out() << prompt;
    return leggi_data_pagamento(
        f, "\nData non valida: \nLa data di pagamento deve essere successiva a "
           "quella della contravvenzione.\nPrego reinserire la data del "
           "pagamento: ");
}

int ins_pagam(unsigned long numero) {
    if (lista_contravv == nullptr) {
        console_out() << "\nErrore: non e' presente alcuna contravvenzione.\n";
        pausa();
        return -1;
    }
    NODO_CONTRAVV* f = trova_numero(lista_contravv, numero);
    if (f == nullptr) {
        console_out() << "\nLa contravvenzione cercata non esiste.\n";
        pausa();
        return -1;
    }
    return ins_pagam_record(f);
}

int ins_pagam_record(NODO_CONTRAVV* f) {
    if (f == nullptr) return -1;
    if (f->pagata) {
        console_out() << "\nLa contravvenzione e' gia' stata pagata dal Sig./dalla Sig.ra.\n";
        // A missing owner (possible in a hand-edited data file) has already
        // been reported with its own pause.
        if (vis_anagraf(lista_anagraf, f->anagraf) == 0) pausa();
        return 1;
    }
    if (!f->con_anagraf) {
        console_out() << "\nNon e' possibile registrare il pagamento in quanto non e' stato "
                         "ancora inserito un proprietario\n";
        pausa();
        return 1;
    }
    console_out() << "\nLa contravvenzione deve essere pagata da \n";
    vis_anagraf(lista_anagraf, f->anagraf);
    const uint32_t numero = f->numero;
    registra_pagamento(f, chiedi_data_pagamento(f, "\nInserire la data del pagamento:  "));
    if (operazione_rifiutata()) {
        mostra_contravv_ora(numero);
        return RIFIUTATA;
    }
    console_out() << "\n\nPagamento aggiunto.\n";
    pausa();
    return 0;
}
