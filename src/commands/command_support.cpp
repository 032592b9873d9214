// Messages, archive reading and output shared by the commands.
#include "commands/command_support.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <getopt.h>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "console/encoding.h"
#include "commands/database_command.h"
#include "commands/owned_files.h"
#include "storage/file_ops.h"

int errore_uso(const char* comando, const std::string& messaggio) {
    std::cerr << "sanzionario " << comando << ": " << messaggio << "\nProvare 'sanzionario "
              << comando << " --help' per maggiori informazioni.\n";
    return USCITA_USO;
}

int opzione_sbagliata(const char* comando, int risultato, char** argv) {
    const std::string nome = argv[optind - 1];
    if (risultato == ':') return errore_uso(comando, "l'opzione " + nome + " richiede un valore");
    return errore_uso(comando, "opzione non riconosciuta: " + nome);
}

std::optional<int> leggi_opzioni_comando(const char* comando, const char* aiuto, int argc,
                                         char** argv, FILE_ARCHIVIO& file,
                                         std::initializer_list<option> proprie, const char* brevi,
                                         const std::function<void(int, const char*)>& propria) {
    std::vector<option> opzioni = {{"contravvenzioni", required_argument, nullptr, 'c'},
                                   {"anagrafica", required_argument, nullptr, 'a'},
                                   {"help", no_argument, nullptr, 'h'}};
    opzioni.insert(opzioni.end(), proprie);
    const bool database_proprio = std::any_of(proprie.begin(), proprie.end(), [](const option& o) {
        return o.val == OPZIONE_DATABASE.val;
    });
    if (!database_proprio) opzioni.push_back(OPZIONE_DATABASE);
    opzioni.push_back({nullptr, 0, nullptr, 0});
    const std::string lettere = std::string(":c:a:h") + brevi;
    optind = 0;
    opterr = 0;
    bool file_indicati = false;
    const char* database = nullptr;
    for (int o; (o = getopt_long(argc, argv, lettere.c_str(), opzioni.data(), nullptr)) != -1;) {
        switch (o) {
        case 'c':
            file.contravvenzioni = optarg;
            file_indicati = true;
            break;
        case 'a':
            file.anagrafica = optarg;
            file_indicati = true;
            break;
        case 'h':
            std::cout << aiuto;
            return USCITA_FATTO;
        case ':':
        case '?':
            return opzione_sbagliata(comando, o, argv);
        default:
            if (o == OPZIONE_DATABASE.val && !database_proprio) {
                database = optarg;
            } else {
                propria(o, optarg);
            }
            break;
        }
    }
    if (database_proprio) return std::nullopt;
    return database_del_comando(comando, database, file_indicati, file.database);
}

NOMI_ARCHIVIO nomi_del_comando(const FILE_ARCHIVIO& f) {
    return f.database ? nomi_database(*f.database) : nomi_archivio(f.contravvenzioni, f.anagrafica);
}

void avvisa_lettura_di_archivio_tenuto(const char* comando, const APERTURA& a) {
    if (a.titolare.pid == 0) return;
    std::cerr << "sanzionario " << comando << ": l'archivio e' in uso in un'altra sessione"
              << chi_tiene(a.titolare)
              << (a.giornale_altrui
                      ? ": i dati sono quelli dell'ultimo salvataggio, senza le sue modifiche "
                        "non salvate (il suo giornale non e' leggibile da questo utente).\n"
                      : ": i dati comprendono le sue modifiche confermate e non ancora "
                        "salvate.\n");
}

bool apri_archivio_comando(const char* comando, const FILE_ARCHIVIO& f, MODO_APERTURA modo,
                           CONFERMA_FORMA conferma, APERTURA& a) {
    a = apri_archivio(nomi_del_comando(f), modo, conferma);
    const std::string prima = std::string("sanzionario ") + comando + ": ";
    if (a.esito == 0) return true;
    if (f.database) return database_illeggibile(comando, a.errore_database), false;
    if (a.stesso_file) {
        std::cerr << prima << f.contravvenzioni << " e " << f.anagrafica
                  << " sono lo stesso file: le contravvenzioni e i dati anagrafici sono in due "
                     "file diversi.\n";
    } else if (a.in_uso) {
        std::cerr << prima << testo_archivio_in_uso(a.titolare);
    } else if (!a.blocco_non_fidato.empty()) {
        std::cerr << prima << "al posto del file di blocco dell'archivio (" << a.blocco_non_fidato
                  << ") c'e' un file che non e' del programma: toglierlo, poi riprovare.\n";
    } else if (a.salvataggio_in_corso) {
        std::cerr << prima << "l'archivio e' in uso in un'altra sessione" << chi_tiene(a.titolare)
                  << ", che lo sta salvando da troppo tempo: riprovare piu' tardi.\n";
    } else if (!a.salvataggio_incerto.empty()) {
        std::cerr << prima
                  << "un salvataggio dell'archivio e' stato interrotto e non puo' "
                     "essere completato con certezza.\nCaricare l'archivio nel "
                     "programma, poi riprovare.\n";
    } else if (a.esito == CARICAMENTO_RIFIUTATO) {
        std::cerr << prima
                  << "l'archivio contiene record che il programma non legge come "
                     "scritti.\nAprirlo nel programma per controllarli, poi riprovare.\n";
    } else if (a.esito == -1) {
        std::cerr << prima << "memoria insufficiente per leggere l'archivio.\n";
    } else {
        std::cerr << prima << "impossibile leggere i file dell'archivio " << f.contravvenzioni
                  << " e " << f.anagrafica << ".\n";
    }
    return false;
}

