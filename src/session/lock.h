// One program per archive: an advisory lock (flock) on a file beside the
// fines file, named after it with ".blocco" added. The lock file holds the
// process number of the session that holds it. The system releases the
// lock when the process ends, however it ends, so no stale lock is ever
// left; the file itself stays, empty of meaning once nobody holds it.
#pragma once

#include <cstdint>
#include <string>

struct BLOCCO_ARCHIVIO {
    int fd = -1; // open lock file, -1 when no lock is held
    uint64_t dispositivo = 0;
    uint64_t inode = 0;
    bool creato = false; // the lock file was made when the lock was taken
};

enum class ESITO_BLOCCO {
    PRESO,        // taken now: `nuovo` holds it
    OCCUPATO,     // another process holds it: `pid` tells which (0 when unknown)
    NON_POSSIBILE // no lock file can be had (a read-only folder): nothing held
};

// The lock file of the fines file at `file_c` (a path with its links followed).
std::string percorso_blocco(const std::string& file_c);

// Whether `b` is the lock held on the lock file at `percorso`.
bool stesso_blocco(const std::string& percorso, const BLOCCO_ARCHIVIO& b);

// Tries to take the lock at `percorso`, without waiting. A lock this
// process already holds counts as another's: ask stesso_blocco first. The
// lock is held on the file that `percorso` names once it is taken: a lock
// file removed or replaced meanwhile is let go and the new one tried.
ESITO_BLOCCO prendi_blocco(const std::string& percorso, BLOCCO_ARCHIVIO& nuovo, long& pid);

// Releases a lock (nothing when none is held).
void rilascia_blocco(BLOCCO_ARCHIVIO& b);

// Releases a lock taken for a load that did not happen: a lock file that
// taking it made is removed first, so that nothing is left on disk.
void rinuncia_blocco(const std::string& percorso, BLOCCO_ARCHIVIO& b);
