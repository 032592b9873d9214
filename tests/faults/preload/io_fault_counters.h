// What the I/O fault library (io_fault_preload.cpp) and the test that loads
// it into the program share: the kinds of calls it counts, the environment
// variables that drive it, and the layout of the counters file it maps.
#pragma once

#include <cstdint>

namespace guasto_io {

// The kinds of calls counted; "any" counts them all together.
enum FAMIGLIA : int {
    APERTURA,         // open, openat, creat, mkstemp and the like
    SCRITTURA,        // write, pwrite, writev, pwritev on a file
    SINCRONIZZAZIONE, // fsync, fdatasync, sync_file_range on a file or folder
    RINOMINA,         // rename, renameat, renameat2
    COLLEGAMENTO,     // link, linkat
    CHIUSURA,         // close of a file or folder
    SPAZIO,           // ftruncate, fallocate, posix_fallocate
    FAMIGLIE,
    TUTTE = FAMIGLIE, // "any"
};
inline constexpr const char* NOMI[FAMIGLIE + 1] = {"open", "write", "fsync",    "rename",
                                                   "link", "close", "allocate", "any"};

// The environment of the program.
inline constexpr const char* VAR_CONTATORI = "SANZ_GUASTO_CONTATORI"; // counters file: needed
inline constexpr const char* VAR_CHIAMATA = "SANZ_GUASTO_CHIAMATA";   // a name of NOMI
inline constexpr const char* VAR_VOLTA =
    "SANZ_GUASTO_VOLTA";                                    // which call fails, from 1 ("N,M": two)
inline constexpr const char* VAR_MODO =
    "SANZ_GUASTO_MODO"; // EIO, ENOSPC, corta, or uccidi (a write: SIGKILL instead)

// The counters file, mapped shared: the test reads it while the program
// waits for input, and once it has ended.
struct CONTATORI {
    uint64_t chiamate[FAMIGLIE + 1]; // calls so far of each kind, and of all
    uint64_t iniettati;              // 1 once the chosen call has been made to fail
    char chiamata_guasta[256];       // "fsync dati/.anagrafica.txt.tmp-Ab12Cd" and the like
};

} // namespace guasto_io
