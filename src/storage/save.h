// Saving the two lists to the fines file and the owners file.
#pragma once

// The save dialogue with its three choices ([1] Salva, [2] Salva con nome...,
// [3] Non salvare). 0 when both files were written, 1 when they could not be
// (neither file changed), -1 when the clerk chose not to save.
int salva();

// Writes both lists whole, all or nothing: each file is written to a
// temporary file in its own folder, flushed to disk and renamed over the
// old one only when both were written. 0 on success, 1 when anything failed;
// then neither data file has changed and no temporary file is left.
int scrivi_archivio(const char* file_c, const char* file_a);
