// The connection to a database archive on a PostgreSQL server (libpq):
// where it is, opening it, running statements, and what the server said
// when something failed, in words that never repeat the connection string
// (it may hold a password).
#pragma once

#include <libpq-fe.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The environment variable that names the database archive when the
// option --database does not.
constexpr const char* VARIABILE_DATABASE = "SANZIONARIO_DATABASE";

// Where the database archive is, as a libpq connection string or URI: the
// option's value when given, else the environment variable's; nothing when
// neither names one. libpq's own PG* variables and ~/.pgpass fill in what
// the string leaves out, as usual.
std::optional<std::string> indirizzo_database(const char* opzione);

struct CHIUDI_PG {
    void operator()(PGconn* c) const { PQfinish(c); }
    void operator()(PGresult* r) const { PQclear(r); }
};
using RISPOSTA = std::unique_ptr<PGresult, CHIUDI_PG>;

struct DATABASE {
    std::unique_ptr<PGconn, CHIUDI_PG> pg;
    std::string errore; // what went wrong last, for the user: "" when nothing did
};

// Whether libpq can read `indirizzo` as a connection string or URI; when
// not, this is what the user is told (never libpq's message, which quotes
// the string).
bool indirizzo_leggibile(const std::string& indirizzo);
constexpr const char* INDIRIZZO_ILLEGGIBILE =
    "la stringa di collegamento al database non e' scritta correttamente";

enum class ESITO_COLLEGAMENTO {
    COLLEGATO,
    INDIRIZZO_ERRATO, // the connection string cannot be read
    IRRAGGIUNGIBILE,  // the server cannot be reached, or refused the connection
    CODIFICA_ERRATA,  // the database's encoding is not UTF8: its text could not hold the archive's
};

// Connects to the database at `indirizzo`, the session's text in UTF-8
// whatever the string says. On failure `db.errore` says why.
ESITO_COLLEGAMENTO collega(const std::string& indirizzo, DATABASE& db);

// Runs `sql` with its parameters (text, nullptr for NULL; without any,
// `sql` may be several statements). True when the server did it; false, with `db.errore` set, when
// not.
bool esegui(DATABASE& db, const std::string& sql, const std::vector<const char*>& parametri = {},
            RISPOSTA* risposta = nullptr);

// The first column of the first row of a query's answer, or nothing (a
// failure, told in `db.errore`, or no row).
std::optional<std::string> valore(DATABASE& db, const std::string& sql,
                                  const std::vector<const char*>& parametri = {});

// The database connected to, for the register and the messages: its
// name, server and user, never the password the string may carry.
std::string nome_database(const DATABASE& db);

// What the server said of a failed statement or of a connection lost.
std::string errore_di(const DATABASE& db, const PGresult* r);
