// The files an archive owns, named for a refusal: no command ever writes
// its output onto them. Which they are is the archive's names' to say
// (session/names.h: the data files and their backups, the journal, also
// one set aside, the lock file, the register, a save's temporary files
// and second names); this names the one a path stands for.
#pragma once

#include <string>
#include <sys/stat.h>

struct FILE_ARCHIVIO;

// What the file at `percorso` is to the archive ("il giornale di recupero
// dell'archivio (dati/contravvenzioni.txt.giornale)"...), or "" when it is
// none of its files. By path, once links and folders are resolved, and by
// identity (device and inode), so that another name of the same file (a
// hard link, a link, another folder) is caught too.
std::string file_dell_archivio(const FILE_ARCHIVIO& f, const std::string& percorso);

// The same for a file already open (standard output): by identity only.
std::string file_dell_archivio(const FILE_ARCHIVIO& f, const struct stat& aperto);
