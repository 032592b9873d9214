// Ground shared by the fault tests: a clock, the way to the save menu,
// generated archives, what a save left of each data file, counting a text in
// an output, and snapshots of a working folder.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <sys/types.h>
#include <utility>

#include "support/driver.h"
#include "support/texts.h"

namespace guasti {

// True in a build with AddressSanitizer or ThreadSanitizer: the slowest
// tests then do less.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool SANITIZZATO = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool SANITIZZATO = true;
#else
constexpr bool SANITIZZATO = false;
#endif
#else
constexpr bool SANITIZZATO = false;
#endif

// The clock of the timed tests, and the seconds gone on it since `inizio`.
using Orologio = std::chrono::steady_clock;
inline double secondi_da(Orologio::time_point inizio) {
    return std::chrono::duration<double>(Orologio::now() - inizio).count();
}

// Up to the save menu: load the default files, then "[6] Salva"; what shows then.
inline const std::string FINO_AL_SALVA = "5\n\n\n\n6\n";
inline const std::string MENU_SALVA = testi::CARICATO + "\f" + testi::MENU + "\f" + testi::SALVA;

// An archive of `quanti` owners and as many fines, each fine linked to its
// owner and every third one paid, written exactly as the program writes it;
// with "\r\n" line ends it loads the same and saves differently.
ARCHIVIO archivio_generato(int quanti, const std::string& fine_riga = "\n");

// Each data file in `c` after a save was tried, fines first: "old" (as in
// `vecchio`), "new" (as in `nuovo`) or "neither" and its size.
std::pair<std::string, std::string> stato_file(const Cartella& c, const ARCHIVIO& vecchio,
                                               const ARCHIVIO& nuovo);

// How many times `cosa` occurs in `testo`.
inline std::size_t volte(const std::string& testo, const std::string& cosa) {
    std::size_t n = 0;
    for (std::size_t p = testo.find(cosa); p != std::string::npos; p = testo.find(cosa, p + 1)) ++n;
    return n;
}

// Every file and folder under `cartella`, by relative path, with its
// permission bits, owner and content ("/" for folders): equal snapshots mean
// nothing was written, created or left behind. The lock file and the
// recovery journals and the register are left out.
using ISTANTANEA = std::map<std::string, std::string>;
ISTANTANEA istantanea(const std::string& cartella);
// The differences between two snapshots, one per line ("" when equal).
std::string differenze(const ISTANTANEA& prima, const ISTANTANEA& dopo);

} // namespace guasti
