// The framed display of one owner record, shown on its own and inside the
// display of a fine.
#include "model/changes.h"
#include "console/console.h"
#include "input/date.h"
#include "owners/owners.h"

namespace {
constexpr const char* REGOLA = "-----------------------------------------------";
} // namespace

int vis_anagraf(NODO_ANAGRAF* lista, NODO_ANAGRAF* p) {
    std::ostream& out = console_out();
    if (lista == nullptr) {
        out << "Non sono presenti dati anagrafici.\n";
        pausa();
        return -1;
    }
    if (p == nullptr) {
        out << "Dati anagrafici inesistenti.\n";
        pausa();
        return 1;
    }
    out << REGOLA << "\n";
    out << "\n DATI ANAGRAFICI COD." << p->codice << "\n";
    out << "\nProprietario:             " << p->cognome << " " << p->nome << "\n";
    out << "Data di nascita:          ";
    vis_data(p->data_nascita);
    out << "Indirizzo:                " << p->indirizzo << "\n";
    out << "Citta', CAP e provincia:  " << p->citta << " " << p->cap << " " << p->provincia << "\n";
    out << "Codice fiscale:           " << p->codice_fiscale << "\n";
    out << "Numero patente guidatore: " << p->patente;
    out << "\n" << REGOLA << "\n";
    out.flush();
    return 0;
}

void mostra_anagraf_ora(uint32_t codice) {
    if (NODO_ANAGRAF* a = trova_codice(lista_anagraf, codice)) {
        console_out() << "\nI dati anagrafici come sono ora:\n";
        vis_anagraf(lista_anagraf, a);
    } else {
        console_out() << "\nI dati anagrafici con codice " << codice << " non ci sono piu'.\n";
    }
    pausa();
}
