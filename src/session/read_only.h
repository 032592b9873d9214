// An archive read by a command of the command line, which changes nothing:
// the archive's locks held only while its files are read (so that a
// session that holds them refuses the command), what journal stands beside
// it noted, and nothing left on disk.
#pragma once

#include <string>

#include "storage/journal_format.h"
#include "storage/list_load.h"

struct ARCHIVIO_LETTO {
    int esito = 0;                 // as carica_archivio; also 1 for the two cases below
    bool in_uso = false;           // another program holds the archive: nothing was read
    long pid = 0;                  // with `in_uso`: its process number (0 when unknown)
    std::string blocco_non_fidato; // something at the lock file's name: nothing was read
    std::string percorso_giornale; // the archive's journal
    bool giornale_non_fidato = false; // something at its name that is not the program's
    bool giornale_illeggibile = false; // a file there that cannot be read as a journal
    long modifiche_non_salvate = 0;    // operations of a session that did not end
    bool salvataggio_interrotto = false; // the journal notes a save that was cut short
    FORMA_FILE forma_c, forma_a;          // what the reader misread in each file
    MULTE_ORFANE orfane;                  // fines naming an owner code no owner has
};

// Reads both files, as the reader takes them, into the current lists (which
// must be empty), and what journal there is. Nothing on disk changes: a save
// cut short is reported, not finished, and unsaved changes not replayed.
ARCHIVIO_LETTO leggi_per_comando(const std::string& file_c, const std::string& file_a);

// The notice of an archive held by another session, as the dialogues give it.
std::string testo_archivio_in_uso(long pid);
