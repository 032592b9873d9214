// The archive in use: the lock that keeps other programs off it, its
// recovery journal, and the identity of its two files as last loaded or
// saved. Loading and saving go through here; the dialogues around them
// (questions and messages) are in load_dialog.cpp and save_dialog.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "storage/archive_files.h"

// What a load found beside the fines file.
enum class GIORNALE_TROVATO {
    NESSUNO,       // no journal, or one with no change in it
    RECUPERABILE,  // changes of a session that did not end, on these very files
    FILE_CAMBIATI, // changes made on files that have changed since
    ILLEGGIBILE,   // a file that cannot be read as a journal
};

struct APERTURA {
    int esito = 0;       // as carica_archivio; 1 also when `in_uso`
    bool in_uso = false; // another program holds the archive: nothing was read
    long pid = 0;        // with `in_uso`: the process holding it (0 when unknown)
    GIORNALE_TROVATO giornale = GIORNALE_TROVATO::NESSUNO;
    long modifiche = 0; // RECUPERABILE: the operations it holds
    int64_t ultima = 0; // RECUPERABILE: when the last one was made (seconds since 1970)
};

// Takes the archive's lock (unless this session holds it), finishes a save
// that a stop cut short between its renames, reads what journal there is,
// and loads both files. Only a load that succeeds changes the lists and the
// archive in use; on failure everything stays as it was.
// A file with malformed records is loaded only when `conferma` says so
// (esito CARICAMENTO_RIFIUTATO otherwise).
APERTURA apri_archivio(const std::string& file_c, const std::string& file_a,
                       CONFERMA_FORMA conferma);

struct ESITO_GIORNALE {
    std::string giornale;       // the archive's journal
    std::string messo_da_parte; // where the journal found was set aside ("" when not)
    bool recuperato = false;    // its changes were replayed (those before `non_recuperate`)
    long recuperate = 0;        // with `recuperato`: the operations replayed
    long non_recuperate = 0;    // with `recuperato`: the operations from the first one whose
                                // values no record may hold on, kept aside, never applied
    bool protetto = false;      // a journal is being written from now on
};

// After a successful apri_archivio: replays the journal found (when it is
// RECUPERABILE and `recupera`), or sets it aside when it holds changes;
// then the journal goes on, or starts afresh, for the files loaded. When
// the replay stopped before an entry whose values no record may hold, the
// journal found is set aside whole and a new one holds what was replayed.
ESITO_GIORNALE avvia_giornale_archivio(bool recupera);

// Before a save to these paths: false, with the holder's process number,
// when they belong to an archive another program holds. The lock taken
// here is kept for these paths.
bool blocca_destinazione(const std::string& file_c, long& pid);

// Those of the two paths, in order, whose file is no longer the one this
// session loaded or last saved there (changed or removed by another
// program); none when both are as they were or are not known to this
// session.
std::vector<std::string> file_cambiati(const std::string& file_c, const std::string& file_a);

// Writes both lists (see scrivi_archivio), noting the save in the journal
// so that a stop between the renames is finished at the next load. On
// success the journal starts afresh for the files written, and their
// archive becomes the one in use. True written; false not (`fuori`, when
// given, tells of a record that does not fit the layout: see scrivi_archivio).
bool salva_archivio(const std::string& file_c, const std::string& file_a,
                    FUORI_LAYOUT* fuori = nullptr);

// The end of a session that ended normally: the journal is removed (the
// clerk saved, or chose not to) and the lock released.
void chiudi_archivio();