bool giornale_da_sistemare(const char* comando, const APERTURA& a) {
    const std::string prima = std::string("sanzionario ") + comando + ": ";
    if (a.giornale == GIORNALE_TROVATO::NON_FIDATO) {
        std::cerr << prima << "al posto del giornale di recupero " << a.nomi.giornale
                  << " c'e' un file che non e' del programma: toglierlo, poi riprovare.\n";
    } else if (a.giornale == GIORNALE_TROVATO::ILLEGGIBILE) {
        std::cerr << prima << "il giornale di recupero " << a.nomi.giornale
                  << " non si puo' leggere.\nCaricare l'archivio nel programma, poi riprovare.\n";
    } else if (a.giornale != GIORNALE_TROVATO::NESSUNO) {
        std::cerr << prima << "accanto all'archivio c'e' il giornale " << a.nomi.giornale
                  << " di una sessione interrotta.\nCaricare l'archivio nel programma per "
                     "recuperarne le modifiche, poi riprovare.\n";
    }
    return a.giornale != GIORNALE_TROVATO::NESSUNO;
}

bool leggi_archivio_comando(const char* comando, const FILE_ARCHIVIO& f, APERTURA& a) {
    if (!apri_archivio_comando(comando, f, MODO_APERTURA::LETTORE, nullptr, a)) return false;
    avvisa_lettura_di_archivio_tenuto(comando, a);
    concludi_apertura(a, false);
    return true;
}

bool leggi_archivio_da_riportare(const char* comando, const FILE_ARCHIVIO& f, APERTURA& a) {
    if (!leggi_archivio_comando(comando, f, a)) return false;
    // The changes of a session that ended without saving are not in the
    // data until the program recovers them; those of the session holding
    // the archive are.
    if (a.titolare.pid == 0 && (a.giornale == GIORNALE_TROVATO::RECUPERABILE ||
                                a.giornale == GIORNALE_TROVATO::FILE_CAMBIATI))
        std::cerr << "sanzionario " << comando << ": attenzione, il giornale " << a.nomi.giornale
                  << " contiene " << a.modifiche
                  << " modifiche non salvate di una sessione interrotta, che non sono nei dati "
                     "esportati.\nCaricare l'archivio nel programma per recuperarle.\n";
    return true;
}

namespace {

constexpr std::size_t BLOCCO_USCITA = std::size_t{1} << 20;

void scrivi_blocco(USCITA& u) {
    if (!u.errore && !scrivi_intero(u.fd, u.blocco)) u.errore = true;
    u.blocco.clear();
}

// The temporary file a signal must remove, as a C string a handler may use.
char temporaneo_segnale[4096];

void togli_e_rilancia(int segnale) {
    if (temporaneo_segnale[0] != '\0') unlink(temporaneo_segnale);
    signal(segnale, SIG_DFL);
    raise(segnale);
}

void segnali_togliono(const std::string& temporaneo) {
    if (temporaneo.size() >= sizeof temporaneo_segnale) return;
    std::memcpy(temporaneo_segnale, temporaneo.c_str(), temporaneo.size() + 1);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) signal(s, togli_e_rilancia);
}

void segnali_come_prima() {
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) signal(s, SIG_DFL);
    temporaneo_segnale[0] = '\0';
}

// What kind of file stands at a name that is not a regular file.
std::string tipo_di(mode_t m) {
    if (S_ISLNK(m)) return "un collegamento simbolico, che non viene seguito";
    if (S_ISFIFO(m)) return "una FIFO";
    if (S_ISDIR(m)) return "una cartella";
    if (S_ISCHR(m) || S_ISBLK(m)) return "un dispositivo";
    if (S_ISSOCK(m)) return "un socket";
    return "un file speciale";
}

