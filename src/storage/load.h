// Loading the fines file and the owners file into the two lists.
#pragma once

#include "storage/record_shape.h"

// The load dialogue: asks both paths (ENTER for the defaults), loads, reports
// the outcome and pauses. 0 when both files were loaded; 1 when a file cannot
// be opened; -1 when memory ran out. Only a successful load changes the lists
// and the current paths.
int carica();

// Asked, for a file whose records do not all have the shape of their kind
// (the fines file when `contravvenzioni`, else the owners file), whether to
// load it all the same.
using CONFERMA_FORMA = bool (*)(const char* file, bool contravvenzioni, const FORMA_FILE& forma);

// Given back by carica_archivio when `conferma` said no.
constexpr int CARICAMENTO_RIFIUTATO = 3;

// Reads both files and, when both were read whole, makes their records the
// current lists (the old records are freed). Same results as carica(), and
// CARICAMENTO_RIFIUTATO; on any failure the lists in memory are left
// exactly as they were. Without `conferma`, malformed records are loaded
// as the reader takes them.
int carica_archivio(const char* file_c, const char* file_a, CONFERMA_FORMA conferma = nullptr);
