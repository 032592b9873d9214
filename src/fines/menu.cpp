// The fines menu: viewing one fine or paging through all of them, and
// handing recording, editing and deletion to their operations.
#include <cstdint>

#include "console/console.h"
#include "console/conventions.h"
#include "fines/fines.h"
#include "input/line.h"
#include "model/records.h"

namespace {

// Every fine record in list order, one block after the other, until the
// clerk types X or the list ends.
void pagina_tutte() {
    if (lista_contravv == nullptr) {
        vis_contravv(lista_contravv, 0); // the empty-list message
        pausa();
        return;
    }
    for (const NODO_CONTRAVV* f = lista_contravv; f != nullptr;) {
        stampa_contravv(f);
        f = f->next;
        if (chiede_uscita("\nPremere invio per visualizzare la contravvenzione successiva, X per "
                          "uscire... "))
            return;
    }
    console_out() << "\nFine elenco contravvenzioni.\n";
    pausa();
}

void visualizza() {
    cls();
    console_out() << "\n VISUALIZZA CONTRAVVENZIONE\n____________________________\n"
                  << "\nInserire il numero della contravvenzione da visualizzare\n"
                     "[0 per visualizzarle tutte]\n>";
    uint32_t numero = 0;
    ins_int(&numero);
    if (numero == 0) {
        pagina_tutte();
        return;
    }
    vis_contravv(lista_contravv, numero);
    pausa();
}

void inserisci() {
    cls();
    console_out() << "\n INSERIMENTO CONTRAVVENZIONE\n_____________________________\n";
    if (ins_contravv(lista_contravv) != 0) console_out() << "\nErrore durante l'inserimento\n";
    pausa();
}

void modifica() {
    cls();
    console_out() << "\n MODIFICA CONTRAVVENZIONE\n_____________________________\n";
    mod_contravv(lista_contravv);
}

void elimina() {
    cls();
    console_out() << "\n ELIMINA CONTRAVVENZIONE\n_____________________________\n";
    canc_contravv();
}

} // namespace

void menu_contravv() {
    for (;;) {
        cls();
        console_out() << "\n MENU' CONTRAVVENZIONI"
                      << "\n_________________________\n\n"
                      << "[1] Visualizza una contravvenzione\n"
                      << "[2] Inserisci una nuova contravvenzione\n"
                      << "[3] Modifica una contravvenzione\n"
                      << "[4] Elimina una contravvenzione\n"
                      << "[5] Menu' principale\n\n";
        const char scelta = leggi_scelta('1', '5');
        switch (scelta) {
        case '1':
            visualizza();
            break;
        case '2':
            inserisci();
            break;
        case '3':
            modifica();
            break;
        case '4':
            elimina();
            break;
        default:
            break;
        }
        cls();
        if (scelta == '5') return;
    }
}
