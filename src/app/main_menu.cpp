// The main menu with its load gate, and the exit procedure.
#include "app/app.h"

#include "app/banner.h"
#include "console/console.h"
#include "console/conventions.h"
#include "console/terminal.h"
#include "fines/fines.h"
#include "model/changes.h"
#include "model/lists.h"
#include "owners/owners.h"
#include "payments/payments.h"
#include "register/register.h"
#include "search/search.h"
#include "session/archive.h"
#include "session/dialogs.h"
#include "storage/archive_files.h"

namespace {

void stampa_menu() {
    console_out() << "\n MENU' PRINCIPALE"
                  << "\n____________________\n\n"
                  << "[1] Sanzionario\n"
                  << "[2] Gestione dati anagrafici\n"
                  << "[3] Gestione pagamenti\n"
                  << "[4] Cerca\n"
                  << "[5] Carica da file\n"
                  << "[6] Salva\n"
                  << "[7] Esci\n\n";
}

void esegui(char scelta, bool& dati_caricati) {
    switch (scelta) {
    case '1':
        menu_contravv();
        break;
    case '2':
        menu_anagraf();
        break;
    case '3':
        menu_pagam();
        break;
    case '4':
        menu_cerca();
        break;
    case '5':
        cls();
        if (carica() == 0) dati_caricati = true;
        break;
    case '6':
        cls();
        salva();
        break;
    case '7':
        // A consultation changed nothing: there is nothing to save.
        // Nor did a database archive leave anything unsaved: each
        // operation was stored there as it was confirmed.
        if (dati_caricati && !sola_consultazione() && !archivio_database()) esci();
        break;
    }
}

} // namespace

void menu_principale() {
    bool dati_caricati = false;
    for (;;) {
        guarda_di_nuovo();
        stampa_menu();
        const char scelta = leggi_scelta('1', '7');
        bool esegui_scelta = true;
        if (scelta != '5' && scelta != '7' && !dati_caricati) {
            cls();
            console_out() << "Prima di procedere e' necessario caricare i dati\n\n";
            if (carica() == 0) dati_caricati = true;
            esegui_scelta = dati_caricati;
        }
        if (esegui_scelta) esegui(scelta, dati_caricati);
        cls();
        if (scelta == '7') return;
    }
}

// A save that fails does not end the run: the unsaved work would be lost.
// The question comes back until a save succeeds or the clerk declines.
void esci() {
    for (;;) {
        cls();
        console_out() << "USCITA IN CORSO...\n\nSalvare i dati?\n\n";
        if (salva() != 1) return;
    }
}

int avvia_sanzionario() {
    terminale_avvia();
    try {
        cls();
        terminale_colori();
        stampa_banner();
        menu_principale();
        // Ended by the clerk: what was not saved was declined, so the
        // journal goes. Any other end leaves it for the next load.
        chiudi_archivio();
        stampa_congedo();
        pausa();
    } catch (const FineInput&) {
        // Input has ended: nothing more can be asked, and nothing is saved;
        // the register says so, the journal keeps the work.
        sessione_interrotta();
    }
    terminale_ripristina();
    // The records go back to the system with the process: walking a large
    // archive only to free it would hold the clerk's shell for a while.
    return 0;
}
