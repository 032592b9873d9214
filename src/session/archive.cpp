// The archive in use: its lock, its journal and the identity of its files,
// through loads and saves.
#include "session/archive.h"

#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "model/changes.h"
#include "session/lock.h"
#include "storage/file_identity.h"
#include "storage/file_ops.h"
#include "session/journal.h"
#include "session/replay.h"
#include "storage/archive_files.h"

namespace {

BLOCCO_ARCHIVIO blocco;              // the archive loaded or last saved, whose journal is written
BLOCCO_ARCHIVIO blocco_destinazione; // another archive a "Salva con nome..." is aimed at
std::string noto_c, noto_a;          // the files loaded or last saved, links followed
IDENTITA_FILE id_c, id_a;            // and their identities then

// What a load found, from apri_archivio to avvia_giornale_archivio.
struct IN_SOSPESO {
    GIORNALE_TROVATO trovato = GIORNALE_TROVATO::NESSUNO;
    std::string giornale;
    GIORNALE_LETTO letto;
    std::string file_c, file_a;
};
IN_SOSPESO sospeso;

bool esiste(const std::string& percorso) {
    struct stat st;
    return lstat(percorso.c_str(), &st) == 0;
}

// A save that a stop cut short after it noted its renames: each rename is
// either done (the data file is the temporary file) or still to do (the
// temporary file is there and the data file is as it was). Only then are
// the ones to do done now: the temporary files are complete and flushed
// (the save is noted only then). When anything else changed the files in
// between, nothing is touched. True when the save is complete.
bool completa_salvataggio(const VOCE_GIORNALE& voce) {
    for (const RINOMINA& r : voce.rinomine) {
        const IDENTITA_FILE ora = identita_file(r.destinazione.c_str());
        const bool fatta = !esiste(r.temporaneo) && stesso_inode(ora, r.id_temporaneo);
        const bool da_fare = stesso_inode(identita_file(r.temporaneo.c_str()), r.id_temporaneo) &&
                             stessa_identita(ora, r.id_destinazione);
        if (!fatta && !da_fare) return false;
    }
    for (const RINOMINA& r : voce.rinomine) {
        if (!esiste(r.temporaneo)) continue;
        if (rename(r.temporaneo.c_str(), r.destinazione.c_str()) != 0) return false;
        sincronizza_cartella(cartella_di(r.destinazione));
    }
    return true;
}

long operazioni(const GIORNALE_LETTO& g, int64_t& ultima) {
    long n = 0;
    for (const VOCE_GIORNALE& v : g.voci) {
        if (v.tipo != TIPO_VOCE::MODIFICHE) continue;
        ++n;
        ultima = v.ora;
    }
    return n;
}

// The lock of the archive whose files are now loaded or saved becomes the
// one in use; every other lock goes.
void tieni_blocco(const std::string& percorso, BLOCCO_ARCHIVIO& nuovo) {
    BLOCCO_ARCHIVIO tenuto;
    if (stesso_blocco(percorso, blocco)) {
        std::swap(tenuto, blocco);
    } else if (stesso_blocco(percorso, blocco_destinazione)) {
        std::swap(tenuto, blocco_destinazione);
    } else {
        std::swap(tenuto, nuovo);
    }
    rilascia_blocco(blocco);
    rilascia_blocco(blocco_destinazione);
    rilascia_blocco(nuovo);
    blocco = tenuto;
}

// The journal of the archive left behind goes: its changes were saved
// elsewhere or dropped by the clerk.
void lascia_giornale_precedente(const std::string& nuovo) {
    if (!giornale_in_uso().empty() && giornale_in_uso() != nuovo) giornale_rimuovi();
}

bool avvia_giornale_nuovo(const std::string& percorso, const std::string& file_c,
                          const std::string& file_a) {
    VOCE_GIORNALE inizio = voce_di_adesso(TIPO_VOCE::INIZIO);
    inizio.file_c = file_c;
    inizio.file_a = file_a;
    inizio.id_c = id_c;
    inizio.id_a = id_a;
    const bool ok = giornale_avvia(percorso, inizio);
    ascolta_modifiche(annota_nel_giornale);
    return ok;
}

} // namespace

