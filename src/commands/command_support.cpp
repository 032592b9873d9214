// Messages, archive reading and output shared by the commands.
#include "commands/command_support.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <getopt.h>
#include <iostream>
#include <unistd.h>
#include <vector>

#include "console/encoding.h"
#include "storage/file_identity.h"

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
    opzioni.push_back({nullptr, 0, nullptr, 0});
    const std::string lettere = std::string(":c:a:h") + brevi;
    optind = 0;
    opterr = 0;
    for (int o; (o = getopt_long(argc, argv, lettere.c_str(), opzioni.data(), nullptr)) != -1;) {
        switch (o) {
        case 'c':
            file.contravvenzioni = optarg;
            break;
        case 'a':
            file.anagrafica = optarg;
            break;
        case 'h':
            std::cout << aiuto;
            return USCITA_FATTO;
        case ':':
        case '?':
            return opzione_sbagliata(comando, o, argv);
        default:
            propria(o, optarg);
            break;
        }
    }
    return std::nullopt;
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
    a = apri_archivio(nomi_archivio(f.contravvenzioni, f.anagrafica), modo, conferma);
    const std::string prima = std::string("sanzionario ") + comando + ": ";
    if (a.esito == 0) return true;
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
    for (std::size_t fatto = 0; fatto < u.blocco.size() && !u.errore;) {
        const ssize_t n = write(u.fd, u.blocco.data() + fatto, u.blocco.size() - fatto);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) u.errore = true;
        fatto += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    u.blocco.clear();
}

} // namespace

bool apri_uscita(USCITA& u, const FILE_ARCHIVIO& f) {
    if (u.percorso.empty() || u.percorso == "-") {
        u.fd = STDOUT_FILENO;
        return true;
    }
    const IDENTITA_FILE uscita = identita_file(u.percorso.c_str());
    for (const std::string& dati : {f.contravvenzioni, f.anagrafica}) {
        if (stesso_inode(uscita, identita_file(dati.c_str()))) {
            std::cerr << "sanzionario " << u.comando << ": " << u.percorso
                      << " e' un file dell'archivio: non viene sovrascritto.\n";
            return false;
        }
    }
    u.fd = open(u.percorso.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (u.fd >= 0) return true;
    std::cerr << "sanzionario " << u.comando << ": impossibile creare " << u.percorso << ".\n";
    return false;
}

void forse_scrivi(USCITA& u) {
    if (u.blocco.size() >= BLOCCO_USCITA) scrivi_blocco(u);
}

bool chiudi_uscita(USCITA& u) {
    scrivi_blocco(u);
    if (u.fd != STDOUT_FILENO && close(u.fd) != 0) u.errore = true;
    if (!u.errore) return true;
    std::cerr << "sanzionario " << u.comando << ": impossibile scrivere "
              << (u.fd == STDOUT_FILENO ? "sull'uscita" : u.percorso) << ".\n";
    return false;
}
