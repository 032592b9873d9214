// The fines file: the eight lines of a fine record, the whole file written
// from the fines list, and the list built back from the file.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/record_index.h"
#include "model/records.h"
#include "storage/atomic_write.h"
#include "storage/file_read.h"
#include "storage/record_lines.h"
#include "storage/record_shape.h"

// Whether the reader takes the lines of a fine record as they were meant,
// judging only what it reads: line 2, a number that fits the fine numbers;
// line 3, the ticket date from columns 1-10 (day and month by the number
// rule, four digits in the year columns, a real calendar date); line 6, "*",
// a blank in column 2 and an owner code that fits from column 3, or any
// other first character (no owner; a "*" pushed right by blanks is a
// misread); line 7, an amount in columns 1-15 that the columns hold (below
// 10^12) and, when column 17 is "*", the payment date from column 19 as
// above. The first line, the rule line, the text after an unpaid mark and
// every column the reader does not take are never looked at. Test seam:
// the loader makes the same judgement as it reads.
bool forma_contravv(const RIGHE_RECORD& righe);

// The fines file for a list, a few records per part: nothing for an empty
// list. The lists must stay as they are until the content is over.
// A fine that the layout cannot hold (campo_non_scrivibile) ends it: its
// place goes to `fuori`, and RECORD_FUORI_LAYOUT is thrown.
PROSSIMA_PARTE parti_contravvenzioni(const NODO_CONTRAVV* lista, FUORI_LAYOUT& fuori);

// How far the reading of the fines file has got, for another thread that
// works on the fines already read while the rest is being read.
struct AVANZAMENTO_MULTE {
    std::atomic<bool> fermo{false};              // set by either side: the load is given up
    std::atomic<NODO_CONTRAVV*> ultima{nullptr}; // the fines up to this one will not change
    std::atomic<bool> finita{false};             // the reading is over; `ultima` is the last fine
    std::atomic<unsigned> turno{0};              // grows at each news above, to wait on
};

// Appends to `lista` (empty at the call) one record for each record of the
// file, in file order, each with its owner still to be found: a fine that
// names an owner code holds it, for collega_proprietari, in place of its
// owner link. `crescenti` tells whether the numbers rose strictly along the
// file. 0 when the file was read to its end; 1 on a read error; -1 when
// memory for a record or for the read buffer ran out; LETTURA_INTERROTTA
// when `avanzamento.fermo` was found set (checked before each record), the
// reading given up. Every few thousand fines, and at the end whatever the
// result, the progress is published in `avanzamento`; `fermo` is set before
// the end is published when the result is not 0. The records made until a
// failure stay linked in `lista`, for the caller to free without following
// their owner links. `forma` counts the records that have the shape of a
// fine's, and those that have not.
int contravvenzioni_da_file(LETTURA_DATI& file, NODO_CONTRAVV*& lista, bool& crescenti,
                            FORMA_FILE& forma, AVANZAMENTO_MULTE& avanzamento);

// Links each fine of a list made by contravvenzioni_da_file, from `da` up
// to and including `a` (to the end of the list when `a` is nullptr), to the
// owner that `indice` gives for the code it holds; a fine whose code names
// no owner, or that names none, is left without owner. Those whose code
// names no owner are counted in `orfane`. Each fine is added to `multe`, the
// index of the fines list, in the same step. Throws std::bad_alloc.
void collega_proprietari(NODO_CONTRAVV* da, const NODO_CONTRAVV* a,
                         const INDICE_ID<NODO_ANAGRAF>& indice, MULTE_ORFANE& orfane,
                         INDICE_ID<NODO_CONTRAVV>& multe);
