// Replacing data files all or nothing, so that neither a failure nor a
// crash leaves a data file half written.
#pragma once

#include <span>
#include <string_view>

struct FILE_DA_SCRIVERE {
    const char* percorso;       // the data file; a symbolic link is followed
    std::string_view contenuto; // its whole new content
};

// Writes each file to a temporary file ".<name>.tmp-XXXXXX" in the data
// file's own folder, checks every write, flushes it to disk, and only when
// all were written renames them over the data files, in the given order.
// A new data file is readable and writable by its owner only; a replaced
// one keeps its permission bits. Temporary files of these data files left
// behind by a crash are removed. When a file cannot be written (a missing
// folder, no permission, a full disk, a path that is a folder or not a
// plain file) no data file has changed, no temporary file is left, and the
// result is false. Only a rename refused by the system within the data
// file's own folder, after all were written, could leave the earlier ones
// replaced.
bool sostituisci_file(std::span<const FILE_DA_SCRIVERE> files);

// Whether a name in a folder is a temporary file of the data file `nome`.
bool nome_temporaneo_di(std::string_view voce, std::string_view nome);
