// Replacing data files all or nothing, so that neither a failure nor a
// crash leaves a data file half written.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "storage/file_hash.h"
#include "storage/put_in_place.h"

// Bytes gathered before they are handed to the system in one write.
constexpr std::size_t BLOCCO_SCRITTURA = std::size_t{1} << 20;

// Appends the next part of a file's new content (a record, say) to
// `blocco` and returns true; returns false, appending nothing, once the
// content is over. May throw std::bad_alloc.
using PROSSIMA_PARTE = std::function<bool(std::string& blocco)>;

struct FILE_DA_SCRIVERE {
    const char* percorso;     // the data file; a symbolic link is followed
    PROSSIMA_PARTE contenuto; // gives its whole new content, part by part
};

// A save in two steps, as a lock file is held, then committed or rolled
// back. prepara_file writes each file to a temporary file
// ".<name>.tmp-XXXXXX" in the data file's own folder, all files at the
// same time, each on its own thread (which is where its content function
// is called), the content passing through a buffer of about one block and
// never held whole; checks every write, flushes each file and then their
// folders, and locks each temporary file (flock), keeping it open. Nothing
// is in place yet: the caller notes what it is about to rename, then puts
// them in place (metti_preparati) or gives them up (rinuncia_preparati).
// A new data file is readable and writable by its owner only; a replaced
// one keeps its owner and group bits and gets none for others. When a file
// cannot be written (a missing folder, no permission, a full disk, a path
// that is a folder or not a plain file, memory running out) no temporary
// file is left, and the result is false.
struct FILE_PREPARATI {
    RINOMINE rinomine;              // (temporary file, data file), in the order given
    std::vector<int> descrittori;   // each temporary file, open and locked
    std::vector<IMPRONTA> impronte; // with `impronte`: each file's fingerprint, computed
                                    // by its writer as its blocks went out
};
bool prepara_file(std::span<const FILE_DA_SCRIVERE> files, bool impronte, FILE_PREPARATI& p);

// Puts prepared files in place of their data files, in order, each old data
// file kept as "<name>.bak" (metti_al_posto). On success the descriptors
// stay open and locked, now on the data files, for the caller to keep or
// close (chiudi_preparati); on failure the temporary files are still there
// for rinuncia_preparati, and `esito` tells what became of the renames.
bool metti_preparati(FILE_PREPARATI& p, ESITO_POSTO& esito);

// Gives up prepared files: their temporary files are removed, descriptors closed.
void rinuncia_preparati(FILE_PREPARATI& p);
// Closes the descriptors of files put in place.
void chiudi_preparati(FILE_PREPARATI& p);

// The whole of it, for a caller that notes nothing and keeps no lock:
// prepared, put in place, closed. False when anything failed: no data
// file has changed (see metti_al_posto for a way back that fails) and no
// temporary file is left.
bool sostituisci_file(std::span<const FILE_DA_SCRIVERE> files);

// Removes the temporary files and second names that a stopped save left
// beside the data file at `file` (links followed). Only under the
// archive's lock: without it they may be another program's save under way.
void togli_avanzi(const std::string& file);

// Whether a name in a folder is a temporary file of the data file `nome`,
// or a second name of it that a stopped save left ("<nome>.bak-XXXXXX").
bool nome_temporaneo_di(std::string_view voce, std::string_view nome);
