// The recovery journal file of the archive in use.
//
// It lives beside the fines file, named after it with ".giornale" added
// (dati/contravvenzioni.txt.giornale), readable and writable by its owner
// only. From a successful load on, every operation that changes the lists
// is appended to it and flushed to the disk (fdatasync) before the program
// tells the clerk that the operation is done: written in place over zeros
// kept ahead of its entries (space_ahead.h), which its reader takes for
// the end. A journal set aside keeps its name with the date and time
// added (".giornale.AAAAMMGG-HHMMSS"). The bytes are described in
// journal_format.h.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "model/changes.h"
#include "storage/journal_format.h"
#include "storage/space_ahead.h"

// The journal an archive in use writes to: part of the session's value
// (archive.h), changed only through the functions below.
struct GIORNALE_IN_USO {
    FILE_ACCODATO file;    // its descriptor -1 when no journal is written
    std::string percorso;  // its path ("" when none)
    bool avvisato = false; // the clerk knows the work is not protected
    bool lasciato = false; // the file at `percorso` is not to be touched
    bool in_sospeso = false; // an entry's flush is under way (giornale_attendi)
};

// The journal of the fines file at `file_c` (a path with its links followed).
std::string percorso_giornale(const std::string& file_c);

enum class GIORNALE_SU_DISCO {
    NESSUNO,    // no file at the journal's name
    LETTO,      // read: `g` tells whether it is a journal, and what it holds
    NON_FIDATO, // something there that is not this program's: never read
};

// Reads the journal at `percorso`, opened without following a link and
// without waiting (a FIFO never hangs the load): only a regular file of
// this user or root that others may not write is read (file_proprio). A
// journal too long to be one, or unreadable, is LETTO but not recognised.
GIORNALE_SU_DISCO leggi_file_giornale(const std::string& percorso, GIORNALE_LETTO& g);

// Writes a complete journal holding `voci` (an INIZIO entry first) at
// `percorso`, beside it first, flushed, renamed over whatever was there and
// the folder flushed; the journal written to stays as it was. False when
// it cannot be written.
bool scrivi_giornale(const std::string& percorso, std::span<const VOCE_GIORNALE> voci);

// Starts a fresh journal at `percorso` holding only `voci`, an INIZIO entry
// first, and zeros ahead of them: written beside it, flushed and renamed
// over whatever journal was there. From then on `g` writes to it. False
// when it cannot be written.
bool giornale_avvia(GIORNALE_IN_USO& g, const std::string& percorso,
                    std::span<const VOCE_GIORNALE> voci);
inline bool giornale_avvia(GIORNALE_IN_USO& g, const std::string& percorso,
                           const VOCE_GIORNALE& inizio) {
    return giornale_avvia(g, percorso, std::span<const VOCE_GIORNALE>(&inizio, 1));
}

// Goes on writing the journal at `percorso` after its first `lunghezza`
// bytes (the whole entries read back), dropping any torn tail and the
// zeros that were ahead. False when
// it cannot be opened for writing, or is no longer a file the program
// trusts.
bool giornale_riprendi(GIORNALE_IN_USO& g, const std::string& percorso, std::size_t lunghezza);

// An empty entry of that kind, made now.
VOCE_GIORNALE voce_di_adesso(TIPO_VOCE tipo);

// Appends an entry and flushes it to the disk. False when no journal is
// being written, when the entry is one its reader would not take back
// whole (a field beyond its limits, a value no record may hold), or when
// it could not be written whole; the journal is then no longer written to.
bool giornale_aggiungi(GIORNALE_IN_USO& g, const VOCE_GIORNALE& voce);

// Whether a journal is being written to.
bool giornale_attivo(const GIORNALE_IN_USO& g);

// Stops writing and removes the file, unless it is one left alone.
void giornale_rimuovi(GIORNALE_IN_USO& g);

// No journal is written: the file at `percorso` (one that could not be set
// aside, or something that is not this program's) is left alone, never
// appended to or removed, and the clerk is warned that the work is not
// protected.
void giornale_lascia(GIORNALE_IN_USO& g, const std::string& percorso);

// Renames the journal at `percorso` to its dated name, never over another
// file (`g` stops writing when it is its journal). The new path, or ""
// when it could not be renamed.
std::string metti_da_parte(GIORNALE_IN_USO& g, const std::string& percorso);

// The journal's part of the listener of the model's changes: each
// operation becomes a MODIFICHE entry, with the words that describe it
// when it was given some (the register's descrizione_prossima), written
// and its flush started beside the caller, who must await it
// (giornale_attendi) before the operation counts as done. False when it
// could not be written now: the journal is then no longer written to, and
// the clerk must be told (giornale_da_avvisare).
bool annota_nel_giornale(GIORNALE_IN_USO& g, std::span<const MODIFICA> gruppo, bool completo,
                         const std::string& descrizione = "");

// Waits for the flush of the entry annota_nel_giornale wrote. False when
// it failed: the journal is no longer written to. True when there was
// none to wait for.
bool giornale_attendi(GIORNALE_IN_USO& g);

// Whether the clerk is still to be told that the work is not protected
// against a crash: true once, until a journal is written again.
bool giornale_da_avvisare(GIORNALE_IN_USO& g);
