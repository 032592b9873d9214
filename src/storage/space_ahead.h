// Appending in place: the journal and the register grow only at the end of
// their content, and keep zeros written ahead of it, so that an entry
// overwrites bytes the file already has. Its flush (fdatasync) then
// writes the entry alone, not also the file's new size, which a file
// system writes apart from the data and waits for. Readers stop where the
// content ends: the journal at its first frame that does not hold (a
// frame of zeros never does), the register where the zeros at its end
// begin (fine_del_testo).
#pragma once

#include <string_view>
#include <sys/types.h>

// How far the zeros reach past an entry that found too few of them ahead.
inline constexpr off_t SPAZIO_AVANTI = off_t{64} << 10;

// A file appended to in place: open for writing (without O_APPEND, which
// would put every write at the file's end).
struct FILE_ACCODATO {
    int fd = -1;
    off_t fine = 0;      // where the content ends: the next entry goes there
    off_t riservato = 0; // the file's size: from `fine` on, zeros
    off_t scritto = 0;   // where the bytes written so far end, flushed or not
};

// Writes `dati` where the content ends and flushes the file (fdatasync).
// When the zeros ahead do not hold them, fresh zeros go out after them
// in the same step, up to SPAZIO_AVANTI past their end (a full disk
// leaves the entry without them). False when the bytes could not be
// written whole and flushed: `fine` stays where it was, and whatever part
// of them reached the file is a torn tail, which readers drop.
bool accoda_in_posto(FILE_ACCODATO& f, std::string_view dati);

// The same in two steps, for a flush made elsewhere (at once with
// another file's): the bytes written, not flushed (false when they could
// not be written whole); then, once the file's flush has succeeded, taken
// as content.
bool scrivi_in_posto(FILE_ACCODATO& f, std::string_view dati);
void scritto_su_disco(FILE_ACCODATO& f);

// Gives the zeros ahead back, cutting the file where its content ends
// (at the end of a session, so that the file at rest holds its content
// alone). False when the file could not be cut.
bool restituisci_spazio(FILE_ACCODATO& f);

// For a text file, whose content never holds a zero byte: where its
// content ends among its first `dimensione` bytes, before the zeros at
// its end. -1 when it cannot be read.
off_t fine_del_testo(int fd, off_t dimensione);
