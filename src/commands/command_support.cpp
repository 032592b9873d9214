// Messages, archive reading and output shared by the commands.
#include "commands/command_support.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>
#include <getopt.h>
#include <iostream>

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
        case 'c': file.contravvenzioni = optarg; break;
        case 'a': file.anagrafica = optarg; break;
        case 'h': std::cout << aiuto; return USCITA_FATTO;
        case ':':
        case '?': return opzione_sbagliata(comando, o, argv);
        default: propria(o, optarg); break;
        }
    }
    return std::nullopt;
}

bool leggi_archivio_comando(const char* comando, const FILE_ARCHIVIO& f, ARCHIVIO_LETTO& r) {
    r = leggi_per_comando(f.contravvenzioni, f.anagrafica);
    const std::string prima = std::string("sanzionario ") + comando + ": ";
    if (r.in_uso) {
        std::cerr << prima << testo_archivio_in_uso(r.pid);
    } else if (!r.blocco_non_fidato.empty()) {
        std::cerr << prima << "al posto del file di blocco dell'archivio (" << r.blocco_non_fidato
                  << ") c'e' un file che non e' del programma: l'archivio non e' stato letto.\n";
    } else if (r.esito == -1) {
        std::cerr << prima << "memoria insufficiente per leggere l'archivio.\n";
    } else if (r.esito != 0) {
        std::cerr << prima << "impossibile leggere i file dell'archivio " << f.contravvenzioni
                  << " e " << f.anagrafica << ".\n";
    }
    return r.esito == 0;
}

bool leggi_archivio_da_riportare(const char* comando, const FILE_ARCHIVIO& f, ARCHIVIO_LETTO& r) {
    if (!leggi_archivio_comando(comando, f, r)) return false;
    const std::string prima = std::string("sanzionario ") + comando + ": ";
    if (r.salvataggio_interrotto) {
        std::cerr << prima << "un salvataggio dell'archivio e' stato interrotto e i "
                              "file potrebbero non corrispondere.\nCaricare l'archivio nel "
                              "programma per completarlo, poi riprovare.\n";
        return false;
    }
    if (r.modifiche_non_salvate > 0)
        std::cerr << prima << "attenzione, il giornale " << r.percorso_giornale << " contiene "
                  << r.modifiche_non_salvate
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
