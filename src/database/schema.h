// The database archive's schema, `sanzionario`, owned by the role that
// made it: its tables, its version, kept in the table versione_schema
// (one row per step applied), and the steps from each version to the
// next, applied in order. A database whose schema is newer than this
// program knows is never touched.
#pragma once

#include "database/connection.h"

// The version of the schema this program reads and writes.
constexpr int VERSIONE_SCHEMA = 3;

enum class ESITO_SCHEMA {
    PRONTO,    // at VERSIONE_SCHEMA (or at the version asked for)
    PIU_NUOVO, // a newer version than this program knows: nothing changed
    ERRORE,    // a statement failed: `db.errore` says why
};

// The version of the schema in the database: 0 when there is none;
// nothing when it could not be read (`db.errore` says why).
std::optional<int> versione_schema(DATABASE& db);

// Brings the schema to version `fino_a` (a test seam: the program always
// asks for VERSIONE_SCHEMA), making it when there is none, within the
// transaction open on `db`: the caller's commit makes every step at once,
// its rollback none. `trovata` is the version found.
ESITO_SCHEMA prepara_schema(DATABASE& db, int& trovata, int fino_a = VERSIONE_SCHEMA);
