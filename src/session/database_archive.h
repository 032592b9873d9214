// A database archive in use: the lists in memory, kept up to date with the
// operations of the other programs sharing the archive, and each operation
// of this clerk written to the database in one transaction before the
// clerk is told it is done.
//
// An operation is made in memory through the door, as on files; then, in
// one transaction holding the archive's lock, the operations of the others
// since this program last looked are checked for a conflict (the same
// record changed, an owner removed that this operation links to, or the
// other way round). A conflict refuses it: nothing is written, the clerk
// is told who changed the record and when, and the lists are read again
// from the database before anything else is done. Otherwise the records
// it touched are written as they now stand, the operation goes to the log
// (for the others to replay) and to the register, and the transaction is
// committed; then the others' operations are replayed here.
//
// When the server cannot be reached, the clerk is told in plain words and
// asked whether to try again; the operation waits in memory meanwhile, so
// nothing typed is lost, and the program connects again by itself. An
// operation whose commit's outcome was lost with the connection is looked
// for by the mark it was written with, so it is never written twice.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "database/connection.h"
#include "database/operations_log.h"
#include "register/register.h"
#include "storage/list_load.h"

struct SESSIONE_DATABASE {
    std::string indirizzo; // the connection string
    DATABASE db;
    int64_t visto = 0; // the last operation of the log the lists hold
    // The places of the records this program added, by identifier, for
    // placing the others' new records beside them.
    std::map<uint32_t, int64_t> posti_c, posti_a;
    std::vector<uint32_t> toccate_c, toccate_a; // records the operation under way touches
    bool rifiutata = false;    // the last operation was refused: the lists are to be read again
    bool da_rileggere = false; // the lists may differ from the database: read them again
    bool da_guardare = false;  // connected again: the log is read at the next look, told or not
    bool forse_fatta = false;  // the operation refused may have been committed: its answer was lost
    // A command is never asked anything: when the server cannot be reached
    // it gives up at once, and tells the refusal itself, from `motivo`.
    bool domande = true;
    std::string motivo; // why the last operation was refused ("" when it was not)
};

// The database archive named by `indirizzo`, read whole in one snapshot
// with the last operation of the log. 0 done; 1 not (`errore` says why);
// -1 memory.
int leggi_database(const std::string& indirizzo, DATABASE& db, LISTE_LETTE& liste,
                   int64_t& visto, std::string& errore);

// The archive read becomes the one in use: its connection is kept and
// listens for the others' operations.
void usa_database(SESSIONE_DATABASE& s, DATABASE&& db, const std::string& indirizzo,
                  int64_t visto);

// The part of the listener of changes for a database archive (see above).
void annota_nel_database(SESSIONE_DATABASE& s, REGISTRO_IN_USO& registro,
                         std::span<const MODIFICA> gruppo, bool completo);
// The part of the observer: the records the operation under way touches.
void osserva_per_database(SESSIONE_DATABASE& s, const NODO_CONTRAVV* f, const NODO_ANAGRAF* a);

// Brings the lists up to date with the others' operations, when the
// server said there are some (or the lists are to be read again). False
// when it could not: the lists stay as they were.
bool aggiorna_dal_database(SESSIONE_DATABASE& s);

// Operations of the log replayed over the lists in use, in order, each
// new record after the one before it in the table, past this program's
// own records that come before it (none, for a serial replay of the log
// over the archive it started from). False when one does not fit.
bool riapplica_altrui(SESSIONE_DATABASE& s, const std::vector<OPERAZIONE_REGISTRATA>& ops);

// A number for a new record's form, held for it (fines when
// `contravvenzioni`). Nothing when the numbers are used up (`esauriti`)
// or the database cannot be reached (told to the clerk).
std::optional<uint32_t> prenota_numero(SESSIONE_DATABASE& s, bool contravvenzioni,
                                       bool& esauriti);
// A form given up: its number goes to the next new record.
void rinuncia_numero(SESSIONE_DATABASE& s, bool contravvenzioni, uint32_t numero);

// The register's lines into its table, a row each (the register's
// destination for a database archive), within the transaction open.
bool scrivi_nel_registro(SESSIONE_DATABASE& s, std::string_view righe);

// Writes an entry of the session (load, end) to the register in the database.
bool registra_evento(SESSIONE_DATABASE& s, REGISTRO_IN_USO& registro,
                     const std::function<void()>& scrivi);
