// Editing an owner record field by field, then merging it into an
// identical record when the edit has made it one.
#include "console/console.h"
#include "console/conventions.h"
#include "input/date.h"
#include "model/changes.h"
#include "model/lists.h"
#include "owners/form.h"
#include "owners/owners.h"
#include "session/archive.h"

namespace {

void stampa_schermata(const NODO_ANAGRAF* p) {
    std::ostream& out = console_out();
    out << "\n DATI ANAGRAFICI COD." << p->codice << "\n";
    out << "\n[1] Proprietario:             " << p->cognome << " " << p->nome << "\n";
    out << "[2] Data di nascita:          ";
    vis_data(p->data_nascita);
    out << "[3] Indirizzo:                " << p->indirizzo << "\n";
    out << "[4] Citta', CAP e provincia:  " << p->citta << " " << p->cap << " " << p->provincia
        << "\n";
    out << "[5] Codice fiscale:           " << p->codice_fiscale << "\n";
    out << "[6] Numero patente guidatore: " << p->patente;
    out << "\n\n[7] Fine modifiche\n";
    out << "\n\nSeleziona il campo da modificare [1-6, 7 fine]\n";
}

// Each field is asked on a copy, which replaces the record's data once the
// answer is complete: the screen shown next holds the new value.
// False when the change was refused (another clerk changed the record).
bool modifica_campo(NODO_ANAGRAF* p, char scelta) {
    NODO_ANAGRAF nuovi = *p;
    switch (scelta) {
    case '1':
        chiedi_nominativo(&nuovi);
        break;
    case '2':
        chiedi_nascita(&nuovi);
        break;
    case '3':
        chiedi_indirizzo(&nuovi);
        break;
    case '4':
        chiedi_residenza(&nuovi);
        break;
    case '5':
        chiedi_codice_fiscale(&nuovi);
        break;
    case '6':
        chiedi_patente(&nuovi);
        break;
    }
    modifica_dati(p, nuovi);
    return !operazione_rifiutata();
}

// When p now equals another record, every fine of p goes to that record
// (keeping its payment) and p itself is removed.
bool unisci_doppione(NODO_ANAGRAF* p) {
    NODO_ANAGRAF* altro = anagraf_doppia(p);
    if (altro != p) unisci_anagraf(p, altro);
    return !operazione_rifiutata();
}

} // namespace

int mod_anagraf(NODO_ANAGRAF* lista, unsigned long codice) {
    NODO_ANAGRAF* p = trova_codice(lista, codice);
    if (p == nullptr) return -1;
    return mod_anagraf_record(p);
}

int mod_anagraf_record(NODO_ANAGRAF* p) {
    if (p == nullptr) return -1;
    const uint32_t codice = p->codice;
    for (;;) {
        cls();
        stampa_schermata(p);
        const char scelta = leggi_scelta('1', '7');
        console_out() << "\n\n";
        if (scelta == '7') break;
        if (!modifica_campo(p, scelta)) {
            mostra_anagraf_ora(codice);
            return RIFIUTATA;
        }
    }
    if (!unisci_doppione(p)) {
        mostra_anagraf_ora(codice);
        return RIFIUTATA;
    }
    console_out() << "\n\n ---- Dati aggiornati. ----\n\n";
    pausa();
    return 0;
}
