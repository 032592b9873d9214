// What identifies one version of a file on disk: the file itself (device
// and inode), its size, and when its content last changed. A save replaces
// a data file by a new inode; an editor or a copy gives a new inode or a
// new modification time. Two equal identities are the same version of the
// same file. The time of the inode's last change is left out on purpose: a
// rename changes it, and putting a file back from its backup must give the
// file that was there.
#pragma once

#include <cstdint>

struct IDENTITA_FILE {
    bool esiste = false;
    uint64_t dispositivo = 0;
    uint64_t inode = 0;
    uint64_t dimensione = 0;
    int64_t modifica_s = 0; // last change of the content
    int64_t modifica_ns = 0;
};

// The identity of the file a path names, links followed; `esiste` false
// when there is none.
IDENTITA_FILE identita_file(const char* percorso);

bool stessa_identita(const IDENTITA_FILE& a, const IDENTITA_FILE& b);
// The same file, whatever its version: both exist, same device and inode.
bool stesso_inode(const IDENTITA_FILE& a, const IDENTITA_FILE& b);
