// Small file-system steps shared by saving, the journal and the archive
// session: splitting paths, following links, whole writes, flushing a folder.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The folder of a path ("." when it has none) and its last component.
std::string cartella_di(const std::string& percorso);
std::string nome_di(const std::string& percorso);
// A name inside a folder.
std::string unisci(const std::string& cartella, std::string_view nome);

// The file a path finally names once symbolic links are followed (a link
// whose target does not exist yet names that target). A chain of more
// than 40 links is left as it is. In a folder that others may write to, a
// link is followed only when it belongs to this user or to root (the rule
// of the system's protected links): `fidato`, when given, is set false and
// the untrusted link itself is given back.
std::string segui_collegamenti(std::string percorso, bool* fidato = nullptr);

// Whether this user may replace the file at `percorso`: always, except in
// a folder that others may write to, where a file that belongs to another
// user stays theirs (true when there is no such file).
bool sostituibile(const std::string& percorso);

// Whether an open file may be trusted as one of the program's own (its
// journal, its lock file, a backup): a regular file of this user or of
// root that others may not write.
bool file_proprio(int fd);

// The path of the file a path names, links followed and its folder made
// absolute and resolved: the same from any working folder. The path as
// given when its folder does not exist.
std::string percorso_assoluto(const std::string& percorso);

// Whether two paths name one file: the same file once links are followed
// and folders resolved, or, both existing, the same device and inode.
bool stesso_file(const std::string& a, const std::string& b);

// Writes all the bytes, retrying short writes and interruptions. False on
// any error (errno tells which).
bool scrivi_intero(int fd, std::string_view dati);

// Reads up to `n` bytes into `dati`, retrying short reads and
// interruptions; stops early at the end of the file or at an error. The
// number of bytes read (less than `n`: errno is 0 at the end of the file).
std::size_t leggi_intero(int fd, char* dati, std::size_t n);

// The regular files of the folder whose names `scelto` picks, by path.
std::vector<std::string> file_scelti(const std::string& cartella,
                                     const std::function<bool(std::string_view nome)>& scelto);
// Removes the regular files of the folder whose names `scelto` picks (the
// leftovers of a step a stop cut short); links and other kinds of file stay.
void togli_file_se(const std::string& cartella,
                   const std::function<bool(std::string_view nome)>& scelto);

// Flushes a folder's entries to the disk. False when the folder cannot be
// opened or flushed.
bool sincronizza_cartella(const std::string& cartella);
// The same for the folders of these files, each folder once.
bool sincronizza_cartelle_di(const std::vector<std::string>& file);

// Renames a file only when nothing is at the new name (errno EEXIST
// otherwise). False on failure.
bool rinomina_senza_sostituire(const std::string& da, const std::string& a);
