// Finishing a save that a stop cut short between its renames, from the
// note it left in the journal. The note names each temporary file and the
// data file it replaces, by absolute path and by identity (device, inode,
// size, time), so that the state of each rename can be told for certain
// from any working folder; anything else (a copy of the folder, files
// changed since by hand) is left alone and called uncertain.
#pragma once

#include <string>

#include "storage/journal_format.h"

enum class ROLL_FORWARD {
    COMPLETO, // every rename is done now: the data files are the ones saved
    INCERTO,  // the files are not those the note speaks of: nothing touched
};

// For a SALVATAGGIO entry, the last of a journal found beside the fines
// file `reale_c` of the archive being loaded (`reale_a` its owners file,
// both resolved): each rename either done (the data file is the temporary
// file) or still to do (the temporary file is there and the data file is
// as it was), the data files being the ones loaded; the ones to do are
// done, and their folders flushed.
ROLL_FORWARD completa_salvataggio(const VOCE_GIORNALE& nota, const std::string& reale_c,
                                  const std::string& reale_a);
