// The owners file: the eight lines of an owner record, the whole file
// written from the owners list, and the list built back from the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "model/records.h"
#include "storage/record_lines.h"

// The first owner record, in list order, with each code.
using INDICE_ANAGRAF = std::unordered_map<uint32_t, NODO_ANAGRAF*>;

// Appends the record's eight lines, each with its line end.
void scrivi_anagraf(std::string& out, const NODO_ANAGRAF& a);

// Fills the data fields of `a` from the eight lines of its record.
void leggi_anagraf(const RIGHE_RECORD& righe, NODO_ANAGRAF* a);

// The whole owners file for a list: empty for an empty list.
std::string testo_anagrafica(const NODO_ANAGRAF* lista);

// Appends to `lista` (empty at the call) one record for each record of the
// text, in file order, and notes in `indice` the first owner with each code.
// False when memory for a record ran out; the records made until then stay
// linked in `lista`, for the caller to free.
bool anagrafica_da_testo(std::string_view testo, NODO_ANAGRAF*& lista, INDICE_ANAGRAF& indice);
