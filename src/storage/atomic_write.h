// Replacing data files all or nothing, so that neither a failure nor a
// crash leaves a data file half written.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>

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
// write, flushes it to disk, and only when all were written renames them
// over the data files, in the given order. A new data file is readable and
// writable by its owner only; a replaced one keeps its permission bits.
// Temporary files of these data files left behind by a crash are removed.
// When a file cannot be written (a missing folder, no permission, a full
// disk, a path that is a folder or not a plain file, memory running out)
// no data file has changed, no temporary file is left, and the result is
// false. Only a rename refused by the system within the data file's own
// folder, after all were written, could leave the earlier ones replaced.
bool sostituisci_file(std::span<const FILE_DA_SCRIVERE> files);

// Whether a name in a folder is a temporary file of the data file `nome`.
bool nome_temporaneo_di(std::string_view voce, std::string_view nome);
