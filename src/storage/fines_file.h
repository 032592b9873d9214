// The fines file: the eight lines of a fine record, the whole file written
// from the fines list, and the list built back from the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/records.h"
#include "storage/atomic_write.h"
#include "storage/file_read.h"
#include "storage/owner_index.h"
#include "storage/record_lines.h"

// Appends the record's eight lines, each with its line end.
void scrivi_contravv(std::string& out, const NODO_CONTRAVV& c);

// Fills the data fields of `c` from the eight lines of its record, the paid
// mark and payment date included (0/0/0 when unpaid); the owner link is
// left empty. Gives the owner code that the record names, if it names one.
std::optional<uint32_t> leggi_contravv(const RIGHE_RECORD& righe, NODO_CONTRAVV* c);

// The fines file for a list, a few records per part: nothing for an empty
// list. The lists must stay as they are until the content is over.
PROSSIMA_PARTE parti_contravvenzioni(const NODO_CONTRAVV* lista);

// Appends to `lista` (empty at the call) one record for each record of the
// file, in file order, linking each fine to the owner that `indice` gives
// for its stored code. 0 when the file was read to its end; 1 on a read
// error; -1 when memory for a record ran out. The records made until a
// failure stay linked in `lista`, for the caller to free.
int contravvenzioni_da_file(LETTURA_DATI& file, const INDICE_ANAGRAF& indice,
                            NODO_CONTRAVV*& lista);
