// Deleting an owner record: every fine that points to it loses its owner
// data and its payment, then the record is unlinked and freed.
#include "model/lists.h"
#include "owners/owners.h"

int canc_anagraf(unsigned long codice) {
    NODO_ANAGRAF* p = trova_anagraf(lista_anagraf, codice);
    if (p == nullptr) return -1;
    return canc_anagraf_record(p);
}

int canc_anagraf_record(NODO_ANAGRAF* p) {
    if (p == nullptr || !sgancia(lista_anagraf, p)) return -1;
    for (NODO_CONTRAVV* f = lista_contravv; f != nullptr; f = f->next) {
        if (f->anagraf != p) continue;
        f->con_anagraf = false;
        f->anagraf = nullptr;
        f->pagata = false;
        f->data_pagamento = DATA{0, 0, 0};
    }
    libera_anagraf(p);
    return 0;
}
