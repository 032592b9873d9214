// The fines file: the eight lines of a fine record, the whole file written
// from the fines list, and the list built back from the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/records.h"
#include "storage/owners_file.h"
#include "storage/record_lines.h"

// Appends the record's eight lines, each with its line end.
void scrivi_contravv(std::string& out, const NODO_CONTRAVV& c);

// Fills the data fields of `c` from the eight lines of its record, the paid
// mark and payment date included (0/0/0 when unpaid); the owner link is
// left empty. Gives the owner code that the record names, if it names one.
std::optional<uint32_t> leggi_contravv(const RIGHE_RECORD& righe, NODO_CONTRAVV* c);

// The whole fines file for a list: empty for an empty list.
std::string testo_contravvenzioni(const NODO_CONTRAVV* lista);

// Appends to `lista` (empty at the call) one record for each record of the
// text, in file order, linking each fine to the owner that `indice` gives
// for its stored code. False when memory for a record ran out; the records
// made until then stay linked in `lista`, for the caller to free.
bool contravvenzioni_da_testo(std::string_view testo, const INDICE_ANAGRAF& indice,
                              NODO_CONTRAVV*& lista);
