// The archive's own files, by name and by identity, through its names.
#include "commands/owned_files.h"

#include <vector>

#include "commands/command_support.h"
#include "session/names.h"
#include "storage/file_ops.h"

namespace {

struct FILE_PROPRIO {
    const char* cosa; // in Italian, for the refusal
    const std::string* percorso;
};

std::vector<FILE_PROPRIO> file_propri(const NOMI_ARCHIVIO& n) {
    return {{"il file delle contravvenzioni", &n.collegato_c},
            {"il file dei dati anagrafici", &n.collegato_a},
            {"la copia di sicurezza del file delle contravvenzioni", &n.copia_c},
            {"la copia di sicurezza del file dei dati anagrafici", &n.copia_a},
            {"il giornale di recupero", &n.giornale},
            {"il file di blocco", &n.blocco},
            {"il registro delle modifiche", &n.registro}};
}

bool stesso(const struct stat& x, const struct stat& y) {
    return x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

std::string nominato(const FILE_PROPRIO& p) {
    return std::string(p.cosa) + " dell'archivio (" + *p.percorso + ")";
}

} // namespace

std::string file_dell_archivio(const FILE_ARCHIVIO& f, const std::string& percorso) {
    const NOMI_ARCHIVIO n = nomi_archivio(f.contravvenzioni, f.anagrafica);
    if (!file_dell_archivio(n, percorso)) return "";
    const std::string assoluto = percorso_assoluto(percorso);
    struct stat st;
    const bool esiste = stat(percorso.c_str(), &st) == 0;
    for (const FILE_PROPRIO& p : file_propri(n)) {
        struct stat sp;
        if (assoluto == percorso_assoluto(*p.percorso) ||
            (esiste && stat(p.percorso->c_str(), &sp) == 0 && stesso(st, sp)))
            return nominato(p);
    }
    return "un file temporaneo, o messo da parte, dell'archivio (accanto a " + n.collegato_c +
           ")";
}

std::string file_dell_archivio(const FILE_ARCHIVIO& f, const struct stat& aperto) {
    const NOMI_ARCHIVIO n = nomi_archivio(f.contravvenzioni, f.anagrafica);
    for (const FILE_PROPRIO& p : file_propri(n)) {
        struct stat sp;
        if (stat(p.percorso->c_str(), &sp) == 0 && stesso(aperto, sp)) return nominato(p);
    }
    return "";
}
