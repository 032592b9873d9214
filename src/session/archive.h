// The archive in use, and the one way into any archive.
//
// Every way in (the load dialogue, a consultation, and each command of the
// command line) opens an archive with apri_archivio, from its names
// (names.h), in one of three modes:
// - TITOLARE: the clerk who holds it. Its locks are taken; the journal
//   found is examined (recovered, set aside); a save a stop cut short is
//   finished when the note proves which files are which.
// - COMANDO: a command that writes (the import): as the holder, without
//   questions.
// - LETTORE: anyone who only reads (a consultation, `controlla`,
//   `esporta`, `importa-pagamenti --prova`). No lock is taken and nothing
//   is written, so a reader never blocks, delays or disturbs the holder.
//   It sees what the holder has confirmed: the files of the last save
//   (read again when a save replaced them meanwhile) and, while a session
//   holds the archive, that session's journal replayed in memory.
// An opening is prepared whole beside the archive in use and takes its
// place only when concludi_apertura succeeds.
//
// The session's state, one value with explicit transitions:
//
//   NESSUN_ARCHIVIO --load (TITOLARE)--> TITOLARE or TITOLARE_SENZA_PROTEZIONE
//   NESSUN_ARCHIVIO --load (LETTORE)---> CONSULTAZIONE
//   TITOLARE --journal found replayed--> RIPRODUZIONE --> TITOLARE
//     (while replaying, the listener of changes is off: nothing is
//      written twice)
//   TITOLARE --journal cannot be written--> TITOLARE_SENZA_PROTEZIONE
//   TITOLARE_SENZA_PROTEZIONE --save, journal started again--> TITOLARE
//   CONSULTAZIONE --fresh look at each menu--> CONSULTAZIONE
//   NESSUN_ARCHIVIO --load (a database)--> DATABASE
//   DATABASE --the others' operations at each menu--> DATABASE
//     (each operation of the clerk is a transaction there: see
//      database_archive.h; nothing is saved, nothing journaled)
//   any --another load--> as above; --chiudi_archivio--> NESSUN_ARCHIVIO
//
// Only TITOLARE and TITOLARE_SENZA_PROTEZIONE change the archive: the
// listener writes the journal and the register only there, a save is
// refused in CONSULTAZIONE, and the screens that change something check
// sola_consultazione() before they ask anything.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "database/connection.h"
#include "register/register.h"
#include "session/journal.h"
#include "session/lock.h"
#include "session/names.h"
#include "storage/archive_files.h"
#include "storage/file_identity.h"
#include "storage/journal_format.h"

enum class STATO_SESSIONE {
    NESSUN_ARCHIVIO,
    TITOLARE,                  // holds the archive, every operation journaled
    RIPRODUZIONE,              // replaying a journal found, listener off
    TITOLARE_SENZA_PROTEZIONE, // holds it, but no journal can be written
    CONSULTAZIONE,             // reads another session's archive, changes nothing
    DATABASE,                  // a database archive: each operation committed there at once
};
STATO_SESSIONE stato_sessione();
bool sola_consultazione();

// The session's journal and register, for the dialogues that tell the
// clerk about them and the commands that write (see journal.h and
// register/register.h): the session owns them.
GIORNALE_IN_USO& giornale_sessione();
REGISTRO_IN_USO& registro_sessione();

// Input has ended: nothing more can be asked and nothing is saved; the
// register says so, the journal keeps the work for the next load.
void sessione_interrotta();

enum class MODO_APERTURA { TITOLARE, COMANDO, LETTORE };

// What a load found beside the fines file.
enum class GIORNALE_TROVATO {
    NESSUNO,       // no journal, or one with no change in it
    RECUPERABILE,  // changes on these very files: of a session that did not end or,
                   // for a reader, of the session holding the archive
    FILE_CAMBIATI, // changes made on files that have changed since
    ILLEGGIBILE,   // a file that cannot be read as a journal
    NON_FIDATO,    // something at the journal's name that is not this program's: not read
};

// An archive opened and not yet in use.
struct APERTURA {
    MODO_APERTURA modo = MODO_APERTURA::TITOLARE;
    NOMI_ARCHIVIO nomi;
    int esito = 0;                 // as carica_archivio; 1 also for the refusals below
    bool stesso_file = false;      // both paths name one file: nothing was read
    bool in_uso = false;           // another program holds the archive: nothing was read
    long pid = 0;                  // with `in_uso`: the process holding it (0 when unknown)
    TITOLARE_ARCHIVIO titolare;    // the session holding the archive (pid 0: none); for a
                                   // reader, and for a holder refused
    bool giornale_altrui = false;  // a reader of a held archive whose journal it may not
                                   // read: the data are the last save's alone
    std::string blocco_non_fidato; // something at the lock file's name that is not the
                                   // program's: nothing was read
    // A save of this archive cut short that cannot be finished with
    // certainty: the files that really exist around the data files, then
    // the journal; nothing was loaded, so that a new file and an old one
    // are never taken as one archive.
    std::vector<std::string> salvataggio_incerto;
    bool salvataggio_interrotto = false; // a reader found a save cut short: it read the
                                         // files it would put in place
    bool salvataggio_in_corso = false;   // a reader found the holder saving, for longer
                                         // than it waits: nothing was read
    GIORNALE_TROVATO giornale = GIORNALE_TROVATO::NESSUNO;
    FORMA_FILE forma_c, forma_a; // what the reader misread in each file
    MULTE_ORFANE orfane;         // fines naming an owner code no owner has
    long modifiche = 0;          // RECUPERABILE: the operations it holds
    int64_t ultima = 0;          // RECUPERABILE: when the last one was made (seconds since 1970)

