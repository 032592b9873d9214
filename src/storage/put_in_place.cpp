// Backups, renames, flushes and the way back when one of them fails.
#include "storage/put_in_place.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

#include "storage/file_ops.h"

namespace {

enum class COPIA {
    FATTA,       // the old data file is also "<name>.bak"
    FILE_NUOVO,  // there was no data file: putting back means removing the new one
    SENZA_COPIA, // the file system keeps no second names: there is no way back
    ERRORE,
};

// The data file gets its second name "<name>.bak", replacing the older
// backup in one step.
COPIA fai_copia(const std::string& file) {
    struct stat st;
    if (lstat(file.c_str(), &st) != 0) return errno == ENOENT ? COPIA::FILE_NUOVO : COPIA::ERRORE;
    const std::string copia = percorso_copia(file);
    const std::string nuova = copia + ".nuova";
    unlink(nuova.c_str());
    if (link(file.c_str(), nuova.c_str()) != 0)
        return errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS ? COPIA::SENZA_COPIA
                                                                          : COPIA::ERRORE;
    if (rename(nuova.c_str(), copia.c_str()) != 0) {
        unlink(nuova.c_str());
        return COPIA::ERRORE;
    }
    return COPIA::FATTA;
}

// Puts back the first `quante` data files as they were before the renames.
void rimetti(const RINOMINE& rinomine, const std::vector<COPIA>& copie, std::size_t quante) {
    for (std::size_t i = 0; i < quante; ++i) {
        const std::string& file = rinomine[i].second;
        if (copie[i] == COPIA::FATTA) {
            rename(percorso_copia(file).c_str(), file.c_str());
        } else if (copie[i] == COPIA::FILE_NUOVO) {
            unlink(file.c_str());
        }
        sincronizza_cartella(cartella_di(file));
    }
}

} // namespace

std::string percorso_copia(const std::string& file) {
    return file + ".bak";
}

bool metti_al_posto(const RINOMINE& rinomine, const std::function<void()>& annota_fallimento) {
    std::vector<COPIA> copie;
    for (const auto& [temporaneo, file] : rinomine) {
        copie.push_back(fai_copia(file));
        if (copie.back() == COPIA::ERRORE) return false; // nothing replaced yet
    }
    std::size_t fatte = 0;
    bool riuscito = true;
    for (; fatte < rinomine.size(); ++fatte) {
        if (rename(rinomine[fatte].first.c_str(), rinomine[fatte].second.c_str()) != 0) {
            riuscito = false;
            break;
        }
    }
    for (std::size_t i = 0; i < fatte && riuscito; ++i)
        riuscito = sincronizza_cartella(cartella_di(rinomine[i].second));
    if (riuscito) return true;
    // A data file that could not be replaced or flushed: the others go back
    // to what they were, and only then is the failure noted.
    rimetti(rinomine, copie, fatte);
    if (annota_fallimento) annota_fallimento();
    return false;
}
