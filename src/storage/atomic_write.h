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

// Writes each file to a temporary file ".<name>.tmp-XXXXXX" in the data
// file's own folder, all files at the same time, each on its own thread
// (which is where its content function is called), the content passing
// through a buffer of about one block and never held whole; checks every
// write, flushes it to disk, and
// only when all were written puts them in place of the data files, in the
// given order, each old data file kept as "<name>.bak" (metti_al_posto). A
// new data file is readable and writable by its owner only; a replaced one
// keeps its owner and group bits and gets none for others. When a file cannot be written (a missing
// folder, no permission, a full disk, a path that is a folder or not a
// plain file, memory running out) or put in place (a rename or a flush of
// its folder refused) no data file has changed, no temporary file is left,
// and the result is false.
//
// `passi`, when given, is told of the two moments a journal must note:
// once every temporary file is written and flushed, with their folders,
// just before the first rename, with each (temporary file, data file) pair
// in rename order (when it answers false nothing is renamed and the save
// fails); and when the files could not all be put in place (see
// metti_al_posto), once the old ones are back. With `sotto_blocco` (the
// caller holds the archive's lock) the leftovers of a stopped save of
// these data files (temporary files, second names) are removed after a
// successful save. With `blocca_nuovi`, each temporary file is locked
// (flock) before it is renamed and stays open: after a success
// `descrittori` holds them, in order, for the caller to keep or close.
// `esito` tells what became of the renames and the backups. With
// `impronte`, each file's fingerprint is computed by its writer thread as
// its blocks go out, and `impronte_scritte` holds them after a success,
// in the order of the files.
struct PASSI_SOSTITUZIONE {
    std::function<bool(const RINOMINE& rinomine)> prima_di_rinominare;
    std::function<void()> rinomina_fallita;
    bool sotto_blocco = false;
    bool blocca_nuovi = false;
    ESITO_POSTO esito;
    std::vector<int> descrittori;
    bool impronte = false;
    std::vector<IMPRONTA> impronte_scritte;
};
bool sostituisci_file(std::span<const FILE_DA_SCRIVERE> files, PASSI_SOSTITUZIONE* passi = nullptr);

// Whether a name in a folder is a temporary file of the data file `nome`,
// or a second name of it that a stopped save left ("<nome>.bak-XXXXXX").
bool nome_temporaneo_di(std::string_view voce, std::string_view nome);