// Why the output may not be written at `percorso`, or "".
std::string motivo_rifiuto(const std::string& percorso, const FILE_ARCHIVIO& f) {
    if (percorso.back() == '/' || nome_di(percorso) == "." || nome_di(percorso) == "..")
        return "non e' il nome di un file";
    if (const std::string suo = file_dell_archivio(f, percorso); !suo.empty())
        return "e' " + suo + ": un comando non scrive mai sui file dell'archivio";
    // The folders along the path: a link that another user put in a folder
    // that others may write to is not followed (the rule of the system's
    // protected links).
    std::string prima = percorso.front() == '/' ? "/" : ".";
    const std::string cartella = cartella_di(percorso);
    for (std::size_t inizio = 0; inizio < cartella.size();) {
        std::size_t fine = cartella.find('/', inizio);
        if (fine == std::string::npos) fine = cartella.size();
        const std::string parte = cartella.substr(inizio, fine - inizio);
        inizio = fine + 1;
        if (parte.empty() || parte == ".") continue;
        const std::string qui = unisci(prima, parte);
        struct stat st, sc;
        if (lstat(qui.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && st.st_uid != geteuid() &&
            st.st_uid != 0 && stat(prima.c_str(), &sc) == 0 && (sc.st_mode & S_IWOTH) != 0)
            return "non viene scritto: il percorso passa per " + qui +
                   ", un collegamento simbolico di un altro utente in una cartella in cui tutti "
                   "possono scrivere";
        prima = qui;
    }
    struct stat st;
    if (lstat(percorso.c_str(), &st) != 0) return errno == ENOENT ? "" : std::string("non si puo' esaminare: ") + std::strerror(errno);
    if (!S_ISREG(st.st_mode))
        return "e' " + tipo_di(st.st_mode) + ": si scrive solo in un file regolare";
    if (!sostituibile(percorso))
        return "e' un file di un altro utente in una cartella in cui tutti possono scrivere: "
               "non viene sostituito";
    return "";
}

} // namespace

bool apri_uscita(USCITA& u, const FILE_ARCHIVIO& f) {
    const std::string prima = std::string("sanzionario ") + u.comando + ": ";
    if (u.percorso.empty() || u.percorso == "-") {
        struct stat st;
        const std::string suo =
            fstat(STDOUT_FILENO, &st) == 0 ? file_dell_archivio(f, st) : std::string();
        if (!suo.empty()) {
            std::cerr << prima << "l'uscita standard e' " << suo
                      << ": un comando non scrive mai sui file dell'archivio.\n";
            return false;
        }
        u.fd = STDOUT_FILENO;
        return true;
    }
    if (const std::string motivo = motivo_rifiuto(u.percorso, f); !motivo.empty()) {
        std::cerr << prima << u.percorso << " " << motivo << ".\n";
        return false;
    }
    std::string modello = unisci(cartella_di(u.percorso), "." + nome_di(u.percorso) + ".tmp-XXXXXX");
    u.fd = mkostemp(modello.data(), O_CLOEXEC);
    if (u.fd < 0) {
        std::cerr << prima << "impossibile creare un file nella cartella di " << u.percorso
                  << ": " << std::strerror(errno) << ".\n";
        return false;
    }
    fchmod(u.fd, 0600);
    u.temporaneo = modello;
    segnali_togliono(u.temporaneo);
    return true;
}

void forse_scrivi(USCITA& u) {
    if (u.blocco.size() >= BLOCCO_USCITA) scrivi_blocco(u);
}

void abbandona_uscita(USCITA& u) {
    if (u.fd >= 0 && u.fd != STDOUT_FILENO) close(u.fd);
    u.fd = -1;
    if (!u.temporaneo.empty()) unlink(u.temporaneo.c_str());
    u.temporaneo.clear();
    segnali_come_prima();
}

bool chiudi_uscita(USCITA& u) {
    scrivi_blocco(u);
    const bool su_file = u.fd != STDOUT_FILENO;
    int errore = u.errore ? errno : 0;
    if (su_file && !u.errore) {
        if (fsync(u.fd) != 0 || close(u.fd) != 0) {
            u.errore = true;
            errore = errno;
        }
        u.fd = -1;
        if (!u.errore && rename(u.temporaneo.c_str(), u.percorso.c_str()) != 0) {
            u.errore = true;
            errore = errno;
        }
        if (!u.errore) {
            u.temporaneo.clear();
            sincronizza_cartella(cartella_di(u.percorso));
        }
    }
    if (su_file) abbandona_uscita(u);
    if (!u.errore) return true;
    std::cerr << "sanzionario " << u.comando << ": impossibile scrivere "
              << (su_file ? u.percorso : std::string("sull'uscita"))
              << (errore != 0 ? std::string(": ") + std::strerror(errore) : std::string())
              << ".\n";
    return false;
}
