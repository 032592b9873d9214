// The register file: beside the fines file, named after it with
// ".registro" added (dati/contravvenzioni.txt.registro). It is created
// owner-only (0600), only ever appended to, each write flushed to the disk
// (fdatasync), never truncated, rewritten or removed by the program.
#pragma once

#include <string>
#include <string_view>

#include "register/register_entry.h"

// The register of the fines file at `file_c` (a path with its links followed).
std::string percorso_registro(const std::string& file_c);

// How a register file ends: its last line that reads as an entry (null
// when none does), and whether the file ends with a line end (or is
// empty): a write cut short leaves a torn line, after which the next
// entry starts a line of its own.
struct CODA_REGISTRO {
    json ultima;
    bool a_capo = true;
};

// Opens the register at `percorso` for appending, created 0600 when there
// is none, and reads how it ends. Only a regular file of this user, with
// one name, that nobody else may write is used: a link, a FIFO, a folder,
// another user's file are never opened for writing (no link is followed,
// no open waits). -1 when it cannot be used.
int apri_file_registro(const std::string& percorso, CODA_REGISTRO& coda);

// Reads how the register at `percorso` ends, without creating or changing
// it, with the same checks. False when there is none, or it cannot be used.
bool leggi_coda_registro(const std::string& percorso, CODA_REGISTRO& coda);

// Appends the lines and flushes them to the disk. False when they could
// not be written whole.
bool appendi_al_registro(int fd, std::string_view righe);
