// Options the GNU way (getopt_long): the program's own, up to the first
// argument that is not one, which names a command.
#include "app/command_line.h"

#include <csignal>
#include <cstring>
#include <getopt.h>
#include <iostream>
#include <string>

#include "app/app.h"
#include "app/version.h"
#include "commands/command_support.h"
#include "commands/commands.h"
#include "database/connection.h"
#include "session/dialogs.h"

namespace {

struct COMANDO {
    const char* nome;
    int (*esegui)(int argc, char** argv);
};

const COMANDO COMANDI[] = {{"esporta", comando_esporta},
                           {"importa-pagamenti", comando_importa_pagamenti},
                           {"controlla", comando_controlla},
                           {"avvisi", comando_avvisi},
                           {"rapporto", comando_rapporto},
                           {"registro", comando_registro},
                           {"importa-archivio", comando_importa_archivio},
                           {"esporta-archivio", comando_esporta_archivio}};

constexpr const char* AIUTO =
    "Uso: sanzionario [OPZIONE]\n"
    "     sanzionario COMANDO [OPZIONI DEL COMANDO]\n\n"
    "Senza comando avvia il programma interattivo per la gestione delle\n"
    "contravvenzioni, dei dati anagrafici dei proprietari e dei pagamenti.\n\n"
    "Opzioni:\n"
    "  -h, --help       mostra questo aiuto ed esce\n"
    "  -V, --version    mostra la versione ed esce\n"
    "      --database CONNESSIONE\n"
    "                   lavora sull'archivio di un database PostgreSQL, condiviso\n"
    "                   con gli altri impiegati (o la variabile SANZIONARIO_DATABASE)\n\n"
    "Comandi:\n"
    "  esporta [-c FILE] [-a FILE] [-o FILE] [--anagrafica-sola] [--foglio-italiano]\n"
    "      scrive l'archivio in formato CSV\n"
    "  importa-pagamenti [-c FILE] [-a FILE] [--prova] [--ufficio FILE] FILE.csv\n"
    "      registra i pagamenti elencati in un file CSV (anche per codice avviso)\n"
    "      e salva l'archivio\n"
    "  controlla [-c FILE] [-a FILE]\n"
    "      controlla l'archivio, ad esempio prima di una copia\n"
    "  avvisi [-c FILE] [-a FILE] [--contravvenzione N]... [--dal gg/mm/aaaa]\n"
    "         [--al gg/mm/aaaa] [--ufficio FILE] -o FILE.pdf\n"
    "      scrive gli avvisi di pagamento pagoPA delle contravvenzioni non pagate\n"
    "  rapporto [-c FILE] [-a FILE] [--dal gg/mm/aaaa] [--al gg/mm/aaaa]\n"
    "           [--formato pdf|csv] [-o FILE]\n"
    "      riassume multe, pagamenti e importi del periodo, con grafici\n"
    "  registro [--verifica] [--json] [--contravvenzione N] [--anagrafica CODICE]\n"
    "           [--targa TARGA] [--utente UTENTE] [--dal gg/mm/aaaa] [--al gg/mm/aaaa]\n"
    "           [FILE DELLE CONTRAVVENZIONI | --database CONNESSIONE]\n"
    "      mostra o verifica il registro delle modifiche\n"
    "  importa-archivio [-c FILE] [-a FILE] --database CONNESSIONE [--sostituisci]\n"
    "                   [--accetta-letture-dubbie]\n"
    "      copia l'archivio dai suoi file in un database PostgreSQL\n"
    "  esporta-archivio [-c FILE] [-a FILE] --database CONNESSIONE\n"
    "      scrive nei file l'archivio di un database PostgreSQL\n\n"
    "Per tutti i comandi ma registro, -c e -a (--contravvenzioni, --anagrafica)\n"
    "indicano i file dell'archivio, se non sono dati/contravvenzioni.txt e\n"
    "dati/anagrafica.txt. Ogni comando prende anche --database CONNESSIONE, dopo il\n"
    "suo nome: esporta, importa-pagamenti, controlla, avvisi, rapporto e registro\n"
    "lavorano allora sull'archivio nel database invece che sui file, come quando\n"
    "c'e' la variabile SANZIONARIO_DATABASE e non sono indicati i file;\n"
    "importa-archivio ed esporta-archivio copiano fra i file e il database.\n"
    "Il dettaglio di ogni comando: sanzionario COMANDO --help\n"
    "Stato di uscita: 0 riuscito, 1 non riuscito, 2 uso errato.\n";

int errore(const std::string& messaggio) {
    std::cerr << "sanzionario: " << messaggio
              << "\nProvare 'sanzionario --help' per maggiori informazioni.\n";
    return USCITA_USO;
}

} // namespace

int esegui_riga_di_comando(int argc, char** argv) {
    static const option opzioni[] = {{"help", no_argument, nullptr, 'h'},
                                     {"version", no_argument, nullptr, 'V'},
                                     {"database", required_argument, nullptr, 'D'},
                                     {nullptr, 0, nullptr, 0}};
    optind = 0;
    opterr = 0;
    // "+": the options stop at the command, whose own options follow it.
    const char* database = nullptr;
    for (int o; (o = getopt_long(argc, argv, "+hV", opzioni, nullptr)) != -1;) {
        switch (o) {
        case 'h': std::cout << AIUTO; return USCITA_FATTO;
        case 'V':
            std::cout << "sanzionario " SANZIONARIO_VERSIONE "\n";
            return USCITA_FATTO;
        case 'D': database = optarg; break;
        default: return errore(std::string("opzione non riconosciuta: ") + argv[optind - 1]);
        }
    }
    if (optind == argc) {
        scegli_archivio(indirizzo_database(database));
        return avvia_sanzionario();
    }
    // The database is the command's own option: before the command it
    // would be left unread, and the command would work on the files.
    if (database != nullptr)
        return errore(std::string("--database va indicato dopo il comando: sanzionario ") +
                      argv[optind] + " --database ...");
    // A file-size limit is an ordinary write error for a command too, told
    // and ended with status 1, never a death by signal halfway through.
    std::signal(SIGXFSZ, SIG_IGN);
    for (const COMANDO& c : COMANDI)
        if (std::strcmp(argv[optind], c.nome) == 0) return c.esegui(argc - optind, argv + optind);
    return errore(std::string("comando sconosciuto: ") + argv[optind]);
}
