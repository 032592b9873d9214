// Opening the database archive and running statements on it.
#include "database/connection.h"

#include <cstdlib>
#include <cstring>

std::optional<std::string> indirizzo_database(const char* opzione) {
    if (opzione != nullptr) return std::string(opzione);
    if (const char* variabile = std::getenv(VARIABILE_DATABASE)) return std::string(variabile);
    return std::nullopt;
}

namespace {

// libpq's message without its trailing line end and with its lines joined.
std::string una_riga(const char* testo) {
    std::string r = testo == nullptr ? "" : testo;
    while (!r.empty() && (r.back() == '\n' || r.back() == ' ')) r.pop_back();
    for (char& c : r)
        if (c == '\n' || c == '\t') c = ' ';
    return r;
}

} // namespace

bool indirizzo_leggibile(const std::string& indirizzo) {
    char* errore = nullptr;
    PQconninfoOption* letto = PQconninfoParse(indirizzo.c_str(), &errore);
    PQfreemem(errore);
    if (letto == nullptr) return false;
    PQconninfoFree(letto);
    return true;
}

ESITO_COLLEGAMENTO collega(const std::string& indirizzo, DATABASE& db) {
    db.pg.reset();
    db.errore.clear();
    if (!indirizzo_leggibile(indirizzo)) {
        db.errore = INDIRIZZO_ILLEGGIBILE;
        return ESITO_COLLEGAMENTO::INDIRIZZO_ERRATO;
    }
    // The string's own values first; the program's name when it gives
    // none; the text always in UTF-8.
    const char* chiavi[] = {"dbname", "fallback_application_name", "client_encoding", nullptr};
    const char* valori[] = {indirizzo.c_str(), "sanzionario", "UTF8", nullptr};
    db.pg.reset(PQconnectdbParams(chiavi, valori, 1));
    if (db.pg == nullptr || PQstatus(db.pg.get()) != CONNECTION_OK) {
        db.errore =
            db.pg == nullptr ? "memoria insufficiente" : una_riga(PQerrorMessage(db.pg.get()));
        db.pg.reset();
        return ESITO_COLLEGAMENTO::IRRAGGIUNGIBILE;
    }
    // The server's notices ("schema already exists, skipping") are not
    // for the user: what matters is told by the program.
    PQsetNoticeProcessor(
        db.pg.get(), [](void*, const char*) {}, nullptr);
    const char* codifica = PQparameterStatus(db.pg.get(), "server_encoding");
    if (codifica == nullptr || std::strcmp(codifica, "UTF8") != 0) {
        db.errore = std::string("il database usa la codifica ") +
                    (codifica == nullptr ? "sconosciuta" : codifica) +
                    ", non UTF8: i testi dell'archivio non vi entrerebbero tutti";
        db.pg.reset();
        return ESITO_COLLEGAMENTO::CODIFICA_ERRATA;
    }
    return ESITO_COLLEGAMENTO::COLLEGATO;
}

std::string errore_di(const DATABASE& db, const PGresult* r) {
    if (r != nullptr) {
        if (const char* primo = PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY)) {
            std::string t = una_riga(primo);
            if (const char* dettaglio = PQresultErrorField(r, PG_DIAG_MESSAGE_DETAIL))
                t += " (" + una_riga(dettaglio) + ")";
            return t;
        }
    }
    if (db.pg == nullptr) return "nessun collegamento al database";
    return una_riga(PQerrorMessage(db.pg.get()));
}

bool esegui(DATABASE& db, const std::string& sql, const std::vector<const char*>& parametri,
            RISPOSTA* risposta) {
    if (db.pg == nullptr) {
        db.errore = "nessun collegamento al database";
        return false;
    }
    // Without parameters, several statements may go at once.
    RISPOSTA r(parametri.empty()
                   ? PQexec(db.pg.get(), sql.c_str())
                   : PQexecParams(db.pg.get(), sql.c_str(), static_cast<int>(parametri.size()),
                                  nullptr, parametri.data(), nullptr, nullptr, 0));
    const ExecStatusType stato = r == nullptr ? PGRES_FATAL_ERROR : PQresultStatus(r.get());
    if (stato != PGRES_COMMAND_OK && stato != PGRES_TUPLES_OK) {
        db.errore = errore_di(db, r.get());
        return false;
    }
    if (risposta != nullptr) *risposta = std::move(r);
    return true;
}

std::optional<std::string> valore(DATABASE& db, const std::string& sql,
                                  const std::vector<const char*>& parametri) {
    RISPOSTA r;
    if (!esegui(db, sql, parametri, &r) || PQntuples(r.get()) == 0 || PQnfields(r.get()) == 0)
        return std::nullopt;
    if (PQgetisnull(r.get(), 0, 0)) return std::nullopt;
    return std::string(PQgetvalue(r.get(), 0, 0));
}

std::string nome_database(const DATABASE& db) {
    if (db.pg == nullptr) return "database";
    const char* host = PQhost(db.pg.get());
    return std::string("database ") + PQdb(db.pg.get()) + " (server " +
           (host != nullptr ? host : "locale") + ", utente " + PQuser(db.pg.get()) + ")";
}