APERTURA apri_archivio(const std::string& file_c, const std::string& file_a,
                       CONFERMA_FORMA conferma) {
    APERTURA r;
    const std::string risolto_c = segui_collegamenti(file_c);
    const std::string p_blocco = percorso_blocco(risolto_c);
    const bool gia_in_uso = stesso_blocco(p_blocco, blocco);
    BLOCCO_ARCHIVIO nuovo;
    if (!gia_in_uso && !stesso_blocco(p_blocco, blocco_destinazione) &&
        prendi_blocco(p_blocco, nuovo, r.pid) == ESITO_BLOCCO::OCCUPATO) {
        r.esito = 1;
        r.in_uso = true;
        return r;
    }

    IN_SOSPESO trovato;
    trovato.giornale = percorso_giornale(risolto_c);
    trovato.file_c = file_c;
    trovato.file_a = file_a;
    // The journal of the archive this session holds is this session's own.
    const bool letto = !gia_in_uso && leggi_file_giornale(trovato.giornale, trovato.letto);
    const GIORNALE_LETTO& g = trovato.letto;
    // A save it notes as cut short between its renames is finished first:
    // its changes are then in the files, and nothing is left to recover.
    const bool salvato = letto && g.riconosciuto && g.voci.back().tipo == TIPO_VOCE::SALVATAGGIO &&
                         completa_salvataggio(g.voci.back());
    const IDENTITA_FILE ora_c = identita_file(file_c.c_str());
    const IDENTITA_FILE ora_a = identita_file(file_a.c_str());
    if (letto && !g.riconosciuto) {
        trovato.trovato = GIORNALE_TROVATO::ILLEGGIBILE;
    } else if (letto && !salvato && (r.modifiche = operazioni(g, r.ultima)) > 0) {
        const VOCE_GIORNALE& inizio = g.voci.front();
        const bool stessi =
            stessa_identita(inizio.id_c, ora_c) && stessa_identita(inizio.id_a, ora_a);
        trovato.trovato = stessi ? GIORNALE_TROVATO::RECUPERABILE : GIORNALE_TROVATO::FILE_CAMBIATI;
    }

    r.esito = carica_archivio(file_c.c_str(), file_a.c_str(), conferma);
    if (r.esito != 0) {
        rinuncia_blocco(p_blocco, nuovo);
        return r;
    }
    r.giornale = trovato.trovato;
    tieni_blocco(p_blocco, nuovo);
    lascia_giornale_precedente(trovato.giornale);
    ascolta_modifiche(nullptr);
    noto_c = risolto_c;
    noto_a = segui_collegamenti(file_a);
    id_c = ora_c;
    id_a = ora_a;
    sospeso = std::move(trovato);
    return r;
}

ESITO_GIORNALE avvia_giornale_archivio(bool recupera) {
    ESITO_GIORNALE e;
    IN_SOSPESO s = std::move(sospeso);
    sospeso = IN_SOSPESO{};
    e.giornale = s.giornale;
    if (s.trovato == GIORNALE_TROVATO::RECUPERABILE && recupera) {
        std::size_t applicate = 0;
        if (riapplica_giornale(s.letto.voci, applicate, e.non_recuperate)) {
            e.recuperato = true;
            int64_t ultima = 0;
            e.recuperate = operazioni(s.letto, ultima) - e.non_recuperate;
            if (e.non_recuperate == 0) {
                e.protetto = giornale_riprendi(s.giornale, s.letto.lunghezza_valida);
            } else {
                // The whole journal is kept for whoever must look into it;
                // the new one starts from what was replayed. One that cannot
                // be renamed stays, and no new journal takes its place.
                e.messo_da_parte = metti_da_parte(s.giornale);
                if (e.messo_da_parte.empty()) {
                    e.messo_da_parte = s.giornale;
                } else {
                    e.protetto = giornale_avvia(
                        s.giornale, std::span<const VOCE_GIORNALE>(s.letto.voci.data(), applicate));
                }
            }
            ascolta_modifiche(annota_nel_giornale);
            return e;
        }
        // A change that does not fit the files: they are loaded again as
        // they are, and the journal is kept aside.
        carica_archivio(s.file_c.c_str(), s.file_a.c_str());
    }
    if (s.trovato != GIORNALE_TROVATO::NESSUNO) {
        e.messo_da_parte = metti_da_parte(s.giornale);
        if (e.messo_da_parte.empty()) {
            // It could not be renamed: it stays where it is, and no new
            // journal may take its place.
            e.messo_da_parte = s.giornale;
            ascolta_modifiche(annota_nel_giornale);
            return e;
        }
    }
    e.protetto = avvia_giornale_nuovo(s.giornale, s.file_c, s.file_a);
    return e;
}