    // Held until concludi_apertura or abbandona_apertura.
    IDENTITA_FILE id_c, id_a;  // as read
    IDENTITA_FILE id_giornale; // the journal as read
    BLOCCO_ARCHIVIO blocco;    // taken for this load (none when already held, or a reader)
    GIORNALE_LETTO letto;      // the journal found
    LISTE_LETTE liste;         // both lists, not yet in use
    std::optional<VOCE_GIORNALE> completato; // the note of the save this load finished
    // A database archive: its connection, the last operation of its log
    // the lists hold, and what the server said when it could not be read.
    DATABASE db;
    int64_t visto = 0;
    std::string errore_database;
};

// Opens the archive named by `nomi` in `modo` (see above): nothing in use
// changes. A file with malformed records is read only when `conferma` says
// so (esito CARICAMENTO_RIFIUTATO otherwise). On failure nothing is held
// and nothing is left on disk.
APERTURA apri_archivio(const NOMI_ARCHIVIO& nomi, MODO_APERTURA modo, CONFERMA_FORMA conferma);

// Gives up an opening that apri_archivio prepared.
void abbandona_apertura(APERTURA& a);

struct ESITO_GIORNALE {
    bool caricato = false;      // the archive is in use; false: nothing changed
    std::string giornale;       // the archive's journal
    std::string messo_da_parte; // where the journal found was set aside ("" when not)
    bool recuperato = false;    // its changes were replayed (those before `non_recuperate`)
    long recuperate = 0;        // with `recuperato`: the operations replayed
    long non_recuperate = 0;    // with `recuperato`: the operations from the first one whose
                                // values no record may hold, kept aside, never applied
    bool protetto = false;      // a journal is being written from now on
    std::vector<std::string> cartelle_aperte; // folders of the archive others may write to
};

// Puts an opening (esito 0) in use: the new lists replace the old ones.
// For a holder, the journal found is replayed (when it is RECUPERABILE and
// `recupera`), or set aside when it holds changes; then the journal goes
// on, or starts afresh, for the files loaded. A replay that does not fit
// the files loads them as they are; if even that fails, the load fails
// whole (`caricato` false) and the lists, files and journal in use are
// exactly as before. When the replay stopped before an entry whose values
// no record may hold, the journal found is set aside whole and a new one
// holds what was replayed. For a reader, the holder's journal is replayed
// in memory (`recupera` is not asked), nothing written; the session is
// then in consultation.
ESITO_GIORNALE concludi_apertura(APERTURA& a, bool recupera);

// Whether the archive in use is a database archive.
bool archivio_database();

// The identifier a new record's form shows (a fine when `contravvenzioni`,
// else an owner): the last record's plus one, as a walk gives it; on a
// database archive also held for this form against the other programs.
// Nothing when the numbers are used up (`esauriti`) or a database cannot
// be reached (the clerk was told).
std::optional<uint32_t> numero_per_nuovo(bool contravvenzioni, bool& esauriti);
// A new record's form given up: its number goes to the next new record.
void rinuncia_al_numero(bool contravvenzioni, uint32_t numero);

// Whether the operation just confirmed was refused (a database archive:
// another clerk changed the same record, or the server could not be
// reached and the clerk gave up; the clerk was told). Then the lists are
// read again from the database: the screen must find its record anew by
// its identifier, holding no record of before.
bool operazione_rifiutata();
// Why it was, in words a command puts in its own message ("un altro
// impiegato (...) ha cambiato questi dati il ...", "il database non
// risponde (...)"); "" when it was not. A database archive opened by a
// command (COMANDO or LETTORE) asks nothing: when the server cannot be
// reached the operation is refused at once, and nothing is printed.
const std::string& motivo_rifiuto();
// Whether that operation may have been stored all the same: the connection
// went at its commit, and the server could not be asked since.
bool rifiutata_forse_fatta();
// What a screen gives back when its operation was refused.
constexpr int RIFIUTATA = -2;

// A database archive: brought up to date with the other programs'
// operations. False when the database could not be read now.
bool aggiorna_database();

// In consultation: a fresh look at the archive when its files or its
// holder's journal changed since the last one. False when it could not be
// read now (the lists stay as they were).
bool aggiorna_consultazione();

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

// Saves both lists in two steps: both files are prepared (written beside
// the data files, flushed, fingerprinted and locked); the save is noted in
// the journal of the archive written to, with the new files' fingerprints;
// only then are they put in place, so that a stop between the renames is
// finished at the next load, from any working folder. On success the
// register notes the save, the journal starts afresh for the files
// written, the locks move to them, and their archive becomes the one in
// use. True written; false not (see `esito`).
bool salva_archivio(const std::string& file_c, const std::string& file_a, ESITO_SALVATAGGIO& esito);

// The end of a session that ended normally: the journal is removed (the
// clerk saved, or chose not to) and the locks released.
void chiudi_archivio();

// The new files' fingerprints a save note carries (none without a note).
std::vector<IMPRONTA> impronte_della_nota(const std::optional<VOCE_GIORNALE>& nota);

// Who holds an archive, as the messages give it: " (utente U, processo N)",
// the user left out when unknown, "" when nothing is known.
std::string chi_tiene(const TITOLARE_ARCHIVIO& t);
// The refusal of an archive held by another session, as the dialogues and
// the commands that write give it.
std::string testo_archivio_in_uso(const TITOLARE_ARCHIVIO& t);
