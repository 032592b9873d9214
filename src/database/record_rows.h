// One record of either list written into its table, or taken out of it:
// how an operation of a clerk reaches the database archive. Every field as
// the record holds it, as the whole lists are written (archive_tables.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "database/connection.h"
#include "model/records.h"

// A date as the tables keep it: the integer aaaammgg (0 for no date).
long data_in_numero(DATA d);

// A record's row, column by column in the tables' order (its identifier,
// `posizione`, then its fields), as text: texts in UTF-8, dates as
// aaaammgg, the amount exactly; nothing for NULL (a fine without owner).
using VALORI_RIGA = std::vector<std::optional<std::string>>;
VALORI_RIGA valori_riga(const NODO_CONTRAVV& f, int64_t posizione);
VALORI_RIGA valori_riga(const NODO_ANAGRAF& a, int64_t posizione);

// Writes the fine (its owner by code, or none) over the row with its
// number, or adds it at `posizione` when there is none. False, with
// `db.errore` set, when the server refused.
bool scrivi_contravvenzione(DATABASE& db, const NODO_CONTRAVV& f, int64_t posizione);
// The same for an owner's row, by its code.
bool scrivi_anagrafica(DATABASE& db, const NODO_ANAGRAF& a, int64_t posizione);

// Removes the row of the fine with this number, or of the owner with this code.
bool togli_contravvenzione(DATABASE& db, uint32_t numero);
bool togli_anagrafica(DATABASE& db, uint32_t codice);
