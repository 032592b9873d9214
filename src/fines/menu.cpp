// The fines menu: viewing one fine or paging through all of them, and
// handing recording, editing and deletion to their operations.
#include <cstdint>

#include "console/console.h"
#include "console/conventions.h"
#include "fines/fines.h"
#include "input/line.h"
#include "model/records.h"
#include "session/dialogs.h"

namespace {

constexpr const char* MENU = "\n MENU' CONTRAVVENZIONI"
                             "\n_________________________\n\n"
                             "[1] Visualizza una contravvenzione\n"
                             "[2] Inserisci una nuova contravvenzione\n"
                             "[3] Modifica una contravvenzione\n"
                             "[4] Elimina una contravvenzione\n"
                             "[5] Menu' principale\n\n";

// Every fine record in list order, one block after the other, until the
// clerk types X or the list ends. Each record is shown itself, so that
// fines sharing a number (a hand-edited file) are all seen.
void pagina_tutte() {
    if (lista_contravv == nullptr) {
        vis_contravv(lista_contravv, 0); // the empty-list message
        pausa();
        return;
    }
    sfoglia(
        lista_contravv, [](const NODO_CONTRAVV* f) { stampa_contravv(f); },
        PROMPT_CONTRAVV_SUCCESSIVA, "\nFine elenco contravvenzioni.\n");
}

void visualizza() {
    intestazione("\n VISUALIZZA CONTRAVVENZIONE\n____________________________\n");
    const uint32_t numero = chiedi_numero("\nInserire il numero della contravvenzione da "
                                          "visualizzare\n[0 per visualizzarle tutte]\n>");
    if (numero == 0) {
        pagina_tutte();
        return;
    }
    vis_contravv(lista_contravv, numero);
    pausa();
}

void esegui(char scelta) {
    switch (scelta) {
    case '1':
        visualizza();
        break;
    case '2':
        if (rifiuta_in_consultazione()) break;
        intestazione("\n INSERIMENTO CONTRAVVENZIONE\n_____________________________\n");
        if (ins_contravv(lista_contravv) != 0) console_out() << "\nErrore durante l'inserimento\n";
        pausa();
        break;
    case '3':
        if (rifiuta_in_consultazione()) break;
        intestazione("\n MODIFICA CONTRAVVENZIONE\n_____________________________\n");
        mod_contravv(lista_contravv);
        break;
    case '4':
        if (rifiuta_in_consultazione()) break;
        intestazione("\n ELIMINA CONTRAVVENZIONE\n_____________________________\n");
        canc_contravv();
        break;
    }
}

} // namespace

void menu_contravv() {
    ciclo_menu(MENU, '5', esegui, guarda_di_nuovo);
}
