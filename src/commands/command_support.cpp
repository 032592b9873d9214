// Messages, archive reading and output shared by the commands.
#include "commands/command_support.h"

#include <cstdio>
#include <fstream>
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

std::string in_utf8(std::string_view cp850) {
    static const RESA_CP850 resa = resa_cp850("UTF-8");
    const std::size_t inizio = cp850.find_first_not_of(' ');
    if (inizio == std::string_view::npos) return "";
    cp850 = cp850.substr(inizio, cp850.find_last_not_of(' ') + 1 - inizio);
    std::string t;
    rendi(resa, cp850, t);
    return t;
}

bool scrivi_uscita(const char* comando, const std::string& percorso, const FILE_ARCHIVIO& f,
                   std::string_view testo) {
    if (percorso.empty() || percorso == "-") {
        std::cout.write(testo.data(), static_cast<std::streamsize>(testo.size()));
        std::cout.flush();
        if (std::cout) return true;
        std::cerr << "sanzionario " << comando << ": impossibile scrivere sull'uscita.\n";
        return false;
    }
    const IDENTITA_FILE uscita = identita_file(percorso.c_str());
    for (const std::string& dati : {f.contravvenzioni, f.anagrafica}) {
        if (stesso_inode(uscita, identita_file(dati.c_str()))) {
            std::cerr << "sanzionario " << comando << ": " << percorso
                      << " e' un file dell'archivio: non viene sovrascritto.\n";
            return false;
        }
    }
    std::ofstream out(percorso, std::ios::binary | std::ios::trunc);
    out.write(testo.data(), static_cast<std::streamsize>(testo.size()));
    out.close();
    if (out) return true;
    std::cerr << "sanzionario " << comando << ": impossibile scrivere " << percorso << ".\n";
    return false;
}
