// The payment of one fine: showing whether and when it was paid, changing
// the payment date, removing the payment.
#include "fines/fines.h"
#include "console/console.h"
#include "console/conventions.h"
#include "input/date.h"
#include "model/changes.h"
#include "model/lists.h"
#include "owners/owners.h"
#include "payments/payments.h"
#include "session/archive.h"

namespace {

// The first fine with that number; nullptr, after the message, when the
// list is empty or holds no such fine.
NODO_CONTRAVV* cerca_multa(NODO_CONTRAVV* lista, unsigned long numero) {
    if (lista == nullptr) {
        console_out() << "\nNon e' presente alcuna contravvenzione.\n";
        return nullptr;
    }
    NODO_CONTRAVV* f = trova_numero(lista, numero);
    if (f == nullptr) console_out() << "\nLa contravvenzione cercata non esiste.\n";
    return f;
}

// The payment date of a paid fine and who paid it.
void stampa_pagamento(const NODO_CONTRAVV* f) {
    console_out() << "\nLa contravvenzione e' stata pagata in data ";
    vis_data(f->data_pagamento);
    console_out() << "dal Sig./dalla Sig.ra\n";
    vis_anagraf(lista_anagraf, f->anagraf);
}

// The payment status of one fine: 0 paid, 1 unpaid.
int stato_pagamento(const NODO_CONTRAVV* f) {
    if (f->pagata) {
        stampa_pagamento(f);
        return 0;
    }
    console_out() << "\nMulta non ancora pagata";
    if (f->con_anagraf) console_out() << ", ma sono gia' stati inseriti i dati anagrafici.";
    console_out() << "\n";
    return 1;
}

} // namespace

int vis_pagam(NODO_CONTRAVV* lista, unsigned long numero) {
    const NODO_CONTRAVV* f = cerca_multa(lista, numero);
    return f == nullptr ? -1 : stato_pagamento(f);
}

int mod_pagam(NODO_CONTRAVV* lista, unsigned long numero) {
    NODO_CONTRAVV* f = cerca_multa(lista, numero);
    if (f == nullptr) {
        pausa();
        return -1;
    }
    return mod_pagam_record(f);
}

int mod_pagam_record(NODO_CONTRAVV* f) {
    if (f == nullptr) return -1;
    if (!f->pagata) {
        console_out() << "\nImpossibile modificare: multa non ancora pagata\n\n";
        pausa();
        return 1;
    }
    stampa_pagamento(f);
    if (chiede_uscita("\nPremere INVIO per modificare la data di pagamento, X per uscire... "))
        return 1;
    const uint32_t numero = f->numero;
    registra_pagamento(f, chiedi_data_pagamento(f, "\nInserire la nuova data di pagamento:  "));
    if (operazione_rifiutata()) {
        mostra_contravv_ora(numero);
        return RIFIUTATA;
    }
    console_out() << "\n --- Data del pagamento modificata ---\n\n";
    pausa();
    return 0;
}

int canc_pagam(NODO_CONTRAVV* lista, unsigned long numero) {
    // One walk finds the fine that is shown and then changed.
    NODO_CONTRAVV* f = cerca_multa(lista, numero);
    if (f == nullptr || stato_pagamento(f) != 0) {
        pausa();
        return -1;
    }
    if (chiede_uscita("\nPremere INVIO per eliminare la data del pagamento, X per uscire... "))
        return 1;
    annulla_pagamento(f);
    if (operazione_rifiutata()) {
        mostra_contravv_ora(static_cast<uint32_t>(numero));
        return RIFIUTATA;
    }
    console_out() << "\n --- Pagamento eliminato ---\n";
    pausa();
    return 0;
}
