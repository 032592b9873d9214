// sanzionario esporta-archivio: a database archive written into the two
// data files, exactly as a save of the same archive writes them, and with
// the save's care: both files first to temporary files, renamed into place
// together, the old ones kept as backups, and never over an archive that
// a session holds.
#include <iostream>
#include <string>

#include "commands/command_support.h"
#include "commands/commands.h"
#include "commands/database_command.h"
#include "database/archive_tables.h"
#include "session/archive.h"
#include "session/names.h"
#include "storage/archive_files.h"

namespace {

constexpr const char* COMANDO = "esporta-archivio";

const std::string AIUTO =
    std::string("Uso: sanzionario esporta-archivio [OPZIONI] --database CONNESSIONE\n"
                "Scrive l'archivio di un database PostgreSQL nei suoi due file, come li\n"
                "scriverebbe un salvataggio: i file di prima restano come copie .bak.\n\n"
                "  -c, --contravvenzioni FILE  il file delle contravvenzioni\n"
                "                              (predefinito: dati/contravvenzioni.txt)\n"
                "  -a, --anagrafica FILE       il file dei dati anagrafici\n"
                "                              (predefinito: dati/anagrafica.txt)\n") +
    AIUTO_DATABASE +
    std::string("  -h, --help                  mostra questo aiuto ed esce\n\n"
                "Stato di uscita: 0 esportato, 1 non esportato, 2 uso errato.\n");

// Both tables read into the lists in use, from one snapshot of the
// database; false after telling why not.
bool leggi_database(DATABASE& db) {
    if (!esegui(db, "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"))
        return database_rifiuta(COMANDO, "la lettura", db, false), false;
    if (archivio_nel_database(COMANDO, db)) return false;
    LISTE_LETTE liste;
    if (!leggi_tabelle(db, liste)) {
        std::cerr << "sanzionario " << COMANDO << ": "
                  << "impossibile leggere l'archivio dal database: " << db.errore
                  << ".\nNessun file e' stato scritto.\n";
        return false;
    }
    esegui(db, "COMMIT");
    installa_lette(liste);
    return true;
}

// The save's outcome told, when it failed.
void salvataggio_fallito(const FILE_ARCHIVIO& file, const ESITO_SALVATAGGIO& esito) {
    if (esito.fuori.motivo != nullptr) {
        std::cerr << "sanzionario " << COMANDO << ": "
                  << "il database contiene "
                  << (esito.fuori.contravv != nullptr
                          ? "la contravvenzione n." + std::to_string(esito.fuori.contravv->numero)
                          : "i dati anagrafici con codice " +
                                std::to_string(esito.fuori.anagraf->codice))
                  << ", che i file non possono contenere: " << esito.fuori.motivo
                  << ".\nNessun file e' stato scritto.\n";
        return;
    }
    std::cerr << "sanzionario " << COMANDO << ": "
              << "impossibile scrivere i file " << file.contravvenzioni << " e " << file.anagrafica
              << ".\n";
    if (esito.rimasti_nuovi.empty()) {
        std::cerr << "I file sono quelli di prima.\n";
        return;
    }
    for (const std::string& nuovo : esito.rimasti_nuovi)
        std::cerr << "Il file " << nuovo << " e' gia' quello nuovo e non si e' potuto "
                  << "rimettere com'era: la sua copia di prima e' " << nuovo << ".bak.\n";
}

} // namespace

int comando_esporta_archivio(int argc, char** argv) {
    FILE_ARCHIVIO file;
    const char* database = nullptr;
    if (const auto fine = leggi_opzioni_comando(COMANDO, AIUTO.c_str(), argc, argv, file,
                                                {OPZIONE_DATABASE}, "", [&](int o, const char* v) {
                                                    if (o == 'D') database = v;
                                                }))
        return *fine;
    if (optind < argc)
        return errore_uso(COMANDO, std::string("argomento in piu': ") + argv[optind]);
    const NOMI_ARCHIVIO nomi = nomi_archivio(file.contravvenzioni, file.anagrafica);
    if (nomi.stesso_file) {
        std::cerr << "sanzionario " << COMANDO << ": " << file.contravvenzioni << " e "
                  << file.anagrafica << " sono lo stesso file: le contravvenzioni e i dati "
                  << "anagrafici sono in due file diversi.\n";
        return USCITA_FALLITO;
    }
    DATABASE db;
    if (const auto fine = collega_per_comando(COMANDO, database, db)) return *fine;
    // The files' locks first, held while the database is read: no session
    // can take the archive meanwhile, and a refusal reads nothing.
    long pid = 0;
    if (!blocca_destinazione(file.contravvenzioni, file.anagrafica, pid)) {
        TITOLARE_ARCHIVIO chi = titolare_archivio(nomi.blocco, nomi.reale_c, nomi.reale_a);
        if (chi.pid == 0) chi.pid = pid;
        std::cerr << "sanzionario " << COMANDO << ": " << testo_archivio_in_uso(chi);
        return USCITA_FALLITO;
    }
    if (!leggi_database(db)) return USCITA_FALLITO;
    db.pg.reset();
    ESITO_SALVATAGGIO esito;
    if (!salva_archivio(file.contravvenzioni, file.anagrafica, esito)) {
        salvataggio_fallito(file, esito);
        return USCITA_FALLITO;
    }
    chiudi_archivio();
    std::cout << "Archivio esportato dal database in " << file.contravvenzioni << " e "
              << file.anagrafica << ": " << descrivi(conta_liste(lista_contravv, lista_anagraf))
              << ".\n";
    return USCITA_FATTO;
}
