// The names of an archive, computed once from the two paths the clerk or
// the command line gave: as typed, resolved, and every file the archive
// owns beside its data files. Every way into an archive starts from this
// value, so that the journal, the lock and the register are always looked
// for in the same place, whatever path or link led to the data files.
#pragma once

#include <string>

struct NOMI_ARCHIVIO {
    std::string file_c, file_a; // as typed
    std::string collegato_c;    // the fines file with its links followed (the folder
                                // as typed): the names below are beside it
    std::string collegato_a;
    std::string reale_c, reale_a; // resolved: the same from any working folder
    std::string giornale;         // the recovery journal
    std::string blocco;           // the lock file
    std::string registro;         // the register of who did what
    std::string copia_c, copia_a; // the previous save's backups
    bool stesso_file = false;     // both paths name one file
    std::string database;         // a database archive: its connection string ("" for files)
};

NOMI_ARCHIVIO nomi_archivio(const std::string& file_c, const std::string& file_a);
// The names of the database archive at `indirizzo` (a libpq connection
// string or URI): it has no file of its own.
NOMI_ARCHIVIO nomi_database(const std::string& indirizzo);

// Whether `percorso` names a file the archive owns or may come to own: a
// data file, its backup, a second name or temporary file a save makes, the
// journal (also one set aside), the lock file or the register; by name
// once links are followed, and by identity, so that no other path to the
// same file slips through.
bool file_dell_archivio(const NOMI_ARCHIVIO& n, const std::string& percorso);
