// `sanzionario registro [--verifica] [--json] [--contravvenzione N]
// [--anagrafica CODICE] [--targa T] [--utente U] [--dal gg/mm/aaaa]
// [--al gg/mm/aaaa] [--database CONNESSIONE] [file delle contravvenzioni]`:
// the options read by getopt_long, the register found beside the fines
// file (by default dati/contravvenzioni.txt) or in the database archive,
// then its history, its lines or its check.
#include "commands/commands.h"

#include <charconv>
#include <cstdio>
#include <getopt.h>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "commands/command_support.h"
#include "commands/database_command.h"
#include "input/date.h"
#include "model/records.h"
#include "register/history.h"
#include "register/pager.h"
#include "register/register_source.h"
#include "register/verify.h"
#include "session/journal.h"

namespace {

constexpr const char* AIUTO =
    "Uso: sanzionario registro [OPZIONI] [FILE DELLE CONTRAVVENZIONI]\n"
    "Mostra la storia delle modifiche dell'archivio, dalla piu' vecchia, o ne\n"
    "verifica l'integrita' (predefinito: il registro di dati/contravvenzioni.txt).\n\n"
    "      --verifica               verifica la catena del registro e i file dei dati\n"
    "      --json                   le voci come sono scritte, una per riga\n"
    "      --contravvenzione N      solo le voci sulla contravvenzione N\n"
    "      --anagrafica CODICE      solo le voci sui dati anagrafici con quel codice\n"
    "      --targa TARGA            solo le voci sulle contravvenzioni di quella targa\n"
    "      --utente UTENTE          solo le voci di quell'utente\n"
    "      --dal gg/mm/aaaa         solo le voci da quel giorno\n"
    "      --al gg/mm/aaaa          solo le voci fino a quel giorno\n"
    "      --database CONNESSIONE   il registro dell'archivio in un database\n"
    "                               PostgreSQL (stringa di collegamento di libpq o\n"
    "                               URI); senza --database e senza FILE, la\n"
    "                               variabile SANZIONARIO_DATABASE, se c'e'\n"
    "  -h, --help                   mostra questo aiuto ed esce\n\n"
    "Nel database il registro e' una tabella, una voce per riga, con la stessa\n"
    "catena; --verifica ne controlla la catena e che la tabella accetti solo voci\n"
    "nuove (non ci sono file dei dati da confrontare).\n"
    "Stato di uscita: 0 fatto (con --verifica: tutto integro), 1 qualcosa non torna\n"
    "o non si legge, 2 uso errato.\n";

constexpr int AIUTO_MOSTRATO = -1;

struct RICHIESTA {
    bool verifica = false;
    bool grezzo = false; // --json
    FILTRI_REGISTRO filtri;
    std::string file_c = FILE_CONTRAVV_DEFAULT;
    std::optional<std::string> database; // a database archive's connection string
};

int sbagliato(const std::string& motivo) {
    return errore_uso("registro", motivo);
}

// gg/mm/aaaa as aaaa-mm-gg, the form the entries' times begin with.
bool giorno(const char* testo, std::string& iso) {
    DATA d{};
    if (!data_da_testo(testo, &d)) return false;
    char s[32];
    std::snprintf(s, sizeof s, "%04d-%02d-%02d", d.aaaa, d.mm, d.gg);
    iso = s;
    return true;
}

// 0 read; otherwise the exit status of a wrong option.
int leggi_opzioni(int argc, char** argv, RICHIESTA& r) {
    enum { VERIFICA = 1, JSON, CONTRAVV, ANAGRAF, TARGA, UTENTE, DAL, AL };
    static const option opzioni[] = {{"verifica", no_argument, nullptr, VERIFICA},
                                     {"json", no_argument, nullptr, JSON},
                                     {"contravvenzione", required_argument, nullptr, CONTRAVV},
                                     {"anagrafica", required_argument, nullptr, ANAGRAF},
                                     {"targa", required_argument, nullptr, TARGA},
                                     {"utente", required_argument, nullptr, UTENTE},
                                     {"dal", required_argument, nullptr, DAL},
                                     {"al", required_argument, nullptr, AL},
                                     OPZIONE_DATABASE,
                                     {"help", no_argument, nullptr, 'h'},
                                     {nullptr, 0, nullptr, 0}};
    optind = 0;
    opterr = 0;
    const char* database = nullptr;
    for (int o; (o = getopt_long(argc, argv, ":h", opzioni, nullptr)) != -1;) {
        switch (o) {
        case 'h':
            std::cout << AIUTO;
            return AIUTO_MOSTRATO;
        case VERIFICA:
            r.verifica = true;
            break;
        case JSON:
            r.grezzo = true;
            break;
        case CONTRAVV: {
            const std::string_view t = optarg;
            uint32_t n = 0;
            const auto [fine, errore] = std::from_chars(t.data(), t.data() + t.size(), n);
            if (t.empty() || errore != std::errc{} || fine != t.data() + t.size())
                return sbagliato("numero di contravvenzione non valido: " + std::string(t));
            r.filtri.contravvenzione = n;
            break;
        }
        case ANAGRAF:
            r.filtri.anagrafica = optarg;
            break;
        case TARGA:
            r.filtri.targa = optarg;
            break;
        case UTENTE:
            r.filtri.utente = optarg;
            break;
        case DAL:
        case AL:
            if (!giorno(optarg, o == DAL ? r.filtri.dal : r.filtri.al))
                return sbagliato("data non valida: " + std::string(optarg));
            break;
        default:
            if (o != OPZIONE_DATABASE.val) return opzione_sbagliata("registro", o, argv);
            database = optarg;
            break;
        }
    }
    if (argc - optind > 1) return sbagliato("un solo file delle contravvenzioni, prego");
    if (optind < argc) r.file_c = argv[optind];
    if (const auto fine = database_del_comando("registro", database, optind < argc, r.database))
        return *fine;
    return 0;
}

int storia(const SORGENTE_REGISTRO& registro, const RICHIESTA& r) {
    std::ostringstream out;
    const LETTURA_REGISTRO letto = leggi_righe(registro, [&](const RIGA_LETTA& riga) {
        const json v = json::parse(riga.testo, nullptr, false);
        if (!v.is_object()) {
            if (r.grezzo && !r.filtri.contravvenzione && r.filtri.anagrafica.empty() &&
                r.filtri.targa.empty() && r.filtri.utente.empty() && r.filtri.dal.empty() &&
                r.filtri.al.empty()) {
                out << riga.testo << "\n";
            } else if (!r.grezzo) {
                out << "Riga " << riga.numero << ": non e' una voce del registro.\n\n";
            }
            return;
        }
        if (!voce_scelta(v, r.filtri)) return;
        if (r.grezzo) {
            out << riga.testo << "\n";
        } else {
            stampa_voce(out, v);
        }
    });
    if (letto != LETTURA_REGISTRO::LETTO) {
        std::cout << lettura_fallita(registro, letto);
        return 1;
    }
    return mostra_testo(out.str()) ? 0 : 1;
}

// The register of a database archive: its history, or its check.
int nel_database(const RICHIESTA& r) {
    DATABASE db;
    if (const auto fine = collega_per_comando("registro", r.database->c_str(), db)) return *fine;
    if (const auto fine = archivio_nel_database("registro", db)) return *fine;
    if (!r.verifica) return storia(registro_della_tabella(db), r);
    const ESITO_VERIFICA e = verifica_registro_database(db);
    std::cout << e.rapporto << std::flush;
    return e.integro ? 0 : 1;
}

} // namespace

