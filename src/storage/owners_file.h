// The owners file: the eight lines of an owner record, the whole file
// written from the owners list, and the list built back from the file.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/records.h"
#include "storage/atomic_write.h"
#include "storage/file_read.h"
#include "storage/record_lines.h"
#include "storage/record_shape.h"

// Whether the reader takes the lines of an owner record as they were
// meant, judging only what it reads: line 2, a number that fits the owner
// codes; line 4, the date of birth from columns 1-10 (day and month by the
// number rule, four digits in the year columns, a real calendar date).
// Names, address, tax code and licence are taken as they stand, and the
// first line and the rule line are never looked at. Test seam: the loader
// makes the same judgement as it reads.
bool forma_anagraf(const RIGHE_RECORD& righe);

// The owners file for a list, a few records per part: nothing for an empty
// list. The list must stay as it is until the content is over.
// An owner that the layout cannot hold ends it, as for the fines.
PROSSIMA_PARTE parti_anagrafica(const NODO_ANAGRAF* lista, FUORI_LAYOUT& fuori);

// What reading the owners file found out about their codes and shape.
struct CODICI_LETTI {
    std::size_t quanti = 0; // records read
    uint32_t massimo = 0;   // the highest code
    FORMA_FILE forma;       // how many records have the shape of an owner's
};

// Appends to `lista` (empty at the call) one record for each record of the
// file, in file order. 0 when the file was read to its end; 1 on a read
// error; -1 when memory ran out; LETTURA_INTERROTTA when `fermo` was found set (checked
// before each record), the reading given up. The records made until a
// failure stay linked in `lista`, for the caller to free. `a_margine`,
// when given, is called every few hundred records: work of the load's
// other side done meanwhile, by the thread that has time for it.
int anagrafica_da_file(LETTURA_DATI& file, NODO_ANAGRAF*& lista, CODICI_LETTI& codici,
                       const std::atomic<bool>& fermo, void (*a_margine)() = nullptr);
