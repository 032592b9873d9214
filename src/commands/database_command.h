// The database archive for a command of the command line: the option
// --database (or the environment variable SANZIONARIO_DATABASE), the
// connection, and the failures told on standard error.
#pragma once

#include <getopt.h>
#include <optional>
#include <string>

#include "database/archive_tables.h"
#include "database/connection.h"

// The option every command that reaches a database takes; its value comes
// to the command's own options as 'D'.
constexpr option OPZIONE_DATABASE = {"database", required_argument, nullptr, 'D'};
// Its lines in the help of each such command.
constexpr const char* AIUTO_DATABASE =
    "      --database CONNESSIONE  il database, come stringa di collegamento di libpq\n"
    "                              (\"dbname=ufficio host=server\") o URI\n"
    "                              (\"postgresql://server/ufficio\"); senza, la\n"
    "                              variabile SANZIONARIO_DATABASE\n";

// Connects `comando` to the database that `opzione` (the value of
// --database; nullptr when not given) or the environment names. Nothing
// when connected; otherwise the status to end with, after telling why:
// USCITA_USO when none is named or the string cannot be read,
// USCITA_FALLITO when the server cannot be reached or the database
// cannot hold an archive.
std::optional<int> collega_per_comando(const char* comando, const char* opzione, DATABASE& db);

// Tells that the database refused `cosa` ("l'importazione"), with what
// the server said, and, after a change refused, that nothing changed
// there (its transaction is undone whole). USCITA_FALLITO.
int database_rifiuta(const char* comando, const std::string& cosa, const DATABASE& db,
                     bool modifica);

// Tells that the schema in the database (version `trovata`) is newer than
// this program knows. USCITA_FALLITO.
int schema_piu_nuovo(const char* comando, int trovata);

// Two lists counted as the tables are.
CONTEGGIO_TABELLE conta_liste(const NODO_CONTRAVV* contravv, const NODO_ANAGRAF* anagraf);
// "20 contravvenzioni, 10 dati anagrafici".
std::string descrivi(const CONTEGGIO_TABELLE& c);
