// The guided walks over the fines still to be completed: those without
// owner data and those not yet paid, each completed on the spot with "M".
#include "console/console.h"
#include "console/conventions.h"
#include "fines/fines.h"
#include "model/changes.h"
#include "model/walk.h"
#include "owners/owners.h"
#include "payments/payments.h"
#include "search/search.h"
#include "session/dialogs.h"
#include "session/archive.h"

namespace {

// What sets one walk apart from the other.
struct Percorso {
    bool (*da_mostrare)(const NODO_CONTRAVV* f);
    const char* prompt;
    void (*completa)(NODO_CONTRAVV* f);
    const char* fine;
};

// Shows every fine the walk stops at, one below the other, and completes
// the one shown on "M". 0 left with X; 1 after the end message and pause.
int percorri(NODO_CONTRAVV* lista, const Percorso& p) {
    for (NODO_CONTRAVV* f = lista; f != nullptr; f = seguente(f)) {
        if (!p.da_mostrare(f)) continue;
        stampa_contravv(f);
        console_out() << p.prompt;
        const std::string risposta = leggi_comando();
        if (comando_e(risposta, 'M') && !rifiuta_in_consultazione()) p.completa(f);
        if (comando_e(risposta, 'X')) return 0;
    }
    console_out() << p.fine;
    pausa();
    return 1;
}

bool senza_anagraf(const NODO_CONTRAVV* f) {
    return !f->con_anagraf;
}
bool non_pagata(const NODO_CONTRAVV* f) {
    return !f->pagata;
}

void inserisci_anagraf(NODO_CONTRAVV* f) {
    apri_operazione();
    if (NODO_ANAGRAF* a = ins_anagraf(lista_anagraf)) collega_anagraf(f, a);
    chiudi_operazione();
    if (operazione_rifiutata()) pausa();
    cls();
}

void inserisci_pagam(NODO_CONTRAVV* f) {
    cls();
    ins_pagam_record(f);
    cls();
}

} // namespace

int cerca_no_anagraf(NODO_CONTRAVV* lista) {
    return percorri(lista, {senza_anagraf,
                            "\nPremere INVIO per visualizzare la contravvenzione successiva,\n"
                            "digitare M per inserire i dati anagrafici, X per uscire... ",
                            inserisci_anagraf,
                            "\nNon esistono ulteriori contravvenzioni senza dati anagrafici.\n"});
}

int cerca_no_pagam(NODO_CONTRAVV* lista) {
    return percorri(lista,
                    {non_pagata,
                     "Premere INVIO per visualizzare la contravvenzione non pagata successiva,\n"
                     "digitare M per inserire la data del pagamento, X per uscire... ",
                     inserisci_pagam,
                     "\n\n\n -- Non esistono ulteriori contravvenzioni non pagate --\n"});
}
