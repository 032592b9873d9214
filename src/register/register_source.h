// Where the `registro` command reads a register's lines from: its file
// (reading.h), or, for a database archive, the rows of its table, one
// entry a row in the order they were added. The history and the
// verification walk the lines of either the same way.
#pragma once

#include <functional>
#include <string>

#include "database/connection.h"
#include "register/reading.h"

struct SORGENTE_REGISTRO {
    std::string nome;       // as the reports name it: the file's path, or "nel database ..."
    DATABASE* db = nullptr; // the database archive whose table it is; nullptr: the file `nome`
};

SORGENTE_REGISTRO registro_nel_file(const std::string& percorso);
// `db` connected, and kept while the source is read.
SORGENTE_REGISTRO registro_della_tabella(DATABASE& db);

// Calls `riga` for each line of the register: of the file as
// leggi_registro reads it; of the table, each row's entry as one complete
// line, numbered from 1 in the table's order, read in one snapshot a batch
// at a time. A table is never ASSENTE; ILLEGGIBILE with `db->errore`
// saying why.
LETTURA_REGISTRO leggi_righe(const SORGENTE_REGISTRO& s,
                             const std::function<void(const RIGA_LETTA&)>& riga);

// What the reports say when the register could not be read (`letto` not
// LETTO): a line, with its line end.
std::string lettura_fallita(const SORGENTE_REGISTRO& s, LETTURA_REGISTRO letto);
