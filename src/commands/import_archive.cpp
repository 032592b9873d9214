// sanzionario importa-archivio: the archive's two files copied into a
// database archive, read as the load reads them, in one transaction: the
// database holds the whole archive afterwards, or is as it was.
#include <iostream>
#include <string>

#include "commands/command_support.h"
#include "commands/commands.h"
#include "commands/database_command.h"
#include "database/archive_tables.h"
#include "database/schema.h"
#include "model/records.h"

namespace {

constexpr const char* COMANDO = "importa-archivio";

const std::string AIUTO =
    std::string("Uso: sanzionario importa-archivio [OPZIONI] --database CONNESSIONE\n"
                "Copia l'archivio dai suoi due file in un database PostgreSQL, letto come lo\n"
                "legge il programma, tutto o niente. Crea lo schema sanzionario quando manca\n"
                "e lo aggiorna quando e' di una versione precedente.\n\n"
                "  -c, --contravvenzioni FILE  il file delle contravvenzioni\n"
                "                              (predefinito: dati/contravvenzioni.txt)\n"
                "  -a, --anagrafica FILE       il file dei dati anagrafici\n"
                "                              (predefinito: dati/anagrafica.txt)\n") +
    AIUTO_DATABASE +
    std::string(
        "      --sostituisci           sostituisce l'archivio che il database contiene gia'\n"
        "      --accetta-letture-dubbie\n"
        "                              importa anche i record che il programma non legge\n"
        "                              come scritti, come li legge\n"
        "  -h, --help                  mostra questo aiuto ed esce\n\n"
        "Stato di uscita: 0 importato, 1 non importato, 2 uso errato.\n");

// A file whose records do not all have the shape of their kind: the
// dialogue's words, then what can be done.
void forma_rifiutata(const std::string& percorso, bool contravvenzioni, const FORMA_FILE& f) {
    std::cerr << "sanzionario " << COMANDO << ": il file " << percorso << " non sembra un file "
              << (contravvenzioni ? "delle contravvenzioni" : "dei dati anagrafici") << ": "
              << f.malformati << " record su " << f.record
              << (f.malformati == 1 ? " non ha" : " non hanno") << " la forma attesa (il primo "
              << "alla riga " << f.riga << ").\n";
}

// Whether the archive opened can go into a database as it is, after
// telling why not.
bool importabile(const FILE_ARCHIVIO& file, const APERTURA& a, bool accetta_dubbie) {
    if (giornale_da_sistemare(COMANDO, a)) return false;
    if (!accetta_dubbie && (a.forma_c.malformati > 0 || a.forma_a.malformati > 0)) {
        if (a.forma_c.malformati > 0) forma_rifiutata(file.contravvenzioni, true, a.forma_c);
        if (a.forma_a.malformati > 0) forma_rifiutata(file.anagrafica, false, a.forma_a);
        std::cerr << "Nulla e' stato importato. Aprire l'archivio nel programma per controllarlo, "
                     "o importarlo come il programma lo legge con --accetta-letture-dubbie.\n";
        return false;
    }
    const std::string ostacolo = ostacolo_alle_tabelle(a.liste.contravv, a.liste.anagraf);
    if (ostacolo.empty()) return true;
    std::cerr << "sanzionario " << COMANDO
              << ": l'archivio non puo' andare nel database: " << ostacolo
              << ".\nNulla e' stato importato; 'sanzionario controlla' riferisce sull'archivio.\n";
    return false;
}

// Copies the lists opened into the database, in one transaction: the
// status to end with, after telling what was done or why not.
int copia_nel_database(DATABASE& db, const LISTE_LETTE& liste, bool sostituisci) {
    int trovata = 0;
    if (!esegui(db, "BEGIN")) return database_rifiuta(COMANDO, "l'importazione", db, true);
    const ESITO_SCHEMA schema = prepara_schema(db, trovata);
    if (schema == ESITO_SCHEMA::PIU_NUOVO) return schema_piu_nuovo(COMANDO, trovata);
    if (schema == ESITO_SCHEMA::ERRORE)
        return database_rifiuta(COMANDO, "l'importazione", db, true);
    const std::optional<CONTEGGIO_TABELLE> gia = conta_tabelle(db);
    if (!gia) return database_rifiuta(COMANDO, "l'importazione", db, true);
    if ((gia->contravvenzioni > 0 || gia->anagrafica > 0) && !sostituisci) {
        std::cerr << "sanzionario " << COMANDO << ": il database contiene gia' un archivio ("
                  << descrivi(*gia) << "): non e' stato cambiato.\nPer sostituirlo con quello "
                  << "dei file usare --sostituisci.\n";
        return USCITA_FALLITO;
    }
    if (!svuota_tabelle(db) || !scrivi_tabelle(db, liste.contravv, liste.anagraf))
        return database_rifiuta(COMANDO, "l'importazione", db, true);
    if (!esegui(db, "COMMIT")) {
        // The answer to a commit may be lost with the connection: then
        // whether it was done is known only to the server.
        if (PQstatus(db.pg.get()) != CONNECTION_OK) {
            std::cerr << "sanzionario " << COMANDO << ": il collegamento al database si e' "
                      << "interrotto durante la conferma dell'importazione (" << db.errore
                      << "): non si sa se l'archivio sia stato importato.\nControllarlo, ad "
                         "esempio con esporta-archivio, o ripetere l'importazione con "
                         "--sostituisci.\n";
            return USCITA_FALLITO;
        }
        return database_rifiuta(COMANDO, "l'importazione", db, true);
    }
    if (trovata == 0)
        std::cout << "Creato lo schema sanzionario (versione " << VERSIONE_SCHEMA << ").\n";
    if (trovata > 0 && trovata < VERSIONE_SCHEMA)
        std::cout << "Schema sanzionario aggiornato dalla versione " << trovata << " alla "
                  << VERSIONE_SCHEMA << ".\n";
    std::cout << "Archivio importato nel database: "
              << descrivi(conta_liste(liste.contravv, liste.anagraf)) << ".\n";
    if (sostituisci && (gia->contravvenzioni > 0 || gia->anagrafica > 0))
        std::cout << "Ha sostituito l'archivio di prima (" << descrivi(*gia) << ").\n";
    return USCITA_FATTO;
}

} // namespace

int comando_importa_archivio(int argc, char** argv) {
    FILE_ARCHIVIO file;
    const char* database = nullptr;
    bool sostituisci = false, accetta_dubbie = false;
    const auto opzione = [&](int o, const char* valore) {
        if (o == 'D') database = valore;
        if (o == 'S') sostituisci = true;
        if (o == 'L') accetta_dubbie = true;
    };
    if (const auto fine =
            leggi_opzioni_comando(COMANDO, AIUTO.c_str(), argc, argv, file,
                                  {OPZIONE_DATABASE,
                                   {"sostituisci", no_argument, nullptr, 'S'},
                                   {"accetta-letture-dubbie", no_argument, nullptr, 'L'}},
                                  "", opzione))
        return *fine;
    if (optind < argc)
        return errore_uso(COMANDO, std::string("argomento in piu': ") + argv[optind]);
    DATABASE db;
    if (const auto fine = collega_per_comando(COMANDO, database, db)) return *fine;

    APERTURA a;
    if (!apri_archivio_comando(COMANDO, file, MODO_APERTURA::COMANDO, nullptr, a))
        return USCITA_FALLITO;
    const int esito = importabile(file, a, accetta_dubbie)
                          ? copia_nel_database(db, a.liste, sostituisci)
                          : USCITA_FALLITO;
    abbandona_apertura(a);
    return esito;
}
