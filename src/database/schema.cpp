// The schema's steps, from nothing to the version this program uses.
//
// Texts are UTF-8 (the database must be UTF8), each character one byte of
// the data files' code page 850, so that a field holds exactly as many
// characters as its record has room for, less its terminator. Dates are
// the integers aaaammgg (20260320 for 20/03/2026; 0 for no date), which
// keep every date a data file can hold, a calendar date or not; amounts
// are the program's own double, exactly. `posizione` keeps each list's
// order, so that the files written back are the files read in.
#include "database/schema.h"

#include <iterator>

namespace {

constexpr const char* PASSO_1 = R"SQL(
CREATE TABLE sanzionario.versione_schema (
    versione integer PRIMARY KEY,
    applicata timestamptz NOT NULL DEFAULT now()
);
CREATE TABLE sanzionario.anagrafica (
    codice bigint PRIMARY KEY CHECK (codice BETWEEN 0 AND 4294967295),
    posizione bigint NOT NULL UNIQUE,
    cognome text NOT NULL CHECK (char_length(cognome) < 32),
    nome text NOT NULL CHECK (char_length(nome) < 32),
    data_nascita integer NOT NULL CHECK (data_nascita BETWEEN 0 AND 99999999),
    indirizzo text NOT NULL CHECK (char_length(indirizzo) < 32),
    citta text NOT NULL CHECK (char_length(citta) < 32),
    provincia text NOT NULL CHECK (char_length(provincia) < 3),
    cap text NOT NULL CHECK (char_length(cap) < 6),
    codice_fiscale text NOT NULL CHECK (char_length(codice_fiscale) < 18),
    patente text NOT NULL CHECK (char_length(patente) < 11)
);
CREATE TABLE sanzionario.contravvenzioni (
    numero bigint PRIMARY KEY CHECK (numero BETWEEN 0 AND 4294967295),
    posizione bigint NOT NULL UNIQUE,
    data_verbale integer NOT NULL CHECK (data_verbale BETWEEN 0 AND 99999999),
    luogo text NOT NULL CHECK (char_length(luogo) < 64),
    targa text NOT NULL CHECK (char_length(targa) < 8),
    tipo text NOT NULL CHECK (char_length(tipo) < 128),
    importo double precision NOT NULL,
    proprietario bigint REFERENCES sanzionario.anagrafica (codice),
    pagata boolean NOT NULL,
    data_pagamento integer NOT NULL CHECK (data_pagamento BETWEEN 0 AND 99999999)
);
CREATE INDEX contravvenzioni_proprietario ON sanzionario.contravvenzioni (proprietario);
)SQL";

// The others' changes, for the programs that keep the lists in memory,
// and the register of who did what, to which entries are only ever added:
// no role is granted more, and the table refuses a change or a removal
// even from its owner.
constexpr const char* PASSO_2 = R"SQL(
CREATE TABLE sanzionario.modifiche (
    id bigserial PRIMARY KEY,
    quando timestamptz NOT NULL DEFAULT now(),
    utente text NOT NULL DEFAULT current_user,
    tabella text NOT NULL CHECK (tabella IN ('contravvenzioni', 'anagrafica')),
    chiave bigint NOT NULL,
    operazione text NOT NULL CHECK (operazione IN ('inserimento', 'modifica', 'eliminazione'))
);
CREATE TABLE sanzionario.registro (
    posizione bigserial PRIMARY KEY,
    quando timestamptz NOT NULL DEFAULT now(),
    utente text NOT NULL DEFAULT current_user,
    voce text NOT NULL
);
CREATE FUNCTION sanzionario.registro_solo_aggiunte() RETURNS trigger
    LANGUAGE plpgsql AS $$
BEGIN
    RAISE EXCEPTION 'il registro delle modifiche accetta solo voci nuove';
END
$$;
CREATE TRIGGER registro_solo_aggiunte
    BEFORE UPDATE OR DELETE OR TRUNCATE ON sanzionario.registro
    FOR EACH STATEMENT EXECUTE FUNCTION sanzionario.registro_solo_aggiunte();
REVOKE UPDATE, DELETE, TRUNCATE ON sanzionario.registro FROM PUBLIC, CURRENT_USER;
)SQL";

// Several programs on one archive: each operation of a clerk as the
// others replay it (its changes as a journal entry), with the records it
// wrote, removed or linked to, so that a later change of the same record
// by another clerk is recognised and refused; and the numbers of the
// forms being filled, each held by the connection of the program that
// shows it, so that no number is given twice and none stays held by a
// program that went away.
constexpr const char* PASSO_3 = R"SQL(
CREATE TABLE sanzionario.operazioni (
    id bigserial PRIMARY KEY,
    quando timestamptz NOT NULL DEFAULT now(),
    utente text NOT NULL DEFAULT current_user,
    chi text NOT NULL,
    segno text NOT NULL UNIQUE,
    voce bytea NOT NULL,
    contravvenzioni bigint[] NOT NULL,
    anagrafica bigint[] NOT NULL,
    usate bigint[] NOT NULL,
    rimosse bigint[] NOT NULL,
    dopo_contravvenzioni bigint[] NOT NULL,
    dopo_anagrafica bigint[] NOT NULL
);
CREATE TABLE sanzionario.prenotazioni (
    lista text NOT NULL CHECK (lista IN ('contravvenzioni', 'anagrafica')),
    numero bigint NOT NULL,
    posizione bigint NOT NULL,
    processo integer NOT NULL,
    avvio timestamptz NOT NULL,
    PRIMARY KEY (lista, numero)
);
)SQL";

// PASSI[i] takes the schema from version i to version i + 1.
constexpr const char* PASSI[] = {PASSO_1, PASSO_2, PASSO_3};
static_assert(std::size(PASSI) == VERSIONE_SCHEMA);

} // namespace

std::optional<int> versione_schema(DATABASE& db) {
    const std::optional<std::string> tabella =
        valore(db, "SELECT to_regclass('sanzionario.versione_schema') IS NOT NULL");
    if (!tabella) return std::nullopt;
    if (*tabella != "t") return 0;
    const std::optional<std::string> v =
        valore(db, "SELECT coalesce(max(versione), 0) FROM sanzionario.versione_schema");
    if (!v) return std::nullopt;
    return std::stoi(*v);
}

ESITO_SCHEMA prepara_schema(DATABASE& db, int& trovata, int fino_a) {
    // One program at a time makes or changes the schema of a database.
    if (!esegui(db, "SELECT pg_advisory_xact_lock(hashtext('sanzionario.schema'))"))
        return ESITO_SCHEMA::ERRORE;
    const std::optional<int> v = versione_schema(db);
    if (!v) return ESITO_SCHEMA::ERRORE;
    trovata = *v;
    if (trovata > VERSIONE_SCHEMA) return ESITO_SCHEMA::PIU_NUOVO;
    if (trovata == 0 && !esegui(db, "CREATE SCHEMA IF NOT EXISTS sanzionario"))
        return ESITO_SCHEMA::ERRORE;
    for (int passo = trovata; passo < fino_a; ++passo) {
        const std::string numero = std::to_string(passo + 1);
        if (!esegui(db, PASSI[passo]) ||
            !esegui(db, "INSERT INTO sanzionario.versione_schema (versione) VALUES ($1)",
                    {numero.c_str()}))
            return ESITO_SCHEMA::ERRORE;
    }
    return ESITO_SCHEMA::PRONTO;
}
