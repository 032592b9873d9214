// `sanzionario registro`: the register's entries as the history of the
// archive in Italian, oldest first, one block an entry, and the filters
// that pick the entries of a fine, an owner, a plate, a user or some days.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "register/register_entry.h"

struct FILTRI_REGISTRO {
    std::optional<uint32_t> contravvenzione;
    std::string anagrafica; // an owner code, or a tax code
    std::string targa;
    std::string utente;
    std::string dal, al; // aaaa-mm-gg, inclusive; "" for no bound
};

// Whether the entry is one the filters pick. The filters of a record
// (fine, owner, plate) pick operations only.
bool voce_scelta(const json& voce, const FILTRI_REGISTRO& filtri);

// The entry as a block of text, with an empty line after it.
void stampa_voce(std::ostream& out, const json& voce);
