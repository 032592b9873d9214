// The fields of the owner form, shared by entry and editing: each prints
// its prompt, reads, tidies the blanks of free names and upper-cases where due.
#include "owners/form.h"

#include "console/console.h"
#include "input/date.h"
#include "input/identity.h"
#include "input/line.h"

void compatta_spazi(char* s) {
    char* scritto = s;
    bool spazio_in_sospeso = false;
    for (const char* letto = s; *letto != '\0'; ++letto) {
        if (*letto == ' ') {
            spazio_in_sospeso = scritto != s;
            continue;
        }
        if (spazio_in_sospeso) *scritto++ = ' ';
        spazio_in_sospeso = false;
        *scritto++ = *letto;
    }
    *scritto = '\0';
}

namespace {

// A name read with ins_txt, blanks tidied, optionally upper-cased.
void leggi_nome(const char* prompt, char* campo, bool maiuscolo) {
    console_out() << prompt;
    ins_txt(campo, 31);
    compatta_spazi(campo);
    if (maiuscolo) maiusc(campo);
}

} // namespace

void chiedi_nominativo(NODO_ANAGRAF* p) {
    leggi_nome("\nCognome: ", p->cognome, true);
    leggi_nome("Nome   : ", p->nome, true);
}

void chiedi_nascita(NODO_ANAGRAF* p) {
    console_out() << "Data di nascita: ";
    ins_data(&p->data_nascita);
}

void chiedi_indirizzo(NODO_ANAGRAF* p) {
    console_out() << "Indirizzo:  ";
    ins_str(p->indirizzo, 31);
    compatta_spazi(p->indirizzo);
}

void chiedi_residenza(NODO_ANAGRAF* p) {
    leggi_nome("Citta'   :  ", p->citta, false);
    console_out() << "CAP      :  ";
    ins_num(p->cap, 5);
    console_out() << "Provincia:  ";
    ins_txt(p->provincia, 2);
    maiusc(p->provincia);
}

void chiedi_codice_fiscale(NODO_ANAGRAF* p) {
    console_out() << "\nInserire il codice fiscale del proprietario:\n> ";
    ins_cf(p->codice_fiscale);
    maiusc(p->codice_fiscale);
}

void chiedi_patente(NODO_ANAGRAF* p) {
    console_out() << "\nInserire il numero della patente del guidatore:\n> ";
    ins_pat(p->patente);
    maiusc(p->patente);
}
