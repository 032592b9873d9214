// Connecting a command to the database archive, and its failures in words.
#include "commands/database_command.h"

#include <iostream>

#include "commands/command_support.h"
#include "database/schema.h"
#include "model/records.h"

namespace {

// The server's words closing a sentence of the program's.
std::string fine_frase(const std::string& testo) {
    if (!testo.empty() && (testo.back() == '.' || testo.back() == '?' || testo.back() == '!'))
        return testo + "\n";
    return testo + ".\n";
}

} // namespace

std::optional<int> database_del_comando(const char* comando, const char* opzione,
                                        bool file_indicati, std::optional<std::string>& database) {
    database.reset();
    if (opzione != nullptr && file_indicati)
        return errore_uso(comando, "--database indica l'archivio nel database: non vale insieme "
                                   "ai file dell'archivio");
    if (opzione == nullptr && file_indicati) return std::nullopt;
    database = indirizzo_database(opzione);
    if (database && !indirizzo_leggibile(*database)) {
        database.reset();
        return errore_uso(comando, INDIRIZZO_ILLEGGIBILE);
    }
    return std::nullopt;
}

int database_illeggibile(const char* comando, const std::string& errore) {
    std::cerr << "sanzionario " << comando
              << ": impossibile leggere l'archivio nel database: " << fine_frase(errore);
    return USCITA_FALLITO;
}

std::optional<int> archivio_nel_database(const char* comando, DATABASE& db) {
    const std::optional<int> versione = versione_schema(db);
    if (!versione) return database_rifiuta(comando, "la lettura", db, false);
    if (*versione == 0) {
        std::cerr << "sanzionario " << comando << ": "
                  << "il database non contiene un archivio del programma (lo schema "
                     "sanzionario manca o non e' del programma).\nCrearlo con 'sanzionario "
                     "importa-archivio'.\n";
        return USCITA_FALLITO;
    }
    if (*versione > VERSIONE_SCHEMA) return schema_piu_nuovo(comando, *versione);
    return std::nullopt;
}

std::optional<int> collega_per_comando(const char* comando, const char* opzione, DATABASE& db) {
    const std::optional<std::string> indirizzo = indirizzo_database(opzione);
    if (!indirizzo)
        return errore_uso(comando, "manca il database: indicarlo con --database o con la "
                                   "variabile SANZIONARIO_DATABASE");
    const ESITO_COLLEGAMENTO esito = collega(*indirizzo, db);
    if (esito == ESITO_COLLEGAMENTO::COLLEGATO) return std::nullopt;
    if (esito == ESITO_COLLEGAMENTO::INDIRIZZO_ERRATO) return errore_uso(comando, db.errore);
    std::cerr << "sanzionario " << comando << ": "
              << (esito == ESITO_COLLEGAMENTO::IRRAGGIUNGIBILE
                      ? "impossibile collegarsi al database: "
                      : "")
              << fine_frase(db.errore);
    return USCITA_FALLITO;
}

int database_rifiuta(const char* comando, const std::string& cosa, const DATABASE& db,
                     bool modifica) {
    const bool perso = db.pg != nullptr && PQstatus(db.pg.get()) != CONNECTION_OK;
    std::cerr << "sanzionario " << comando << ": "
              << (perso ? "il collegamento al database si e' interrotto durante "
                        : "il database ha rifiutato ")
              << cosa << ": " << fine_frase(db.errore);
    if (modifica) std::cerr << "Nel database non e' cambiato nulla.\n";
    return USCITA_FALLITO;
}

int schema_piu_nuovo(const char* comando, int trovata) {
    std::cerr << "sanzionario " << comando << ": l'archivio nel database ha lo schema "
              << "alla versione " << trovata << ", piu' recente di quella che questo programma "
              << "conosce (" << VERSIONE_SCHEMA << "): il database non e' stato toccato.\n"
              << "Usare una versione piu' recente del programma.\n";
    return USCITA_FALLITO;
}

CONTEGGIO_TABELLE conta_liste(const NODO_CONTRAVV* contravv, const NODO_ANAGRAF* anagraf) {
    CONTEGGIO_TABELLE c;
    for (const NODO_CONTRAVV* f = contravv; f != nullptr; f = f->next) ++c.contravvenzioni;
    for (const NODO_ANAGRAF* a = anagraf; a != nullptr; a = a->next) ++c.anagrafica;
    return c;
}

std::string descrivi(const CONTEGGIO_TABELLE& c) {
    return std::to_string(c.contravvenzioni) + " contravvenzioni, " + std::to_string(c.anagrafica) +
           " dati anagrafici";
}
