// The last step of a save: complete temporary files put in place of their
// data files, all or none, each replaced data file kept as "<name>.bak".
#pragma once

#include <string>
#include <utility>
#include <vector>

// One temporary file and the data file it replaces (links followed).
using RINOMINE = std::vector<std::pair<std::string, std::string>>;

// The backup of a data file: the same folder, ".bak" added to its name.
std::string percorso_copia(const std::string& file);

// The second name a stopped save gave the old data file `file` becomes
// its backup, as a save that ended would have made it. False when it
// could not (the second name is then removed).
bool diventa_copia(const std::string& file, const std::string& secondo_nome);

// What became of the renames, beyond all or none.
struct ESITO_POSTO {
    // Renames that failed and could not all be undone: the data files that
    // hold their new content (the others hold the old one). Empty when
    // every data file is as it was, or when the renames succeeded.
    std::vector<std::string> rimasti_nuovi;
    // After a success: the data files whose backup could not be kept (a
    // file another user left at the backup's name, a file system without
    // second names); the previous backup, if any, is there as it was.
    std::vector<std::string> senza_copia;
};

// Gives each existing data file a second name beside it (so that it can
// be put back), renames each temporary file over its data file, in order,
// flushing its folder after each rename. Only when all of that succeeded does each
// second name become the data file's backup "<name>.bak", replacing the
// previous save's, with the data file's own permissions less any for
// others. When a rename or a flush fails, the data files already replaced
// are put back (a new one is removed) and the backups stay exactly as they
// were; the result is then false, and `esito.rimasti_nuovi` names any data
// file that could not be put back. The temporary files are left for the
// caller in every case but success.
bool metti_al_posto(const RINOMINE& rinomine, ESITO_POSTO& esito);
