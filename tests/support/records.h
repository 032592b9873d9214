// Owner and fine records built field by field, as the dialogues and the
// loader would leave them; the fixtures of each folder give them defaults.
#pragma once

#include <cstdint>

#include "model/lists.h"
#include "model/records.h"

struct CAMPI_ANAGRAF {
    uint32_t codice;
    const char* cognome;
    const char* nome;
    DATA nascita;
    const char* indirizzo;
    const char* citta;
    const char* cap;
    const char* provincia;
    const char* codice_fiscale;
    const char* patente;
};

struct CAMPI_CONTRAVV {
    uint32_t numero;
    DATA verbale;
    const char* luogo;
    const char* targa;
    const char* tipo;
    double importo;
    NODO_ANAGRAF* proprietario = nullptr;
    bool pagata = false;
    DATA pagamento = {0, 0, 0};
};

// A new record in no list.
inline NODO_ANAGRAF* crea_anagraf(const CAMPI_ANAGRAF& c) {
    NODO_ANAGRAF* a = nuovo_anagraf();
    a->codice = c.codice;
    copia_campo(a->cognome, c.cognome);
    copia_campo(a->nome, c.nome);
    a->data_nascita = c.nascita;
    copia_campo(a->indirizzo, c.indirizzo);
    copia_campo(a->citta, c.citta);
    copia_campo(a->cap, c.cap);
    copia_campo(a->provincia, c.provincia);
    copia_campo(a->codice_fiscale, c.codice_fiscale);
    copia_campo(a->patente, c.patente);
    return a;
}

inline NODO_CONTRAVV* crea_contravv(const CAMPI_CONTRAVV& c) {
    NODO_CONTRAVV* f = nuovo_contravv();
    f->numero = c.numero;
    f->data_verbale = c.verbale;
    copia_campo(f->luogo, c.luogo);
    copia_campo(f->targa, c.targa);
    copia_campo(f->tipo, c.tipo);
    f->importo = c.importo;
    f->con_anagraf = c.proprietario != nullptr;
    f->anagraf = c.proprietario;
    f->pagata = c.pagata;
    f->data_pagamento = c.pagamento;
    return f;
}

// The record appended to its list.
inline NODO_ANAGRAF* accoda_anagraf(const CAMPI_ANAGRAF& c) {
    NODO_ANAGRAF* a = crea_anagraf(c);
    accoda(lista_anagraf, a);
    return a;
}
inline NODO_CONTRAVV* accoda_contravv(const CAMPI_CONTRAVV& c) {
    NODO_CONTRAVV* f = crea_contravv(c);
    accoda(lista_contravv, f);
    return f;
}

template <class N> int conta(const N* lista) {
    int n = 0;
    for (; lista != nullptr; lista = lista->next) ++n;
    return n;
}
