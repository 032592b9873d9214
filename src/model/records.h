// The two kinds of record the office keeps, fines and owners, the two
// singly linked lists that own them, and the paths of their data files.
//
// A fine may point to the owner record of the person who must pay it; many
// fines may share one owner record, which the link does not own. Records
// are allocated one at a time and freed only by the deletions and by
// replacing or releasing a whole list.
#pragma once

#include <cstdint>

#include "model/date.h"

struct NODO_ANAGRAF {
    uint32_t codice;         // owner code, the record's identifier
    char cognome[32];        // surname, upper case
    char nome[32];           // first name, upper case
    DATA data_nascita;       // date of birth
    char indirizzo[32];      // street address, as typed
    char citta[32];          // city, as typed
    char provincia[3];       // province code, upper case
    char cap[6];             // postal code, digits only
    char codice_fiscale[18]; // tax code, upper case
    char patente[11];        // driving-licence number, upper case
    NODO_ANAGRAF* next;
};

struct NODO_CONTRAVV {
    uint32_t numero;       // fine number, the record's identifier
    DATA data_verbale;     // date of the ticket
    char luogo[64];        // place of the infringement
    char targa[8];         // vehicle plate, upper case
    char tipo[128];        // kind of infringement
    double importo;        // amount in euro
    bool con_anagraf;      // true exactly when anagraf points to an owner record
    NODO_ANAGRAF* anagraf; // the owner who must pay, not owned
    bool pagata;           // paid; only ever true with an owner
    DATA data_pagamento;   // 0/0/0 unless paid
    NODO_CONTRAVV* next;
};

extern NODO_CONTRAVV* lista_contravv;
extern NODO_ANAGRAF* lista_anagraf;
extern char nome_file_c[128]; // path of the fines file
extern char nome_file_a[128]; // path of the owners file

constexpr const char* FILE_CONTRAVV_DEFAULT = "dati/contravvenzioni.txt";
constexpr const char* FILE_ANAGRAF_DEFAULT = "dati/anagrafica.txt";