bool blocca_destinazione(const std::string& file_c, long& pid) {
    const std::string p = percorso_blocco(segui_collegamenti(file_c));
    pid = 0;
    if (stesso_blocco(p, blocco) || stesso_blocco(p, blocco_destinazione)) return true;
    BLOCCO_ARCHIVIO nuovo;
    if (prendi_blocco(p, nuovo, pid) == ESITO_BLOCCO::OCCUPATO) return false;
    rilascia_blocco(blocco_destinazione);
    blocco_destinazione = nuovo;
    return true;
}

std::vector<std::string> file_cambiati(const std::string& file_c, const std::string& file_a) {
    std::vector<std::string> cambiati;
    for (const std::string* p : {&file_c, &file_a}) {
        const std::string r = segui_collegamenti(*p);
        const IDENTITA_FILE* noto = r == noto_c ? &id_c : r == noto_a ? &id_a : nullptr;
        if (noto != nullptr && !stessa_identita(identita_file(r.c_str()), *noto))
            cambiati.push_back(*p);
    }
    return cambiati;
}

bool salva_archivio(const std::string& file_c, const std::string& file_a, FUORI_LAYOUT* fuori) {
    PASSI_SOSTITUZIONE passi;
    passi.prima_di_rinominare = [](const RINOMINE& rr) {
        if (!giornale_attivo()) return;
        VOCE_GIORNALE v = voce_di_adesso(TIPO_VOCE::SALVATAGGIO);
        for (const auto& [temporaneo, destinazione] : rr)
            v.rinomine.push_back({temporaneo, destinazione, identita_file(temporaneo.c_str()),
                                  identita_file(destinazione.c_str())});
        giornale_aggiungi(v);
    };
    passi.rinomina_fallita = [] {
        if (giornale_attivo()) giornale_aggiungi(voce_di_adesso(TIPO_VOCE::SALVATAGGIO_FALLITO));
    };
    const std::string blocco_destinazione_c = percorso_blocco(segui_collegamenti(file_c));
    passi.sotto_blocco = stesso_blocco(blocco_destinazione_c, blocco) ||
                         stesso_blocco(blocco_destinazione_c, blocco_destinazione);
    if (!scrivi_archivio(file_c.c_str(), file_a.c_str(), &passi, fuori)) return false;

    noto_c = segui_collegamenti(file_c);
    noto_a = segui_collegamenti(file_a);
    id_c = identita_file(noto_c.c_str());
    id_a = identita_file(noto_a.c_str());
    BLOCCO_ARCHIVIO nessuno;
    tieni_blocco(percorso_blocco(noto_c), nessuno);
    const std::string giornale = percorso_giornale(noto_c);
    lascia_giornale_precedente(giornale);
    // A journal another session left beside the files just written no
    // longer fits them: it is kept aside, never overwritten.
    if (giornale != giornale_in_uso() && esiste(giornale)) metti_da_parte(giornale);
    avvia_giornale_nuovo(giornale, file_c, file_a);
    modifiche_salvate();
    return true;
}

void chiudi_archivio() {
    ascolta_modifiche(nullptr);
    if (!giornale_in_uso().empty()) giornale_rimuovi();
    rilascia_blocco(blocco);
    rilascia_blocco(blocco_destinazione);
}
