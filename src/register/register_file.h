// The register file: beside the fines file, named after it with
// ".registro" added (dati/contravvenzioni.txt.registro). It is created
// owner-only (0600), only ever appended to, each write flushed to the disk
// (fdatasync), never truncated, rewritten or removed by the program.
// While a session writes it, zeros are kept ahead of its lines, each
// entry written over them in place (space_ahead.h); its readers take the
// zeros at its end for no content, and the session gives them back when
// it closes the register.
#pragma once

#include <string>
#include <string_view>

#include "register/register_entry.h"
#include "storage/space_ahead.h"

// The register of the fines file at `file_c` (a path with its links followed).
std::string percorso_registro(const std::string& file_c);

// How a register file ends: its last line that reads as an entry (null
// when none does), and whether its content ends with a line end (or is
// empty): a write cut short leaves a torn line, after which the next
// entry starts a line of its own. A line holding a zero byte is what a
// power cut left of a write in place whose first part never reached the
// disk: the last entry is looked for before it.
struct CODA_REGISTRO {
    json ultima;
    bool a_capo = true;
};

// Opens the register at `percorso` for writing at the end of its content
// (`f.fine`, before any zeros at its end), created 0600 when there is
// none, and reads how it ends. Only a regular file of this user, with
// one name, that nobody else may write is used: a link, a FIFO, a folder,
// another user's file are never opened for writing (no link is followed,
// no open waits). False, `f.fd` -1, when it cannot be used.
bool apri_file_registro(const std::string& percorso, FILE_ACCODATO& f, CODA_REGISTRO& coda);

// Reads how the register at `percorso` ends, without creating or changing
// it, with the same checks. False when there is none, or it cannot be used.
bool leggi_coda_registro(const std::string& percorso, CODA_REGISTRO& coda);

// Appends the lines and flushes them to the disk. False when they could
// not be written whole.
bool appendi_al_registro(FILE_ACCODATO& f, std::string_view righe);

// Stops writing the register: the zeros ahead are given back (not after
// a write that failed, whose torn tail stays as it is) and it is closed.
void chiudi_file_registro(FILE_ACCODATO& f, bool restituisci);
