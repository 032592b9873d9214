// The archive in use: the two files loaded or last saved (their paths,
// resolved, and their identities), the locks that keep other programs off
// them, and their recovery journal. A load is prepared whole beside it
// (apri_archivio: locks, journal read, a save cut short finished, both
// lists read) and takes its place only when it has fully succeeded
// (concludi_apertura); a save makes the archive it wrote the one in use.
// The dialogues around them (questions and messages) are in
// load_dialog.cpp and save_dialog.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "session/lock.h"
#include "storage/archive_files.h"
#include "storage/file_identity.h"
#include "storage/journal_format.h"

// What a load found beside the fines file.
enum class GIORNALE_TROVATO {
    NESSUNO,       // no journal, or one with no change in it
    RECUPERABILE,  // changes of a session that did not end, on these very files
    FILE_CAMBIATI, // changes made on files that have changed since
    ILLEGGIBILE,   // a file that cannot be read as a journal
    NON_FIDATO,    // something at the journal's name that is not this program's: not read
};

// A load prepared and not yet in use.
struct APERTURA {
    int esito = 0;                 // as carica_archivio; 1 also for the three cases below
    bool in_uso = false;           // another program holds the archive: nothing was read
    long pid = 0;                  // with `in_uso`: the process holding it (0 when unknown)
    std::string blocco_non_fidato; // something at the lock file's name that is not the
                                   // program's: nothing was read
    // A save of this archive cut short that cannot be finished with
    // certainty: its data files and journal, named to the clerk; nothing
    // was loaded, so that a new file and an old one are never taken as one
    // archive.
    std::vector<std::string> salvataggio_incerto;
    GIORNALE_TROVATO giornale = GIORNALE_TROVATO::NESSUNO;
    std::string percorso_giornale; // the archive's journal
    long modifiche = 0;            // RECUPERABILE: the operations it holds
    int64_t ultima = 0;            // RECUPERABILE: when the last one was made (seconds since 1970)

    // Held until concludi_apertura or abbandona_apertura.
    std::string file_c, file_a;   // as typed
    std::string reale_c, reale_a; // resolved
    IDENTITA_FILE id_c, id_a;     // as read
    BLOCCO_ARCHIVIO blocco;       // taken for this load (none when already held)
    GIORNALE_LETTO letto;         // the journal found
    LISTE_LETTE liste;            // both lists, not yet in use
};

// Prepares the load of the two files: takes the archive's locks (unless
// this session holds them), reads what journal there is, finishes a save
// that a stop cut short between its renames when that can be done with
// certainty, and reads both files. Nothing in use changes. A file with
// malformed records is read only when `conferma` says so (esito
// CARICAMENTO_RIFIUTATO otherwise). On failure nothing is held and nothing
// is left on disk.
APERTURA apri_archivio(const std::string& file_c, const std::string& file_a,
                       CONFERMA_FORMA conferma);

// Gives up a load that apri_archivio prepared.
void abbandona_apertura(APERTURA& a);

struct ESITO_GIORNALE {
    bool caricato = false;      // the archive is in use; false: nothing changed
    std::string giornale;       // the archive's journal
    std::string messo_da_parte; // where the journal found was set aside ("" when not)
    bool recuperato = false;    // its changes were replayed (those before `non_recuperate`)
    long recuperate = 0;        // with `recuperato`: the operations replayed
    long non_recuperate = 0;    // with `recuperato`: the operations from the first one whose
                                // values no record may hold on, kept aside, never applied
    bool protetto = false;      // a journal is being written from now on
    std::vector<std::string> cartelle_aperte; // folders of the archive others may write to
};

// Puts a load that apri_archivio prepared (esito 0) in use: the new lists
// replace the old ones; the journal found is replayed (when it is
// RECUPERABILE and `recupera`), or set aside when it holds changes; then
// the journal goes on, or starts afresh, for the files loaded. A replay
// that does not fit the files loads them as they are; if even that fails,
// the load fails whole (`caricato` false) and the lists, files and journal
// in use are exactly as before. When the replay stopped before an entry
// whose values no record may hold, the journal found is set aside whole
// and a new one holds what was replayed.
ESITO_GIORNALE concludi_apertura(APERTURA& a, bool recupera);

// Before a save to these paths: false, with the holder's process number,
// when they belong to an archive another program holds. The locks taken
// here are kept for these paths.
bool blocca_destinazione(const std::string& file_c, const std::string& file_a, long& pid);

// Those of the two paths, in order, whose file is no longer the one this
// session loaded or last saved there (changed or removed by another
// program); none when both are as they were or are not known to this
// session.
std::vector<std::string> file_cambiati(const std::string& file_c, const std::string& file_a);

// What became of a save, beyond done or not.
struct ESITO_SALVATAGGIO {
    FUORI_LAYOUT fuori;                     // a record the layout cannot hold: nothing written
    bool nota_mancata = false;              // the journal could not note the save: nothing renamed
    std::vector<std::string> rimasti_nuovi; // failed, and these data files could not be put
                                            // back: they are new, the others old
    std::vector<std::string> senza_copia;   // saved, but these files' backups could not be kept
};

// Writes both lists (see scrivi_archivio), noting the save in the journal
// of the archive written to before any rename, so that a stop between the
// renames is finished at the next load, from any working folder. On
// success the journal starts afresh for the files written, the locks move
// to them, and their archive becomes the one in use. True written; false
// not (see `esito`).
bool salva_archivio(const std::string& file_c, const std::string& file_a, ESITO_SALVATAGGIO& esito);

// The end of a session that ended normally: the journal is removed (the
// clerk saved, or chose not to) and the locks released.
void chiudi_archivio();
