// Deleting a fine after showing it and asking for confirmation, and, on
// request, the owner record that the fine points to.
#include <cstdint>

#include "console/console.h"
#include "console/conventions.h"
#include "fines/fines.h"
#include "input/line.h"
#include "model/lists.h"
#include "owners/owners.h"

int canc_contravv() {
    console_out() << "\nInserire il numero della contravvenzione per visualizzarla ed\n"
                     "eventualmente eliminarla\n>";
    uint32_t numero = 0;
    ins_int(&numero);
    // One walk finds the fine and the one before it, to unlink it afterwards.
    NODO_CONTRAVV* prima = nullptr;
    NODO_CONTRAVV* f = trova_contravv(lista_contravv, numero, &prima);
    if (f == nullptr) {
        vis_contravv(lista_contravv, numero); // the empty-list or not-found message
        pausa();
        return -1;
    }
    stampa_contravv(f);
    if (chiede_uscita(
            "\nPremere INVIO per eliminare i dati della contravvenzione, X per uscire... "))
        return 1;

    // Unlinked before its owner goes, so that detaching the owner's fines
    // never meets the fine being deleted.
    (prima == nullptr ? lista_contravv : prima->next) = f->next;
    f->next = nullptr;
    if (domanda_sn(
            "\nEliminare anche i dati anagrafici connessi a questa contravvenzione? (s/n)\n") &&
        f->con_anagraf)
        canc_anagraf_record(f->anagraf);
    libera_contravv(f);

    console_out() << "\n --- Contravvenzione eliminata ---\n";
    pausa();
    return 0;
}
