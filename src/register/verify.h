// `sanzionario registro --verifica`: the register's chain walked from its
// first line, and the data files compared with its last save; for a
// database archive, its register's table.
#pragma once

#include <string>
#include <vector>

#include "database/connection.h"
#include "storage/file_hash.h"

struct ESITO_VERIFICA {
    bool integro = false; // the chain holds and the files are those last saved
    std::string rapporto; // in Italian, one line a finding
};

// `registro` is the register of the fines file `file_c`, whose last save
// entry names the data files to compare (`file_c` with its folder resolved).
// `salvataggio_interrotto`: the new files' fingerprints in the note of a
// save that a stop cut short before its entry (see the journal), so that
// its files are recognised as that save's.
ESITO_VERIFICA verifica_registro(const std::string& registro, const std::string& file_c,
                                 const std::vector<IMPRONTA>& salvataggio_interrotto = {});

// The register of the database archive `db` is connected to: its table's
// rows walked as a file's lines, and whether the table still takes only
// new entries. There are no data files to compare with a save: each
// operation is written to the tables with its entry in one transaction.
ESITO_VERIFICA verifica_registro_database(DATABASE& db);
