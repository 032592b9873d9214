// The framed display of one fine: its fields, its owner block or the note
// that none is attached, and its payment state.
#include "console/console.h"
#include "console/text.h"
#include "fines/fines.h"
#include "input/date.h"
#include "model/changes.h"
#include "model/lists.h"
#include "owners/owners.h"

namespace {
constexpr const char* REGOLA = "==============================================";
} // namespace

void stampa_contravv(const NODO_CONTRAVV* f) {
    std::ostream& out = console_out();
    out << "\n\n" << REGOLA << "\n";
    out << " CONTRAVVENZIONE N." << f->numero << "\n\n";
    out << "Data del verbale     : ";
    vis_data(f->data_verbale);
    out << "Luogo dell'infrazione: " << f->luogo << "\n";
    out << "Targa del veicolo    : " << f->targa << "\n";
    out << "Tipo di infrazione   : " << f->tipo << "\n";
    out << "Importo della multa  : " << fisso2(f->importo) << " euro\n";
    if (f->con_anagraf) {
        vis_anagraf(lista_anagraf, f->anagraf);
    } else {
        out << "\nDati anagrafici non ancora inseriti\n";
    }
    if (f->pagata) {
        out << "\nLa contravvenzione e' stata pagata in data ";
        vis_data(f->data_pagamento);
    } else {
        out << "\nMulta non ancora pagata";
    }
    out << "\n" << REGOLA << "\n\n";
}

int vis_contravv(NODO_CONTRAVV* lista, unsigned long numero) {
    if (lista == nullptr) {
        console_out() << "\nNon e' presente alcuna contravvenzione.\n";
        return -1;
    }
    const NODO_CONTRAVV* f = trova_numero(lista, numero);
    if (f == nullptr) {
        console_out() << "\nLa contravvenzione cercata non e' stata trovata.\n";
        return 1;
    }
    stampa_contravv(f);
    return 0;
}

void mostra_contravv_ora(uint32_t numero) {
    if (const NODO_CONTRAVV* f = trova_numero(lista_contravv, numero)) {
        console_out() << "\nLa contravvenzione com'e' ora:\n";
        stampa_contravv(f);
    } else {
        console_out() << "\nLa contravvenzione n." << numero << " non c'e' piu'.\n";
    }
    pausa();
}
