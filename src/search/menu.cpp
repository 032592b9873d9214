// The search menu: the searches by plate and by owner, and the guided
// walks over fines without owner data and over unpaid fines.
#include "console/console.h"
#include "console/conventions.h"
#include "search/search.h"
#include "session/dialogs.h"

namespace {

constexpr const char* MENU = "\n MENU' CERCA"
                             "\n______________\n\n"
                             "[1] Ricerca per contravvenzione\n"
                             "[2] Ricerca per dati anagrafici\n"
                             "[3] Ricerca le contravvenzioni senza dati anagrafici\n"
                             "[4] Ricerca le multe non pagate\n"
                             "[5] Menu' principale\n\n";

void esegui(char scelta) {
    switch (scelta) {
    case '1':
        intestazione("\n RICERCA PER TARGA\n___________________\n");
        cerca_contravv(lista_contravv);
        break;
    case '2':
        intestazione("\n RICERCA PER DATI ANAGRAFICI\n_____________________________\n");
        cerca_anagraf(lista_anagraf);
        break;
    case '3':
        intestazione("\n RICERCA CONTRAVVENZIONI SENZA DATI ANAGRAFICI\n"
                     "_______________________________________________\n");
        cerca_no_anagraf(lista_contravv);
        break;
    case '4':
        intestazione("\n RICERCA CONTRAVVENZIONI NON PAGATE\n"
                     "____________________________________________\n");
        cerca_no_pagam(lista_contravv);
        break;
    }
}

} // namespace

void menu_cerca() {
    ciclo_menu(MENU, '5', esegui, guarda_di_nuovo);
}