int comando_registro(int argc, char** argv) {
    RICHIESTA r;
    if (const int esito = leggi_opzioni(argc, argv, r); esito != 0)
        return esito == AIUTO_MOSTRATO ? 0 : esito;
    if (r.database) return nel_database(r);
    // The register is beside the fines file; the data files it names are
    // the ones the verification compares.
    const NOMI_ARCHIVIO nomi = nomi_archivio(r.file_c, "");
    const TITOLARE_ARCHIVIO t = titolare_archivio(nomi.blocco, nomi.reale_c, "");
    if (t.pid != 0)
        std::cerr << "sanzionario registro: l'archivio e' in uso in un'altra sessione"
                  << chi_tiene(t) << ": il registro comprende le sue operazioni confermate.\n";
    if (!r.verifica) return storia(registro_nel_file(nomi.registro), r);
    // A save a stop cut short before its entry: its files are recognised.
    GIORNALE_LETTO g;
    std::optional<VOCE_GIORNALE> nota;
    if (t.pid == 0 && leggi_file_giornale(nomi.giornale, g) == GIORNALE_SU_DISCO::LETTO &&
        g.riconosciuto && g.voci.back().tipo == TIPO_VOCE::SALVATAGGIO)
        nota = g.voci.back();
    const ESITO_VERIFICA e =
        verifica_registro(nomi.registro, nomi.reale_c, impronte_della_nota(nota));
    std::cout << e.rapporto << std::flush;
    return e.integro ? 0 : 1;
}
