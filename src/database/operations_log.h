// The log of the operations on a database archive, kept by the programs
// that share it: each operation of a clerk as the others replay it (its
// changes, as a journal entry), the records it touched, and, for each
// record it added, the record before it; the numbers held by forms being
// filled. Every change of the archive is made holding the archive's lock
// (blocca_archivio), within one transaction, so that the operations have
// one order, the log's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "database/connection.h"

// The records an operation wrote or removed, the owners its fines were
// linked to and the owners it removed: two operations conflict when one
// wrote a record the other wrote, or removed an owner the other linked to.
struct CHIAVI_OPERAZIONE {
    std::vector<int64_t> contravvenzioni, anagrafica, usate, rimosse;
};

// An operation of the log, as another program replays it.
struct OPERAZIONE_REGISTRATA {
    int64_t id = 0;
    std::string voce;                 // its changes, as one framed journal entry
    std::vector<int64_t> dopo_c, dopo_a; // per record added, the one before it (-1: the head)
};

// Who made an operation, for the clerk whose change it stopped.
struct AUTORE_OPERAZIONE {
    std::string utente; // the database role
    std::string chi;    // the program: its user, host and process
    std::string quando; // gg/mm/aaaa hh:mm
};

// Takes the archive's lock until the transaction ends.
bool blocca_archivio(DATABASE& db);

// The last operation of the log (0 when none); nothing on failure.
std::optional<int64_t> ultima_operazione(DATABASE& db);

// The first operation after `visto` that conflicts with one touching
// `chiavi`: found (true, `autore` set) or not; nothing on failure.
std::optional<bool> conflitto(DATABASE& db, int64_t visto, const CHIAVI_OPERAZIONE& chiavi,
                              AUTORE_OPERAZIONE& autore);

// The operations after `visto`, in order. False on failure.
bool operazioni_dopo(DATABASE& db, int64_t visto, std::vector<OPERAZIONE_REGISTRATA>& ops);

// The fine number or owner code of the record before position `posizione`
// of its table (-1 when none is); nothing on failure.
std::optional<int64_t> precedente_in_tabella(DATABASE& db, bool contravvenzioni,
                                             int64_t posizione);

// Adds an operation to the log and tells the programs listening; its id.
std::optional<int64_t> registra_operazione(DATABASE& db, const std::string& chi,
                                           const std::string& segno, const std::string& voce,
                                           const CHIAVI_OPERAZIONE& chiavi,
                                           const std::vector<int64_t>& dopo_c,
                                           const std::vector<int64_t>& dopo_a);

// The id of the operation written with `segno` (0 when none was): after a
// connection lost on a commit, whether it was done.
std::optional<int64_t> operazione_con_segno(DATABASE& db, const std::string& segno);

// The channel on which the programs are told of each new operation.
constexpr const char* CANALE_OPERAZIONI = "sanzionario_operazioni";

// A number held for a form being filled: the record's identifier and its
// place in the table's order. The last record's identifier plus one,
// counting the numbers held by other forms still open; held as long as
// this connection lives (a lock of its own says so to every role), or
// until it is given back.
struct PRENOTAZIONE {
    uint32_t numero = 0;
    int64_t posizione = 0;
};
enum class ESITO_PRENOTAZIONE { FATTA, ESAURITI, ERRORE };
ESITO_PRENOTAZIONE prenota(DATABASE& db, bool contravvenzioni, PRENOTAZIONE& p);
// Within a transaction: the number is no longer held (its record was written, or its form given up).
bool rilascia(DATABASE& db, bool contravvenzioni, uint32_t numero);
