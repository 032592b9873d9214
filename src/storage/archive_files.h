// The whole archive to and from its two files: both lists read from the
// fines file and the owners file and made the current ones, both lists
// written back, all or nothing. No question is asked here: a caller that
// wants one passes it in.
#pragma once

#include "model/records.h"
#include "storage/atomic_write.h"
#include "storage/list_load.h"
#include "storage/record_shape.h"

// Asked, for a file whose records do not all have the shape of their kind
// (the fines file when `contravvenzioni`, else the owners file), whether to
// load it all the same.
using CONFERMA_FORMA = bool (*)(const char* file, bool contravvenzioni, const FORMA_FILE& forma);

// Given back by carica_archivio when `conferma` said no.
constexpr int CARICAMENTO_RIFIUTATO = 3;

// Reads both files into two new lists, not yet in use: 0 when both were
// read whole, or the results of carica_archivio (with nothing made).
int leggi_archivio(const char* file_c, const char* file_a, CONFERMA_FORMA conferma,
                   LISTE_LETTE& nuove);
// Makes lists read by leggi_archivio the current ones (the old records
// are freed); `nuove` is left empty.
void installa_lette(LISTE_LETTE& nuove);

// Reads both files and, when both were read whole, makes their records the
// current lists (the old records are freed). 0 done; 1 when a file cannot
// be opened or read; -1 when memory ran out; CARICAMENTO_RIFIUTATO. On any
// failure the lists in memory are left exactly as they were. Without
// `conferma`, malformed records are loaded as the reader takes them.
int carica_archivio(const char* file_c, const char* file_a, CONFERMA_FORMA conferma = nullptr);

// Writes both lists whole, all or nothing: when a record does not fit its
// file's layout (checked as it is written) nothing changes on disk, and its
// place is told in `fuori`, when given. Then each file is written to a
// temporary file in its own folder, flushed to disk and renamed over the
// old one only when both were written (sostituisci_file). True on success;
// false when anything failed (memory too), and then neither data file has
// changed and no temporary file is left.
bool scrivi_archivio(const char* file_c, const char* file_a, FUORI_LAYOUT* fuori = nullptr);

// The first step of the same save: both files written to temporary files,
// flushed and locked (owners file first, then fines file), not yet in place
// (see prepara_file). False, nothing left on disk, as scrivi_archivio.
bool prepara_archivio(const char* file_c, const char* file_a, bool impronte, FILE_PREPARATI& p,
                      FUORI_LAYOUT* fuori = nullptr);
