// Saving the two lists to the fines file and the owners file.
#pragma once

#include "model/records.h"
#include "storage/atomic_write.h"

// The save dialogue with its three choices ([1] Salva, [2] Salva con nome...,
// [3] Non salvare). 0 when both files were written, 1 when they could not be
// (neither file changed), -1 when the clerk chose not to save.
int salva();

// A record that a save cannot write so that the next load reads it back as
// it is (an amount loaded anyway beyond its columns, for instance).
struct FUORI_LAYOUT {
    const NODO_CONTRAVV* contravv = nullptr; // the first such fine, or
    const NODO_ANAGRAF* anagraf = nullptr;   // the first such owner (no fine is)
    const char* motivo = nullptr;            // why, in words; nullptr: none
};

// The first record of the lists that does not fit its file's layout.
FUORI_LAYOUT primo_fuori_layout();

// Writes both lists whole, all or nothing: every record is checked first,
// and when one does not fit its file's layout nothing is written (its
// place is told in `fuori`, when given). each file is written to a
// temporary file in its own folder, flushed to disk and renamed over the
// old one only when both were written. True on success; false when anything
// failed (memory too), and then neither data file has changed and no
// temporary file is left. `passi`, when given, is told of the renames (see
// sostituisci_file).
bool scrivi_archivio(const char* file_c, const char* file_a,
                     const PASSI_SOSTITUZIONE* passi = nullptr, FUORI_LAYOUT* fuori = nullptr);

// Tells the clerk that the archive is held by another session (its process
// number when known, 0 otherwise).
void avvisa_archivio_in_uso(long pid);
