// Deleting a fine after showing it and asking for confirmation, and, on
// request, the owner record that the fine points to.
#include <cstdint>

#include "console/console.h"
#include "console/conventions.h"
#include "fines/fines.h"
#include "input/line.h"
#include "model/changes.h"
#include "model/lists.h"
#include "owners/owners.h"
#include "session/archive.h"

int canc_contravv() {
    console_out() << "\nInserire il numero della contravvenzione per visualizzarla ed\n"
                     "eventualmente eliminarla\n>";
    uint32_t numero = 0;
    ins_int(&numero);
    // One walk finds the fine and the one before it, to unlink it afterwards.
    NODO_CONTRAVV* prima = nullptr;
    NODO_CONTRAVV* f = trova_numero(lista_contravv, numero, &prima);
    if (f == nullptr) {
        vis_contravv(lista_contravv, numero); // the empty-list or not-found message
        pausa();
        return -1;
    }
    stampa_contravv(f);
    if (chiede_uscita(
            "\nPremere INVIO per eliminare i dati della contravvenzione, X per uscire... "))
        return 1;

    const bool anche_anagraf = domanda_sn(
        "\nEliminare anche i dati anagrafici connessi a questa contravvenzione? (s/n)\n");
    elimina_contravv(f, prima, anche_anagraf);
    if (operazione_rifiutata()) {
        mostra_contravv_ora(numero);
        return -1;
    }

    console_out() << "\n --- Contravvenzione eliminata ---\n";
    pausa();
    return 0;
}
