// The renames of a save cut short, told apart and finished.
#include "session/roll_forward.h"

#include <cstdio>
#include <sys/stat.h>

#include "storage/atomic_write.h"
#include "storage/file_hash.h"
#include "storage/file_identity.h"
#include "storage/file_ops.h"
#include "storage/put_in_place.h"

namespace {

bool esiste(const std::string& percorso) {
    struct stat st;
    return lstat(percorso.c_str(), &st) == 0;
}

// The data file of the archive loaded that a rename of the note replaces:
// the very path, or, in a copy of the folder, the data file of the same name.
std::string dati_di(const RINOMINA& r, const NOMI_ARCHIVIO& n) {
    const std::string destinazione = percorso_assoluto(r.destinazione);
    if (destinazione == n.reale_c || destinazione == n.reale_a) return destinazione;
    for (const std::string* dati : {&n.reale_c, &n.reale_a})
        if (nome_di(*dati) == nome_di(destinazione)) return *dati;
    return "";
}

bool con_impronta(const std::string& percorso, const IMPRONTA& attesa) {
    const std::optional<IMPRONTA> i = impronta_file(percorso);
    return i && *i == attesa;
}

// The second name of the old data file, where the note knows it by identity.
std::string secondo_nome_di(const std::string& dati, const IDENTITA_FILE& vecchio) {
    const std::string nome = nome_di(dati);
    for (const std::string& p : file_scelti(cartella_di(dati), [&](std::string_view voce) {
             return voce.front() != '.' && nome_temporaneo_di(voce, nome);
         }))
        if (stesso_inode(identita_file(p.c_str()), vecchio)) return p;
    return "";
}

// Everything a stopped save may have left around a data file.
void elenca_presenti(const std::string& dati, std::vector<std::string>& presenti) {
    if (esiste(dati)) presenti.push_back(dati);
    const std::string nome = nome_di(dati);
    for (std::string& p : file_scelti(cartella_di(dati), [&](std::string_view voce) {
             return nome_temporaneo_di(voce, nome);
         }))
        presenti.push_back(std::move(p));
}

} // namespace

ESAME_SALVATAGGIO esamina_salvataggio(const VOCE_GIORNALE& nota, const NOMI_ARCHIVIO& n) {
    ESAME_SALVATAGGIO e;
    bool certo = !nota.rinomine.empty();
    for (const RINOMINA& r : nota.rinomine) {
        const std::string dati = dati_di(r, n);
        if (dati.empty()) {
            certo = false;
            break;
        }
        const bool stesso_posto = dati == percorso_assoluto(r.destinazione);
        // The temporary file beside the data file, under the name the note gives it.
        const std::string temporaneo =
            stesso_posto ? r.temporaneo : unisci(cartella_di(dati), nome_di(r.temporaneo));
        const IDENTITA_FILE ora = identita_file(dati.c_str());
        bool fatta = stesso_posto && !esiste(temporaneo) && stesso_inode(ora, r.id_temporaneo);
        bool da_fare = stesso_posto &&
                       stesso_inode(identita_file(temporaneo.c_str()), r.id_temporaneo) &&
                       stessa_identita(ora, r.id_destinazione);
        // Elsewhere, or where the identities no longer tell, the bytes do.
        if (!fatta && !da_fare && r.impronta) {
            fatta = !esiste(temporaneo) && con_impronta(dati, *r.impronta);
            da_fare = !fatta && con_impronta(temporaneo, *r.impronta);
        }
        if (!fatta && !da_fare) {
            certo = false;
            break;
        }
        e.destinazione.push_back(dati);
        e.contenuto.push_back(da_fare ? temporaneo : dati);
        e.da_fare.push_back(da_fare);
        if (stesso_posto) {
            const std::string secondo = secondo_nome_di(dati, r.id_destinazione);
            if (!secondo.empty()) e.secondi_nomi.push_back(secondo);
        }
    }
    e.certo = certo;
    if (certo) return e;
    e = ESAME_SALVATAGGIO{};
    for (const std::string* dati : {&n.reale_a, &n.reale_c}) elenca_presenti(*dati, e.presenti);
    return e;
}

ROLL_FORWARD completa_salvataggio(const ESAME_SALVATAGGIO& e) {
    if (!e.certo) return ROLL_FORWARD::INCERTO;
    for (std::size_t i = 0; i < e.destinazione.size(); ++i) {
        if (!e.da_fare[i]) continue;
        if (std::rename(e.contenuto[i].c_str(), e.destinazione[i].c_str()) != 0 ||
            !sincronizza_cartella(cartella_di(e.destinazione[i])))
            return ROLL_FORWARD::INCERTO;
    }
    // As the save would have done once both files were in place.
    for (const std::string& secondo : e.secondi_nomi) {
        const std::string dati = secondo.substr(0, secondo.rfind(".bak-"));
        diventa_copia(dati, secondo);
    }
    return ROLL_FORWARD::COMPLETO;
}
