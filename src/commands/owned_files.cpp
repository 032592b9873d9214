// The archive's own files, by name and by identity.
#include "commands/owned_files.h"

#include <string_view>
#include <vector>

#include "commands/command_support.h"
#include "session/journal.h"
#include "session/lock.h"
#include "register/register_file.h"
#include "storage/atomic_write.h"
#include "storage/file_ops.h"
#include "storage/put_in_place.h"

namespace {

struct FILE_PROPRIO {
    std::string cosa; // in Italian, for the refusal
    std::string percorso;
};

std::vector<FILE_PROPRIO> file_propri(const FILE_ARCHIVIO& f) {
    const std::string c = segui_collegamenti(f.contravvenzioni);
    const std::string a = segui_collegamenti(f.anagrafica);
    return {{"il file delle contravvenzioni", c},
            {"il file dei dati anagrafici", a},
            {"la copia di sicurezza del file delle contravvenzioni", percorso_copia(c)},
            {"la copia di sicurezza del file dei dati anagrafici", percorso_copia(a)},
            {"il giornale di recupero", percorso_giornale(c)},
            {"il file di blocco", percorso_blocco(c)},
            {"il registro delle modifiche", percorso_registro(c)}};
}

bool stesso(const struct stat& x, const struct stat& y) {
    return x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

// A name beside a data file or the journal that only they give: a
// temporary file, a second name, a journal set aside.
bool temporaneo_di(std::string_view nome, const FILE_PROPRIO& p, bool dati) {
    const std::string proprio = nome_di(p.percorso);
    if (dati) return nome_temporaneo_di(nome, proprio);
    return nome.size() > proprio.size() + 1 && nome.starts_with(proprio) &&
           nome[proprio.size()] == '.';
}

} // namespace

std::string file_dell_archivio(const FILE_ARCHIVIO& f, const std::string& percorso) {
    const std::string assoluto = percorso_assoluto(percorso);
    const std::string cartella = cartella_di(assoluto);
    const std::string nome = nome_di(assoluto);
    struct stat st;
    const bool esiste = stat(percorso.c_str(), &st) == 0;
    const std::vector<FILE_PROPRIO> propri = file_propri(f);
    for (std::size_t i = 0; i < propri.size(); ++i) {
        const FILE_PROPRIO& p = propri[i];
        const std::string suo = percorso_assoluto(p.percorso);
        struct stat sp;
        if (suo == assoluto || (esiste && stat(p.percorso.c_str(), &sp) == 0 && stesso(st, sp)))
            return p.cosa + " dell'archivio (" + p.percorso + ")";
        const bool dati = i < 2, giornale = i == 4;
        if ((dati || giornale) && cartella_di(suo) == cartella &&
            temporaneo_di(nome, {p.cosa, suo}, dati))
            return std::string(dati ? "un file temporaneo di un salvataggio dell'archivio"
                                    : "un file del giornale di recupero dell'archivio") +
                   " (accanto a " + p.percorso + ")";
    }
    return "";
}

std::string file_dell_archivio(const FILE_ARCHIVIO& f, const struct stat& aperto) {
    for (const FILE_PROPRIO& p : file_propri(f)) {
        struct stat sp;
        if (stat(p.percorso.c_str(), &sp) == 0 && stesso(aperto, sp))
            return p.cosa + " dell'archivio (" + p.percorso + ")";
    }
    return "";
}
