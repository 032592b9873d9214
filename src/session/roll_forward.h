// Finishing a save that a stop cut short between its renames, from the
// note it left in the journal. The note names each temporary file and the
// data file it replaces, by absolute path and by identity (device, inode,
// size, time), and, since notes carry it, by the new file's SHA-256: the
// state of each rename is told for certain from any working folder, and
// in a copy of the folder (a restore) by the bytes of the files found
// there under the same names. Anything else (files changed since by hand,
// a temporary file gone) is left alone and called uncertain.
#pragma once

#include <string>
#include <vector>

#include "session/names.h"
#include "storage/journal_format.h"

enum class ROLL_FORWARD {
    COMPLETO, // every rename is done now: the data files are the ones saved
    INCERTO,  // the files are not those the note speaks of: nothing touched
};

// What a note says of the files found now, without touching them.
struct ESAME_SALVATAGGIO {
    bool certo = false;
    // With `certo`: where each data file's saved content is now (the data
    // file itself when its rename is done, else its temporary file), in
    // the note's order, and which renames are still to do.
    std::vector<std::string> contenuto;
    std::vector<std::string> destinazione;
    std::vector<bool> da_fare;
    // The old data files' second names, by the note's identities (those
    // that are found): each becomes that file's backup when the save is
    // finished.
    std::vector<std::string> secondi_nomi;
    // Without `certo`: the files that really exist around the data files
    // (the data files, temporary files, second names), for the clerk.
    std::vector<std::string> presenti;
};
ESAME_SALVATAGGIO esamina_salvataggio(const VOCE_GIORNALE& nota, const NOMI_ARCHIVIO& nomi);

// Finishes the save that `esame` (certain) found: the renames still to do
// are done and their folders flushed; each old file's second name becomes
// its backup. INCERTO when a rename fails.
ROLL_FORWARD completa_salvataggio(const ESAME_SALVATAGGIO& esame);
