// Opening a data file for reading and taking its records one at a time
// through a block buffer, so that a file of any size is never held whole.
#pragma once

#include <cstddef>
#include <vector>

#include "storage/record_lines.h"

// Bytes asked of the system at each read: small enough for the text just
// read to be still in the processor's cache when its records are taken.
constexpr std::size_t BLOCCO_LETTURA = std::size_t{1} << 18;

// Of a line longer than this, only the first bytes are kept: no field of
// either file is a tenth as long, so what is dropped is never data.
constexpr std::size_t LINEA_TENUTA = 4096;

// A data file being read: the bytes read and not yet taken stay in the
// buffer, which holds one block and a small margin past it. A record that
// does not fit in it has over-long lines, which are cut to LINEA_TENUTA
// as they are read: reading any file needs this buffer and no more.
struct LETTURA_DATI {
    int fd = -1;
    std::vector<char> memoria;
    std::size_t inizio = 0; // first byte not yet taken
    std::size_t fine = 0;   // end of the bytes read
    bool finito = false;    // the end of the file has been read
    bool in_salto = false;  // the rest of a cut line is being dropped as it comes
};

// A descriptor of the regular file at `percorso`, open for reading, or -1
// when it cannot be opened: it is missing, may not be read, or is a folder
// or anything else that is not a plain file.
int apri_file_dati(const char* percorso);

enum class LETTO { RECORD, FINE, ERRORE };

// The readers of a whole file (contravvenzioni_da_file, anagrafica_da_file)
// answer as the load does (0 read whole, 1 read error, -1 memory ran out),
// or with this when they gave up because the other file had failed.
constexpr int LETTURA_INTERROTTA = 2;

// The next record of the file, by the rules of taglia_record: RECORD, with
// `righe` pointing into the buffer until the next call and `con_nul` false
// when the record holds no NUL byte; FINE when the data are over (also when
// the file shrank while it was read); ERRORE when the system failed a read.
// Throws std::bad_alloc when a record does not fit in memory.
LETTO leggi_record(LETTURA_DATI& lettura, RIGHE_RECORD& righe, bool& con_nul);

// Closes a descriptor from apri_file_dati; -1 is ignored.
void chiudi_file_dati(int fd);
