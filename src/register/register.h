// The register of the archive in use: who did what, and when. Every
// operation of the clerk becomes an entry, appended and flushed right
// after its journal entry, before the clerk is told it is done; the
// session's events (load, recovery, save, "Non salvare", end) are entries
// too. Entries are described in register_entry.h, the file in
// register_file.h. When the register cannot be written the clerk is told
// once, and the work goes on.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/changes.h"
#include "register/register_entry.h"
#include "storage/file_hash.h"
#include "storage/file_identity.h"
#include "storage/space_ahead.h"

// The register an archive in use writes to: part of the session's value
// (session/archive.h), changed only through the functions below.
struct REGISTRO_IN_USO {
    FILE_ACCODATO file;   // its descriptor -1 when it is not written to a file
    // A database archive's register: where its lines go instead of a file.
    std::function<bool(std::string_view)> nel_database;
    std::string percorso; // "" when none
    uint64_t numero = 0;  // of the last entry
    std::string hash = HASH_INIZIALE;
    bool a_capo = true;
    bool con_giornale = false;
    int64_t giornale = 0; // when the journal the entries belong to began
    long voce_giornale = 0;
    json ultima;                       // the last entry, as found when opened or as last written
    bool avvisato = false;             // the clerk knows it cannot be written
    std::vector<PRIMA_DI> prima_di;    // images of the operation under way
    std::string descrizione_prossima;  // the words for the next operation's entry
    long da_saltare = -1;              // a replay: groups the register holds
    std::vector<int64_t> ore_recupero; // a replay: the time of each group
    std::vector<std::string> descrizioni_recupero; // a replay: the words of each group, if any
    long gruppi_recupero = 0;          // a replay: groups seen
    std::vector<MEMBRI> recuperate;    // a replay: entries to write, as text
};

// This process's user (by name, or its number) and host, as every entry
// names them.
std::string nome_utente();
std::string nome_host();

// Makes the register at `percorso` the one written to (the one in use
// before, if another, stops being written). False when it cannot be
// written; the clerk is then to be told (registro_da_avvisare).
bool registro_apri(REGISTRO_IN_USO& r, const std::string& percorso);
bool registro_attivo(const REGISTRO_IN_USO& r);

// The register of a database archive: each write's lines go to `scrivi`
// (a row each, within the transaction of the change they describe), not
// to a file. Before each write the chain goes on from the table's last
// entry (registro_continua), whichever program wrote it.
void registro_nel_database(REGISTRO_IN_USO& r, std::function<bool(std::string_view)> scrivi);
void registro_continua(REGISTRO_IN_USO& r, uint64_t numero, std::string hash);
// The register of the archive in use ("" when none), written or not.
const std::string& registro_in_uso(const REGISTRO_IN_USO& r);
// Whether registers are written at all in this process (see registro_escludi).
bool registro_previsto();

// The operations of the recovery journal begun at `inizio` (seconds since
// 1970) that the register at `percorso` already holds, as its last entry
// says; -1 when it says nothing of that journal.
long registro_voci_del_giornale(const std::string& percorso, int64_t inizio);

// The entries from now on belong to the journal begun at `inizio`, which
// holds `voci` operations; without a journal, none.
void registro_segue_giornale(REGISTRO_IN_USO& r, int64_t inizio, long voci);
void registro_senza_giornale(REGISTRO_IN_USO& r);

// One of the two data files in a load or save entry.
struct FILE_REGISTRATO {
    const char* ruolo; // "contravvenzioni" or "anagrafica"
    std::string percorso;
    IDENTITA_FILE identita;
    long record = 0;
    std::optional<IMPRONTA> impronta; // a save's
};

void registro_caricamento(REGISTRO_IN_USO& r, const std::vector<FILE_REGISTRATO>& file);
// A save of these files. The last hash of the chain also goes to the
// system log, as an anchor outside the folder (anchor.h).
// `modifiche`: the operations it saved, since the load or the last save;
// `da_registro`: the register that holds them, when another archive's.
void registro_salvataggio(REGISTRO_IN_USO& r, const std::vector<FILE_REGISTRATO>& file,
                          long modifiche, const std::string& da_registro = "");
// A save that a stop cut short after its renames, finished by the load,
// with the fingerprints its note gave: its entry, unless the register's
// last entry is that save already.
void registro_salvataggio_ripreso(REGISTRO_IN_USO& r, const std::vector<FILE_REGISTRATO>& file);
void registro_non_salvare(REGISTRO_IN_USO& r, long modifiche);
// The session leaves the archive: the clerk ended it (`normale`), or input
// ended and its unsaved changes stay in the journal. An anchor follows
// this entry too, so that a register cut back to its last save shows.
void registro_fine_sessione(REGISTRO_IN_USO& r, long non_salvate, bool normale);

// While a journal is replayed: the groups after the first `gia` (those the
// register already holds) are kept, each with the time its journal entry
// gives in `ore`, for registro_recupero. -1 for `gia`: none is kept.
// `descrizioni`, beside `ore`, the words each operation was given (an
// import's), so that its entry says what the uninterrupted one says.
void registro_prepara_recupero(REGISTRO_IN_USO& r, long gia, std::vector<int64_t> ore,
                               std::vector<std::string> descrizioni = {});
void annota_recuperate(REGISTRO_IN_USO& r, std::span<const MODIFICA> gruppo, bool completo);
// The recovery: how many operations were replayed, how many could not be
// (and where the journal was set aside), then the operations kept above.
// The entries then belong to the journal begun at `giornale`.
void registro_recupero(REGISTRO_IN_USO& r, int64_t giornale, long recuperate, long non_recuperate,
                       const std::string& messo_da_parte);

// The words that describe the next operation in its entry, instead of
// those its changes suggest (an import names the file it came from).
void registro_descrivi_prossima(REGISTRO_IN_USO& r, std::string descrizione);

// The observer of the model's changes: the images of the records an
// operation is about to change, for its entry.
void registro_osserva(REGISTRO_IN_USO& r, const NODO_CONTRAVV* f, const NODO_ANAGRAF* a);

// The register's part of the listener: one entry for the operation, after
// the journal's (`nel_giornale`: the journal holds it, and the entry names
// it). False when it could not be written now: the clerk must be told
// (registro_da_avvisare).
bool annota_nel_registro(REGISTRO_IN_USO& r, std::span<const MODIFICA> gruppo, bool completo,
                         bool nel_giornale);

// Whether the clerk is still to be told that the register cannot be
// written: true once, until it is written again.
bool registro_da_avvisare(REGISTRO_IN_USO& r);

// No register is opened for the rest of the process (the benchmark's
// figures without it): a setting, given before any archive is opened.
void registro_escludi(bool escluso);
