// Opening a data file for reading and taking its whole content.
#pragma once

#include <string>

// A descriptor of the regular file at `percorso`, open for reading, or -1
// when it cannot be opened: it is missing, may not be read, or is a folder
// or anything else that is not a plain file.
int apri_file_dati(const char* percorso);

// The whole content of an open data file; false on a read error.
// Throws std::bad_alloc when the content does not fit in memory.
bool leggi_file_dati(int fd, std::string& testo);

// Closes a descriptor from apri_file_dati; -1 is ignored.
void chiudi_file_dati(int fd);
