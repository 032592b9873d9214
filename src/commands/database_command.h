// The database archive for a command of the command line: the option
// --database (or the environment variable SANZIONARIO_DATABASE), which
// archive it makes a command work on, the connection, and the failures
// told on standard error.
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

// Which archive a command works on (see FILE_ARCHIVIO in
// command_support.h): the database `opzione` names (the value of
// --database; nullptr when not given), or, when the command line names no
// data file (`file_indicati` false), the one the environment names; none
// (the data files) otherwise. The command line wins over the environment.
// Nothing when settled (`database` then set or not); otherwise USCITA_USO,
// after telling why: --database with a data file, or a connection string
// that cannot be read.
std::optional<int> database_del_comando(const char* comando, const char* opzione,
                                        bool file_indicati, std::optional<std::string>& database);

// Tells that the database archive could not be read (`errore`, what the
// server or the program said). USCITA_FALLITO.
int database_illeggibile(const char* comando, const std::string& errore);

// Whether the database `comando` is connected to holds an archive of this
// program, in a schema it knows: nothing when it does; otherwise
// USCITA_FALLITO, after telling why.
std::optional<int> archivio_nel_database(const char* comando, DATABASE& db);

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
