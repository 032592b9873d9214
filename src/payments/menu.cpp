// The payments menu: status, entry, change and removal of a payment, and
// the statistics.
#include <cstdint>

#include "console/console.h"
#include "console/conventions.h"
#include "input/line.h"
#include "payments/payments.h"
#include "search/search.h"
#include "session/dialogs.h"

namespace {

constexpr const char* MENU = "\n MENU' PAGAMENTI"
                             "\n___________________\n\n"
                             "[1] Visualizza lo stato del pagamento di una contravvenzione\n"
                             "[2] Inserisci un pagamento\n"
                             "[3] Modifica dati pagamento\n"
                             "[4] Elimina pagamento\n"
                             "[5] Statistiche pagamenti\n"
                             "[6] Menu' principale\n\n";

// Clears the screen, prints the item's heading and prompt and reads a fine
// number (an empty line is 0).
uint32_t numero_per(const char* titolo, const char* prompt) {
    intestazione(titolo);
    return chiedi_numero(prompt);
}

void esegui(char scelta) {
    switch (scelta) {
    case '1': {
        const uint32_t n = numero_per(
            "\n STATO PAGAMENTI\n_____________________\n",
            "\nInserisci il codice della contravvenzione di cui si vuole sapere se e' stato "
            "\neffettuato il pagamento:\n>");
        vis_pagam(lista_contravv, n);
        pausa();
        break;
    }
    case '2': {
        if (rifiuta_in_consultazione()) break;
        const uint32_t n = numero_per(
            "\n INSERIMENTO PAGAMENTO\n_________________________\n",
            "\nInserisci il numero della contravvenzione a cui inserire la data di pagamento, "
            "\noppure inserisci 0 per cercare tra quelle ancora senza dati anagrafici.\n>");
        if (n == 0) {
            cerca_no_pagam(lista_contravv);
        } else {
            ins_pagam(n);
        }
        break;
    }
    case '3':
        if (rifiuta_in_consultazione()) break;
        mod_pagam(lista_contravv,
                  numero_per("\n MODIFICA PAGAMENTO\n______________________\n",
                             "\nInserisci il numero della contravvenzione a cui modificare "
                             "la data di pagamento\n>"));
        break;
    case '4':
        if (rifiuta_in_consultazione()) break;
        canc_pagam(lista_contravv,
                   numero_per("\n ELIMINA PAGAMENTO\n_____________________\n",
                              "\nInserisci il numero della contravvenzione a cui eliminare "
                              "la data di pagamento\n>"));
        break;
    case '5':
        intestazione("\n STATISTICHE PAGAMENTI\n_______________________\n");
        bilancio(lista_contravv);
        pausa();
        break;
    }
}

} // namespace

void menu_pagam() {
    ciclo_menu(MENU, '6', esegui, guarda_di_nuovo);
}
