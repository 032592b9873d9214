// Loading the fines file and the owners file into the two lists.
#pragma once

// The load dialogue: asks both paths (ENTER for the defaults), loads, reports
// the outcome and pauses. 0 when both files were loaded; 1 when a file cannot
// be opened; -1 when memory ran out. Only a successful load changes the lists
// and the current paths.
int carica();

// Reads both files and, when both were read whole, makes their records the
// current lists (the old records are freed). Same results as carica(); on
// any failure the lists in memory are left exactly as they were.
int carica_archivio(const char* file_c, const char* file_a);
