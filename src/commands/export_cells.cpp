// The export's columns and cells.
#include "commands/export_cells.h"

#include "commands/command_support.h"

namespace {

const std::vector<const char*> COLONNE_MULTA = {"Numero",     "Data verbale", "Luogo",
                                                "Targa",      "Infrazione",   "Importo",
                                                "Pagata",     "Data pagamento"};
const std::vector<const char*> COLONNE_PERSONA = {
    "Codice proprietario", "Cognome",   "Nome",      "Data di nascita", "Indirizzo",
    "Città",               "CAP",       "Provincia", "Codice fiscale",  "Patente"};

CELLA testo(std::string t) {
    return {TIPO_CELLA::TESTO, std::move(t), 0, {}};
}
CELLA intero(double n) {
    return {TIPO_CELLA::INTERO, {}, n, {}};
}
CELLA data(DATA d) {
    if (d.gg == 0 && d.mm == 0 && d.aaaa == 0) return {};
    return {TIPO_CELLA::DATA, {}, 0, d};
}

} // namespace

const std::vector<const char*>& intestazione_esportazione(bool solo_persone) {
    static const std::vector<const char*> tutte = [] {
        std::vector<const char*> v = COLONNE_MULTA;
        v.insert(v.end(), COLONNE_PERSONA.begin(), COLONNE_PERSONA.end());
        return v;
    }();
    return solo_persone ? COLONNE_PERSONA : tutte;
}

void celle_persona(std::vector<CELLA>& celle, const NODO_ANAGRAF* p) {
    if (p == nullptr) {
        celle.resize(celle.size() + COLONNE_PERSONA.size());
        return;
    }
    celle.push_back(intero(p->codice));
    for (const char* t : {p->cognome, p->nome}) celle.push_back(testo(in_utf8(t)));
    celle.push_back(data(p->data_nascita));
    for (const char* t : {p->indirizzo, p->citta, p->cap, p->provincia, p->codice_fiscale,
                          p->patente})
        celle.push_back(testo(in_utf8(t)));
}

void celle_multa(std::vector<CELLA>& celle, const NODO_CONTRAVV* f) {
    celle.push_back(intero(f->numero));
    celle.push_back(data(f->data_verbale));
    for (const char* t : {f->luogo, f->targa, f->tipo}) celle.push_back(testo(in_utf8(t)));
    celle.push_back({TIPO_CELLA::IMPORTO, {}, f->importo, {}});
    celle.push_back(testo(f->pagata ? "sì" : "no"));
    celle.push_back(f->pagata ? data(f->data_pagamento) : CELLA{});
}
