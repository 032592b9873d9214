// What every command of the command line shares: its usage errors, the
// archive read for it with the refusals told on standard error, and
// writing its output to a file or to standard output.
#pragma once

#include <functional>
#include <getopt.h>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "console/encoding.h" // in_utf8, for the commands' texts
#include "session/archive.h"

// Exit statuses of every command.
constexpr int USCITA_FATTO = 0;
constexpr int USCITA_FALLITO = 1;
constexpr int USCITA_USO = 2;

// Tells on standard error what was wrong with the command line of
// `comando`, and where its help is. USCITA_USO.
int errore_uso(const char* comando, const std::string& messaggio);
// The same for the option getopt_long just refused, given what it
// returned (':' for a value missing; the options' text starts with ':').
int opzione_sbagliata(const char* comando, int risultato, char** argv);

// The archive a command works on: its two data files, the default ones
// unless --contravvenzioni and --anagrafica say otherwise, or a database
// archive: the one --database names or, when the command line names no
// data file, the one the variable SANZIONARIO_DATABASE names
// (database_command.h).
struct FILE_ARCHIVIO {
    std::string contravvenzioni = "dati/contravvenzioni.txt";
    std::string anagrafica = "dati/anagrafica.txt";
    std::optional<std::string> database; // its connection string; none: the files
};

// The lines of the help of every command that works on an archive (but
// registro) on how it is chosen.
constexpr const char* AIUTO_ARCHIVIO =
    "  -c, --contravvenzioni FILE  il file delle contravvenzioni\n"
    "                              (predefinito: dati/contravvenzioni.txt)\n"
    "  -a, --anagrafica FILE       il file dei dati anagrafici\n"
    "                              (predefinito: dati/anagrafica.txt)\n"
    "      --database CONNESSIONE  l'archivio in un database PostgreSQL invece che\n"
    "                              nei file: stringa di collegamento di libpq\n"
    "                              (\"dbname=ufficio host=server\") o URI\n"
    "                              (\"postgresql://server/ufficio\"); senza\n"
    "                              --database, -c e -a, la variabile\n"
    "                              SANZIONARIO_DATABASE, se c'e'\n";

// The options of a command, read with getopt_long: those every command
// takes (-c/--contravvenzioni, -a/--anagrafica and --database into `file`,
// -h/--help printing `aiuto`) and its own (`proprie`, their short letters
// in `brevi`), each given to `propria` with its value. A command that
// copies an archive between its files and a database lists
// OPZIONE_DATABASE among its own, and reads it itself. Nothing when all
// were read (argv[optind] is then the first argument after them);
// otherwise the status to end with: USCITA_FATTO after the help,
// USCITA_USO after a usage error, told on standard error.
std::optional<int> leggi_opzioni_comando(const char* comando, const char* aiuto, int argc,
                                         char** argv, FILE_ARCHIVIO& file,
                                         std::initializer_list<option> proprie, const char* brevi,
                                         const std::function<void(int, const char*)>& propria);

// The archive's names (session/names.h): of the database archive, or of the two files.
NOMI_ARCHIVIO nomi_del_comando(const FILE_ARCHIVIO& f);

// Opens the archive for `comando` in `modo` (see apri_archivio): false,
// after telling why on standard error, when it could not be opened.
bool apri_archivio_comando(const char* comando, const FILE_ARCHIVIO& f, MODO_APERTURA modo,
                           CONFERMA_FORMA conferma, APERTURA& a);

// For a command that writes: whether the journal an opening found beside
// the archive stops it (one that is not the program's, one that cannot
// be read, the changes of a session that did not end, to be recovered in
// the program first), after telling why on standard error.
bool giornale_da_sistemare(const char* comando, const APERTURA& a);

// The archive read for a command that only reads: opened as a reader, the
// records as the reader takes them, and put in the current lists. When
// another session holds it, standard error says so in one line: whose
// session, and that the data include its confirmed changes not yet saved.
bool leggi_archivio_comando(const char* comando, const FILE_ARCHIVIO& f, APERTURA& a);
// The same for a command that gives out what the archive holds (esporta,
// avvisi, rapporto): the unsaved changes of a session that ended without
// saving, which its output lacks, are told as a warning.
bool leggi_archivio_da_riportare(const char* comando, const FILE_ARCHIVIO& f, APERTURA& a);

// Where a command's output goes: standard output when `percorso` is empty
// or "-", else the file `percorso`, written as a save writes: to a
// temporary file beside it (".<name>.tmp-XXXXXX", mode 0600: the output
// holds personal data), flushed to the disk, then renamed into place and
// the folder flushed, so that the file is whole or as it was. Never onto a
// file the archive owns (owned_files.h), never through a symbolic link (at
// the last component, nor one along the path that another user owns in a
// folder others may write to), only onto a regular file: a FIFO, a device
// or a folder at that name is refused at once. Written a block at a time,
// so that a large output is never held whole. A signal that ends the
// command removes the temporary file.
struct USCITA {
    const char* comando = "";
    std::string percorso;
    int fd = -1;
    std::string temporaneo; // the file being written, for a path
    std::string blocco;
    bool errore = false;
};
// False, after telling why on standard error, when the output is refused
// or the file cannot be made.
bool apri_uscita(USCITA& u, const FILE_ARCHIVIO& f);
// Writes the block when it has grown large.
void forse_scrivi(USCITA& u);
// Writes what is left, flushes and closes the file and puts it in place;
// false, after telling why on standard error (the temporary file removed),
// when anything could not be written.
bool chiudi_uscita(USCITA& u);
// Gives up the output: the temporary file is removed, nothing is in place.
void abbandona_uscita(USCITA& u);
