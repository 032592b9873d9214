// The last step of a save: complete temporary files put in place of their
// data files, all or none, each replaced data file kept as "<name>.bak".
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

// One temporary file and the data file it replaces (links followed).
using RINOMINE = std::vector<std::pair<std::string, std::string>>;

// The backup of a data file: the same folder, ".bak" added to its name.
std::string percorso_copia(const std::string& file);

// Keeps each existing data file as its backup (a second name for the same
// file, so with the same permissions; a file system without such names
// keeps none), then renames each temporary file over its data file, in
// order, and flushes their folders. When a rename or a flush fails, the
// data files already replaced are put back from their backups (a new one
// is removed), so that the files on disk are all the old ones (on a file
// system without second names the replaced ones cannot go back), and
// `annota_fallimento` (when given) is called; the result is then false.
// The temporary files are left for the caller in every case but success.
bool metti_al_posto(const RINOMINE& rinomine, const std::function<void()>& annota_fallimento);
