// The files an archive owns, which no command ever writes its output onto:
// its two data files and their backups ("<name>.bak"), the journal
// ("<fines file>.giornale"), the lock file (".blocco"), the register
// (".registro"), and the temporary files and second names a save or the
// journal leave beside them for a moment (".<name>.tmp-XXXXXX",
// "<name>.bak-XXXXXX", "<journal>.tmp-XXXXXX", a journal set aside
// "<journal>.AAAAMMGG-HHMMSS"). Today the names are worked out here from
// the data files' paths; one value of the archive's names will replace it.
#pragma once

#include <string>
#include <sys/stat.h>

struct FILE_ARCHIVIO;

// What the file at `percorso` is to the archive ("il giornale di recupero
// dati/contravvenzioni.txt.giornale"...), or "" when it is none of its
// files. Compared by path, once links and folders are resolved, and by
// identity (device and inode) where both exist, so that another name of
// the same file (a hard link, a link, another folder) is caught too.
std::string file_dell_archivio(const FILE_ARCHIVIO& f, const std::string& percorso);

// The same for a file already open (standard output): by identity only.
std::string file_dell_archivio(const FILE_ARCHIVIO& f, const struct stat& aperto);
