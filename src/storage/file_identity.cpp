// Identities of data files, from stat.
#include "storage/file_identity.h"

#include <sys/stat.h>

IDENTITA_FILE identita_file(const char* percorso) {
    IDENTITA_FILE id;
    struct stat st;
    if (stat(percorso, &st) != 0) return id;
    id.esiste = true;
    id.dispositivo = static_cast<uint64_t>(st.st_dev);
    id.inode = static_cast<uint64_t>(st.st_ino);
    id.dimensione = static_cast<uint64_t>(st.st_size);
    id.modifica_s = st.st_mtim.tv_sec;
    id.modifica_ns = st.st_mtim.tv_nsec;
    return id;
}

bool stessa_identita(const IDENTITA_FILE& a, const IDENTITA_FILE& b) {
    return a.esiste == b.esiste && a.dispositivo == b.dispositivo && a.inode == b.inode &&
           a.dimensione == b.dimensione && a.modifica_s == b.modifica_s &&
           a.modifica_ns == b.modifica_ns;
}

bool stesso_inode(const IDENTITA_FILE& a, const IDENTITA_FILE& b) {
    return a.esiste && b.esiste && a.dispositivo == b.dispositivo && a.inode == b.inode;
}
