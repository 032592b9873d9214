// The owners menu: listing owner records, attaching owner data to a fine,
// and editing or deleting an owner record picked by its code.
#include <cstdint>

#include "fines/fines.h"
#include "console/console.h"
#include "console/conventions.h"
#include "input/line.h"
#include "model/changes.h"
#include "model/lists.h"
#include "owners/owners.h"
#include "search/search.h"
#include "session/dialogs.h"
#include "session/archive.h"

namespace {

void inesistente() {
    console_out() << "\nDati anagrafici inesistenti\n";
    pausa();
}

// Every owner record in list order, one block after the other, until the
// clerk types X or the list ends.
void elenca_tutti() {
    if (lista_anagraf == nullptr) {
        vis_anagraf(lista_anagraf, nullptr); // the empty-list message and its pause
        return;
    }
    sfoglia(
        lista_anagraf, [](NODO_ANAGRAF* p) { vis_anagraf(lista_anagraf, p); },
        "\nPremere invio per visualizzare i dati successivi, X per uscire... ",
        "\nFine elenco dati anagrafici.\n");
}

void visualizza() {
    intestazione("\nVISUALIZZA DATI ANAGRAFICI\n______________________________\n");
    const uint32_t codice = chiedi_numero("\nInserire il codice dei dati anagrafici da "
                                          "visualizzare\n[0 per visualizzarli tutti]\n>");
    if (codice == 0) {
        elenca_tutti();
        return;
    }
    NODO_ANAGRAF* p = trova_codice(lista_anagraf, codice);
    if (p == nullptr) {
        inesistente();
        return;
    }
    vis_anagraf(lista_anagraf, p);
    pausa();
}

// Owner data for the fine typed by the clerk; 0 walks the fines without them.
void inserisci() {
    intestazione("\nINSERIMENTO DATI ANAGRAFICI\n___________________________________\n");
    const uint32_t numero = chiedi_numero(
        "\nInserisci il numero della contravvenzione a cui inserire i dati anagrafici, \n"
        "oppure inserisci 0 per cercare tra quelle ancora senza dati anagrafici.\n>");
    if (numero == 0) {
        cerca_no_anagraf(lista_contravv);
        return;
    }
    std::ostream& out = console_out();
    NODO_CONTRAVV* f = trova_numero(lista_contravv, numero);
    if (lista_contravv == nullptr) {
        out << "\nErrore: non e' presente alcuna contravvenzione.\n";
    } else if (f == nullptr) {
        out << "\nLa contravvenzione cercata non esiste.\n";
    } else if (f->con_anagraf) {
        out << "\nQuesta contravvenzione ha gia' i dati anagrafici inseriti.\n";
    } else {
        apri_operazione();
        NODO_ANAGRAF* a = ins_anagraf(lista_anagraf);
        if (a != nullptr) collega_anagraf(f, a);
        chiudi_operazione();
        if (operazione_rifiutata()) {
            mostra_contravv_ora(numero);
            return;
        }
        if (a != nullptr) out << "\nDati aggiunti correttamente.\n";
    }
    pausa();
}

// Reads a code and shows the first record that has it, then asks whether to
// go on; nullptr when there is no such record or the clerk typed X.
NODO_ANAGRAF* scegli_anagraf(const char* prompt, const char* conferma) {
    NODO_ANAGRAF* p = trova_codice(lista_anagraf, chiedi_numero(prompt));
    if (p == nullptr) {
        inesistente();
        return nullptr;
    }
    vis_anagraf(lista_anagraf, p);
    if (chiede_uscita(conferma)) return nullptr;
    return p;
}

void modifica() {
    intestazione("\nMODIFICA DATI ANAGRAFICI\n___________________________________\n");
    NODO_ANAGRAF* p = scegli_anagraf(
        "\nInserire il codice dell'anagrafica per visualizzare i dati ed\neventualmente "
        "modificarli\n>",
        "\nPremere INVIO per modificare i dati della contravvenzione, X per uscire... ");
    if (p != nullptr) mod_anagraf_record(p);
}

void elimina() {
    intestazione("\n ELIMINA DATI ANAGRAFICI\n_____________________________\n");
    NODO_ANAGRAF* p = scegli_anagraf(
        "\nInserire il codice dell'anagrafica per visualizzare i dati ed\neventualmente "
        "eliminarli\n>",
        "\nPremere INVIO per eliminare i dati della contravvenzione, X per uscire... ");
    if (p == nullptr) return;
    if (canc_anagraf_record(p) == RIFIUTATA) return;
    console_out() << "\n --- Dati anagrafici eliminati ---\n";
    pausa();
}

constexpr const char* MENU = "\n MENU' ANAGRAFICA"
                             "\n_____________________\n\n"
                             "[1] Visualizza dati anagrafici\n"
                             "[2] Inserisci i dati anagrafici di una contravvenzione\n"
                             "[3] Modifica dati anagrafici\n"
                             "[4] Elimina dati anagrafici\n"
                             "[5] Menu' principale\n\n";

void esegui(char scelta) {
    switch (scelta) {
    case '1':
        visualizza();
        break;
    case '2':
        if (!rifiuta_in_consultazione()) inserisci();
        break;
    case '3':
        if (!rifiuta_in_consultazione()) modifica();
        break;
    case '4':
        if (!rifiuta_in_consultazione()) elimina();
        break;
    }
}

} // namespace

void menu_anagraf() {
    ciclo_menu(MENU, '5', esegui, guarda_di_nuovo);
}
