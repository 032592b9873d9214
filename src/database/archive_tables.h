// Both lists into the database archive's tables and back: every field as
// the record holds it, so that the lists read back are the lists written.
// Both work within the transaction the caller opened on the connection.
#pragma once

#include <string>

#include "database/connection.h"
#include "model/records.h"
#include "storage/list_load.h"

// Why the lists cannot go into the tables as they are, in words for the
// user (a fine number or an owner code that repeats, a record a save could
// not write back), or "" when they can.
std::string ostacolo_alle_tabelle(const NODO_CONTRAVV* contravv, const NODO_ANAGRAF* anagraf);

// How many fines and owners the tables hold; nothing when they could not
// be counted (`db.errore` says why).
struct CONTEGGIO_TABELLE {
    long contravvenzioni = 0;
    long anagrafica = 0;
};
std::optional<CONTEGGIO_TABELLE> conta_tabelle(DATABASE& db);

// Empties both tables.
bool svuota_tabelle(DATABASE& db);

// Copies both lists, in their order, into the two tables, which must be
// empty and must accept them (ostacolo_alle_tabelle). False, with
// `db.errore` set, when the server refused.
bool scrivi_tabelle(DATABASE& db, const NODO_CONTRAVV* contravv, const NODO_ANAGRAF* anagraf);

// Reads both tables into two new lists, in their order, each fine linked
// to its owner. False, with `db.errore` set and nothing made, when they
// could not be read or hold what no record may (a text with a character
// code page 850 lacks or a line end in it), or memory ran out.
bool leggi_tabelle(DATABASE& db, LISTE_LETTE& liste);
