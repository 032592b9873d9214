// One program per archive. A session holds an advisory lock (flock) on
// each of the two data files itself, so that the same file under another
// name (a hard link, a symbolic link, another working folder) or shared by
// two archives cannot be opened twice, and on a lock file beside the fines
// file, named after it with ".blocco" added, which holds the process
// number of the session for whoever is refused. The system releases every
// lock when the process ends, however it ends, so no stale lock is ever
// left; the lock file itself stays, empty of meaning once nobody holds it.
//
// A lock is taken the classic way: open, lock, then check that the path
// still names the file locked (else let it go and try again), so that a
// file removed or replaced meanwhile never holds a lock for nothing. The
// lock file is opened without following links and without waiting (a FIFO
// there never hangs the program), and trusted only when it is a regular
// file of this user or root that others may not write. Another user's
// such file (a colleague sharing the archive) is left alone, the data
// files' locks holding; anything else at its name refuses the load.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

struct BLOCCO_ARCHIVIO {
    int fd_c = -1;        // the fines file, locked; -1 when no lock is held
    int fd_a = -1;        // the owners file, locked; -1 when it does not exist yet
    int fd = -1;          // the lock file, locked; -1 when none can be had (a read-only folder)
    std::string percorso; // of the lock file
    bool creato = false;  // the lock file was made when the lock was taken
};

enum class ESITO_BLOCCO {
    PRESO,      // taken now: `nuovo` holds it
    OCCUPATO,   // another process holds it: `pid` tells which (0 when unknown)
    NON_FIDATO, // something that is not this program's lock file stands at its name
};

// The lock file of the fines file at `file_c` (a path with its links followed).
std::string percorso_blocco(const std::string& file_c);

// Takes, without waiting, the locks of the archive whose files are
// `file_c` and `file_a` (paths with their links followed): the lock file
// and each data file that exists. A data file that does not exist is not
// locked (the save that makes it locks it, see sposta_blocco). A data file
// that `tenuti` (the locks this session already holds, up to two) hold
// shares their lock; any other lock this process holds counts as
// another's: ask stesso_blocco first.
ESITO_BLOCCO prendi_blocco(const std::string& file_c, const std::string& file_a,
                           BLOCCO_ARCHIVIO& nuovo, long& pid,
                           std::initializer_list<const BLOCCO_ARCHIVIO*> tenuti = {});

// Whether `b` holds the archive whose fines file is at `file_c` (links
// followed): the very file it locked, or, where it locked none, its lock file.
bool stesso_blocco(const std::string& file_c, const BLOCCO_ARCHIVIO& b);

// After the load finished a save that a stop cut short: the locks of the
// data files, taken on the files replaced, are taken again on the files
// now in place. False, with the holder's process, when another program
// holds one of them.
bool riblocca_dati(BLOCCO_ARCHIVIO& b, const std::string& file_c, const std::string& file_a,
                   long& pid);

// After a save put new data files in place: the locks move to them. `fd_c`
// and `fd_a` are open on the new files and already locked (the save locks
// its temporary files before renaming them), and are taken over.
void sposta_blocco(BLOCCO_ARCHIVIO& b, int fd_c, int fd_a);

// Releases the locks (nothing when none is held).
void rilascia_blocco(BLOCCO_ARCHIVIO& b);

// Releases the locks taken for a load that did not happen: a lock file
// that taking them made is removed first, so that nothing is left on disk.
void rinuncia_blocco(BLOCCO_ARCHIVIO& b);

// Who holds an archive's locks, found in the system's list of locks
// without taking any: a reader so never blocks or delays the holder.
struct TITOLARE_ARCHIVIO {
    long pid = 0;       // 0: nobody holds the archive
    std::string utente; // the user the holding process runs as
};
TITOLARE_ARCHIVIO titolare_archivio(const std::string& blocco, const std::string& file_c,
                                    const std::string& file_a);
