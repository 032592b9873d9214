// The renames of a save cut short, told apart and finished.
#include "session/roll_forward.h"

#include <cstdio>
#include <sys/stat.h>

#include "storage/file_identity.h"
#include "storage/file_ops.h"

namespace {

bool esiste(const std::string& percorso) {
    struct stat st;
    return lstat(percorso.c_str(), &st) == 0;
}

} // namespace

ROLL_FORWARD completa_salvataggio(const VOCE_GIORNALE& nota, const std::string& reale_c,
                                  const std::string& reale_a) {
    if (nota.rinomine.empty()) return ROLL_FORWARD::INCERTO;
    for (const RINOMINA& r : nota.rinomine) {
        // A note of an earlier version names its files as they were typed.
        const std::string destinazione = percorso_assoluto(r.destinazione);
        if (destinazione != reale_c && destinazione != reale_a) return ROLL_FORWARD::INCERTO;
        const IDENTITA_FILE ora = identita_file(destinazione.c_str());
        const bool fatta = !esiste(r.temporaneo) && stesso_inode(ora, r.id_temporaneo);
        const bool da_fare = stesso_inode(identita_file(r.temporaneo.c_str()), r.id_temporaneo) &&
                             stessa_identita(ora, r.id_destinazione);
        if (!fatta && !da_fare) return ROLL_FORWARD::INCERTO;
    }
    for (const RINOMINA& r : nota.rinomine) {
        if (!esiste(r.temporaneo)) continue;
        const std::string destinazione = percorso_assoluto(r.destinazione);
        if (std::rename(r.temporaneo.c_str(), destinazione.c_str()) != 0 ||
            !sincronizza_cartella(cartella_di(destinazione)))
            return ROLL_FORWARD::INCERTO;
    }
    return ROLL_FORWARD::COMPLETO;
}
