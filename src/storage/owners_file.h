// The owners file: the eight lines of an owner record, the whole file
// written from the owners list, and the list built back from the file.
#pragma once

#include <string>

#include "model/records.h"
#include "storage/atomic_write.h"
#include "storage/file_read.h"
#include "storage/owner_index.h"
#include "storage/record_lines.h"

// Appends the record's eight lines, each with its line end.
void scrivi_anagraf(std::string& out, const NODO_ANAGRAF& a);

// Fills the data fields of `a` from the eight lines of its record.
void leggi_anagraf(const RIGHE_RECORD& righe, NODO_ANAGRAF* a);

// The owners file for a list, one record per part: nothing for an empty
// list. The list must stay as it is until the content is over.
PROSSIMA_PARTE parti_anagrafica(const NODO_ANAGRAF* lista);

// Appends to `lista` (empty at the call) one record for each record of the
// file, in file order, and notes each in `indice` (then ordered). 0 when
// the file was read to its end; 1 on a read error; -1 when memory ran
// out. The records made until a failure stay linked in `lista`, for the
// caller to free.
int anagrafica_da_file(LETTURA_DATI& file, NODO_ANAGRAF*& lista, INDICE_ANAGRAF& indice);
