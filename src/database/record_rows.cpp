// Rows of the two tables written one record at a time, with parameters.
#include "database/record_rows.h"

#include <cstdio>
#include <string>

#include "console/encoding.h"
#include "storage/columns.h"

long data_in_numero(DATA d) {
    return long{d.aaaa} * 10000 + long{d.mm} * 100 + d.gg;
}

namespace {

template <std::size_t N> std::string testo(const char (&campo)[N]) {
    return cp850_in_utf8(testo_campo(campo));
}

// Runs `sql` with a row's values as its parameters, in order.
bool con_valori(DATABASE& db, const char* sql, const VALORI_RIGA& valori) {
    std::vector<const char*> parametri;
    for (const std::optional<std::string>& v : valori) parametri.push_back(v ? v->c_str() : nullptr);
    return esegui(db, sql, parametri);
}

} // namespace

VALORI_RIGA valori_riga(const NODO_CONTRAVV& f, int64_t posizione) {
    char importo[32];
    std::snprintf(importo, sizeof importo, "%.17g", f.importo);
    const bool con_anagraf = f.con_anagraf && f.anagraf != nullptr;
    return {std::to_string(f.numero),
            std::to_string(posizione),
            std::to_string(data_in_numero(f.data_verbale)),
            testo(f.luogo),
            testo(f.targa),
            testo(f.tipo),
            importo,
            con_anagraf ? std::optional<std::string>(std::to_string(f.anagraf->codice))
                        : std::nullopt,
            f.pagata ? "t" : "f",
            std::to_string(data_in_numero(f.data_pagamento))};
}

VALORI_RIGA valori_riga(const NODO_ANAGRAF& a, int64_t posizione) {
    return {std::to_string(a.codice),
            std::to_string(posizione),
            testo(a.cognome),
            testo(a.nome),
            std::to_string(data_in_numero(a.data_nascita)),
            testo(a.indirizzo),
            testo(a.citta),
            testo(a.provincia),
            testo(a.cap),
            testo(a.codice_fiscale),
            testo(a.patente)};
}

bool scrivi_contravvenzione(DATABASE& db, const NODO_CONTRAVV& f, int64_t posizione) {
    return con_valori(
        db,
        "INSERT INTO sanzionario.contravvenzioni (numero, posizione, data_verbale, luogo, targa, "
        "tipo, importo, proprietario, pagata, data_pagamento) "
        "VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10) ON CONFLICT (numero) DO UPDATE SET "
        "data_verbale = EXCLUDED.data_verbale, luogo = EXCLUDED.luogo, targa = EXCLUDED.targa, "
        "tipo = EXCLUDED.tipo, importo = EXCLUDED.importo, proprietario = EXCLUDED.proprietario, "
        "pagata = EXCLUDED.pagata, data_pagamento = EXCLUDED.data_pagamento",
        valori_riga(f, posizione));
}

bool scrivi_anagrafica(DATABASE& db, const NODO_ANAGRAF& a, int64_t posizione) {
    return con_valori(
        db,
        "INSERT INTO sanzionario.anagrafica (codice, posizione, cognome, nome, data_nascita, "
        "indirizzo, citta, provincia, cap, codice_fiscale, patente) "
        "VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11) ON CONFLICT (codice) DO UPDATE SET "
        "cognome = EXCLUDED.cognome, nome = EXCLUDED.nome, data_nascita = EXCLUDED.data_nascita, "
        "indirizzo = EXCLUDED.indirizzo, citta = EXCLUDED.citta, provincia = EXCLUDED.provincia, "
        "cap = EXCLUDED.cap, codice_fiscale = EXCLUDED.codice_fiscale, patente = EXCLUDED.patente",
        valori_riga(a, posizione));
}

bool togli_contravvenzione(DATABASE& db, uint32_t numero) {
    return con_valori(db, "DELETE FROM sanzionario.contravvenzioni WHERE numero = $1",
                      {std::to_string(numero)});
}

bool togli_anagrafica(DATABASE& db, uint32_t codice) {
    return con_valori(db, "DELETE FROM sanzionario.anagrafica WHERE codice = $1",
                      {std::to_string(codice)});
}
