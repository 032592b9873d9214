// The fields of the owner form, shared by entry and editing. Each prints
// its prompt(s) and reads into the record, upper-casing where due.
#pragma once

#include "model/records.h"

// Removes leading and trailing blanks and reduces every run of blanks inside
// to one, in place: the owners file ends these names at a pair of blanks.
void compatta_spazi(char* s);

void chiedi_nominativo(NODO_ANAGRAF* p); // surname and first name
void chiedi_nascita(NODO_ANAGRAF* p);    // date of birth
void chiedi_indirizzo(NODO_ANAGRAF* p);  // street address
void chiedi_residenza(NODO_ANAGRAF* p);  // city, postal code and province
void chiedi_codice_fiscale(NODO_ANAGRAF* p);
void chiedi_patente(NODO_ANAGRAF* p);
