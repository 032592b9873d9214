// The archive in use through loads and saves: one record, replaced whole.
#include "session/archive.h"

#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "model/changes.h"
#include "model/lists.h"
#include "model/walk.h"
#include "console/console.h"
#include "session/journal.h"
#include "register/register.h"
#include "register/register_file.h"
#include "session/replay.h"
#include "session/roll_forward.h"
#include "session/warnings.h"
#include "storage/file_ops.h"
#include "storage/put_in_place.h"

namespace {

// The archive in use: the files loaded or last saved and what keeps them.
struct ARCHIVIO_IN_USO {
    std::string file_c, file_a;   // as typed, for the journal's first entry
    std::string reale_c, reale_a; // resolved, the same from any working folder
    std::string giornale;         // beside the fines file
    IDENTITA_FILE id_c, id_a;     // as loaded or last saved
    BLOCCO_ARCHIVIO blocco;
};

ARCHIVIO_IN_USO archivio;
BLOCCO_ARCHIVIO destinazione; // the locks of another archive a "Salva con nome..." is aimed at

long operazioni(const GIORNALE_LETTO& g, int64_t& ultima) {
    long n = 0;
    for (const VOCE_GIORNALE& v : g.voci) {
        if (v.tipo != TIPO_VOCE::MODIFICHE) continue;
        ++n;
        ultima = v.ora;
    }
    return n;
}

// The journal of the archive left behind goes: its changes were saved
// elsewhere or dropped by the clerk.
void lascia_giornale_precedente(const std::string& nuovo) {
    if (!giornale_in_uso().empty() && giornale_in_uso() != nuovo) giornale_rimuovi();
}

VOCE_GIORNALE inizio_di(const ARCHIVIO_IN_USO& a) {
    VOCE_GIORNALE inizio = voce_di_adesso(TIPO_VOCE::INIZIO);
    inizio.file_c = a.file_c;
    inizio.file_a = a.file_a;
    inizio.id_c = a.id_c;
    inizio.id_a = a.id_a;
    return inizio;
}

// The listener of the archive in use: each operation goes to the journal,
// then to the register, both flushed before the clerk is told it is done.
void annota_operazione(std::span<const MODIFICA> gruppo, bool completo) {
    const bool nel_giornale =
        annota_nel_giornale(gruppo, completo, registro_descrizione_prossima());
    const bool nel_registro = annota_nel_registro(gruppo, completo, giornale_attivo());
    bool avvisato = !nel_giornale && avvisa_giornale_mancante(giornale_in_uso());
    if (!nel_registro && avvisa_registro_mancante()) avvisato = true;
    if (avvisato) pausa();
}

bool avvia_giornale_nuovo() {
    const VOCE_GIORNALE inizio = inizio_di(archivio);
    const bool ok = giornale_avvia(archivio.giornale, inizio);
    ascolta_modifiche(annota_operazione);
    if (ok) {
        registro_segue_giornale(inizio.ora, 0);
    } else {
        registro_senza_giornale();
    }
    return ok;
}

template <class N> long conta(const N* lista) {
    long n = 0;
    for (; lista != nullptr; lista = seguente(lista)) ++n;
    return n;
}

// The register of the archive whose fines file is `file_c`.
std::string registro_di(const std::string& file_c) {
    return percorso_registro(segui_collegamenti(file_c));
}

// Before a replay: the operations of the journal found that the register
// lacks (a stop between the two flushes) are noted as they are replayed.
void prepara_recupero_registro(const APERTURA& a) {
    const int64_t inizio = a.letto.voci.front().ora;
    const long gia = registro_voci_del_giornale(registro_di(a.file_c), inizio);
    std::vector<int64_t> ore;
    std::vector<std::string> descrizioni;
    for (const VOCE_GIORNALE& v : a.letto.voci) {
        if (v.tipo != TIPO_VOCE::MODIFICHE) continue;
        ore.push_back(v.ora);
        descrizioni.push_back(v.descrizione);
    }
    registro_prepara_recupero(gia, std::move(ore), std::move(descrizioni));
    if (gia >= 0) ascolta_modifiche(annota_recuperate);
}

// Folders of the archive that others may write to: they may block or
// disturb it there.
std::vector<std::string> cartelle_aperte(const ARCHIVIO_IN_USO& a) {
    std::vector<std::string> aperte;
    for (const std::string* f : {&a.reale_c, &a.reale_a}) {
        const std::string cartella = cartella_di(*f);
        struct stat st;
        if (stat(cartella.c_str(), &st) == 0 && (st.st_mode & S_IWOTH) != 0 &&
            (aperte.empty() || aperte.front() != cartella))
            aperte.push_back(cartella);
    }
    return aperte;
}

// What the journal found says, and a save cut short finished or named.
void esamina_giornale(APERTURA& r) {
    const GIORNALE_SU_DISCO su_disco = leggi_file_giornale(r.percorso_giornale, r.letto);
    if (su_disco == GIORNALE_SU_DISCO::NON_FIDATO) {
        r.giornale = GIORNALE_TROVATO::NON_FIDATO;
        return;
    }
    if (su_disco == GIORNALE_SU_DISCO::NESSUNO) return;
    const GIORNALE_LETTO& g = r.letto;
    if (!g.riconosciuto) {
        r.giornale = GIORNALE_TROVATO::ILLEGGIBILE;
        return;
    }
    // A save it notes as cut short between its renames is finished first:
    // its changes are then in the files, and nothing is left to recover.
    if (g.voci.back().tipo == TIPO_VOCE::SALVATAGGIO) {
        if (completa_salvataggio(g.voci.back(), r.reale_c, r.reale_a) == ROLL_FORWARD::COMPLETO)
            return;
        for (const std::string& f : {r.file_c, r.file_a}) r.salvataggio_incerto.push_back(f);
        r.salvataggio_incerto.push_back(r.percorso_giornale);
        r.esito = 1;
        return;
    }
    if ((r.modifiche = operazioni(g, r.ultima)) > 0) {
        const VOCE_GIORNALE& inizio = g.voci.front();
        const bool stessi = stessa_identita(inizio.id_c, identita_file(r.reale_c.c_str())) &&
                            stessa_identita(inizio.id_a, identita_file(r.reale_a.c_str()));
        r.giornale = stessi ? GIORNALE_TROVATO::RECUPERABILE : GIORNALE_TROVATO::FILE_CAMBIATI;
    }
}

// Replays the journal found over the lists just installed. False when a
// change does not fit them.
bool recupera_giornale(APERTURA& a, ESITO_GIORNALE& e) {
    std::size_t applicate = 0;
    if (!riapplica_giornale(a.letto.voci, applicate, e.non_recuperate)) return false;
    e.recuperato = true;
    int64_t ultima = 0;
    e.recuperate = operazioni(a.letto, ultima) - e.non_recuperate;
    if (e.non_recuperate == 0) {
        e.protetto = giornale_riprendi(a.percorso_giornale, a.letto.lunghezza_valida);
        return true;
    }
    // The whole journal is kept for whoever must look into it; the new one
    // starts from what was replayed. One that cannot be renamed stays, and
    // no new journal takes its place.
    e.messo_da_parte = metti_da_parte(a.percorso_giornale);
    if (e.messo_da_parte.empty()) {
        e.messo_da_parte = a.percorso_giornale;
    } else {
        e.protetto = giornale_avvia(a.percorso_giornale,
                                    std::span<const VOCE_GIORNALE>(a.letto.voci.data(), applicate));
    }
    return true;
}

// The journal of a load that recovered nothing: a journal found is set
// aside and a new one started, unless what is there may not be touched.
void giornale_dopo_caricamento(const APERTURA& a, ESITO_GIORNALE& e) {
    if (a.giornale == GIORNALE_TROVATO::NON_FIDATO) {
        // Never read or appended to: no journal this session.
        giornale_lascia(a.percorso_giornale);
        return;
    }
    if (a.giornale != GIORNALE_TROVATO::NESSUNO) {
        e.messo_da_parte = metti_da_parte(a.percorso_giornale);
        if (e.messo_da_parte.empty()) {
            // It could not be renamed: it stays where it is, and no new
            // journal may take its place.
            e.messo_da_parte = a.percorso_giornale;
            giornale_lascia(a.percorso_giornale);
            return;
        }
    }
    e.protetto = avvia_giornale_nuovo();
}

// The locks a load or a save ends with become the archive's; every other goes.
void tieni_blocco(BLOCCO_ARCHIVIO& nuovo) {
    std::swap(archivio.blocco, nuovo);
    rilascia_blocco(nuovo);
    rilascia_blocco(destinazione);
}

} // namespace

APERTURA apri_archivio(const std::string& file_c, const std::string& file_a,
                       CONFERMA_FORMA conferma) {
    APERTURA r;
    r.file_c = file_c;
    r.file_a = file_a;
    r.reale_c = percorso_assoluto(file_c);
    r.reale_a = percorso_assoluto(file_a);
    r.percorso_giornale = percorso_giornale(segui_collegamenti(file_c));
    const bool gia_in_uso = stesso_blocco(r.reale_c, archivio.blocco);
    if (!gia_in_uso && !stesso_blocco(r.reale_c, destinazione)) {
        const ESITO_BLOCCO b =
            prendi_blocco(r.reale_c, r.reale_a, r.blocco, r.pid, {&archivio.blocco, &destinazione});
        if (b != ESITO_BLOCCO::PRESO) {
            r.esito = 1;
            r.in_uso = b == ESITO_BLOCCO::OCCUPATO;
            if (!r.in_uso) r.blocco_non_fidato = percorso_blocco(segui_collegamenti(file_c));
            return r;
        }
    }
    // The journal of the archive this session holds is this session's own.
    if (!gia_in_uso) esamina_giornale(r);
    if (r.esito == 0) {
        r.id_c = identita_file(r.reale_c.c_str());
        r.id_a = identita_file(r.reale_a.c_str());
        r.esito = leggi_archivio(file_c.c_str(), file_a.c_str(), conferma, r.liste);
    }
    if (r.esito != 0) abbandona_apertura(r);
    return r;
}

void abbandona_apertura(APERTURA& a) {
    rinuncia_blocco(a.blocco);
    libera_lista(a.liste.contravv);
    libera_lista(a.liste.anagraf);
    a.liste = LISTE_LETTE{};
}

ESITO_GIORNALE concludi_apertura(APERTURA& a, bool recupera) {
    ESITO_GIORNALE e;
    e.giornale = a.percorso_giornale;
    const long record_c = static_cast<long>(a.liste.forma_c.record);
    const long record_a = static_cast<long>(a.liste.forma_a.record);
    LISTE_TOLTE vecchie = togli_liste();
    installa_lette(a.liste);
    ascolta_modifiche(nullptr);
    bool fatto = true;
    bool riapplicato = false;
    if (a.giornale == GIORNALE_TROVATO::RECUPERABILE && recupera) {
        prepara_recupero_registro(a);
        riapplicato = recupera_giornale(a, e);
        ascolta_modifiche(nullptr);
    }
    if (!riapplicato) registro_prepara_recupero(-1, {});
    if (a.giornale == GIORNALE_TROVATO::RECUPERABILE && recupera && !riapplicato) {
        // A change that does not fit the files: they are loaded again as
        // they are, and the journal is kept aside; when even that fails,
        // nothing of this load stays.
        LISTE_LETTE di_nuovo;
        fatto = leggi_archivio(a.file_c.c_str(), a.file_a.c_str(), nullptr, di_nuovo) == 0;
        if (fatto) installa_lette(di_nuovo);
    }
    if (!fatto) {
        rimetti_liste(vecchie);
        if (!archivio.reale_c.empty()) ascolta_modifiche(annota_operazione);
        abbandona_apertura(a);
        return e;
    }
    libera_lista(vecchie.contravv);
    libera_lista(vecchie.anagraf);
    e.caricato = true;

    // From here on this is the archive in use.
    if (!stesso_blocco(a.reale_c, archivio.blocco)) {
        if (stesso_blocco(a.reale_c, destinazione)) std::swap(a.blocco, destinazione);
        tieni_blocco(a.blocco);
    }
    lascia_giornale_precedente(a.percorso_giornale);
    archivio.file_c = a.file_c;
    archivio.file_a = a.file_a;
    archivio.reale_c = a.reale_c;
    archivio.reale_a = a.reale_a;
    archivio.giornale = a.percorso_giornale;
    archivio.id_c = a.id_c;
    archivio.id_a = a.id_a;
    e.cartelle_aperte = cartelle_aperte(archivio);
    // The register of the archive left behind ends its session; this one's begins.
    registro_fine_sessione(vecchie.non_salvate, true);
    registro_apri(registro_di(a.file_c));
    const std::vector<FILE_REGISTRATO> file = {
        {"contravvenzioni", a.reale_c, a.id_c, record_c, std::nullopt},
        {"anagrafica", a.reale_a, a.id_a, record_a, std::nullopt}};
    if (e.recuperato) {
        ascolta_modifiche(annota_operazione);
        registro_caricamento(file);
        registro_recupero(a.letto.voci.front().ora, e.recuperate, e.non_recuperate,
                          e.messo_da_parte);
        if (!e.protetto) registro_senza_giornale();
        return e;
    }
    giornale_dopo_caricamento(a, e);
    // After the journal started, so that the entry names it.
    registro_caricamento(file);
    return e;
}

bool blocca_destinazione(const std::string& file_c, const std::string& file_a, long& pid) {
    const std::string reale_c = percorso_assoluto(file_c);
    pid = 0;
    if (stesso_blocco(reale_c, archivio.blocco) || stesso_blocco(reale_c, destinazione))
        return true;
    BLOCCO_ARCHIVIO nuovo;
    if (prendi_blocco(reale_c, percorso_assoluto(file_a), nuovo, pid, {&archivio.blocco}) ==
        ESITO_BLOCCO::OCCUPATO)
        return false;
    rilascia_blocco(destinazione);
    destinazione = nuovo;
    return true;
}

std::vector<std::string> file_cambiati(const std::string& file_c, const std::string& file_a) {
    std::vector<std::string> cambiati;
    for (const std::string* p : {&file_c, &file_a}) {
        const std::string r = percorso_assoluto(*p);
        const IDENTITA_FILE* noto = r == archivio.reale_c   ? &archivio.id_c
                                    : r == archivio.reale_a ? &archivio.id_a
                                                            : nullptr;
        if (noto != nullptr && !stessa_identita(identita_file(r.c_str()), *noto))
            cambiati.push_back(*p);
    }
    return cambiati;
}

bool salva_archivio(const std::string& file_c, const std::string& file_a,
                    ESITO_SALVATAGGIO& esito) {
    esito = ESITO_SALVATAGGIO{};
    ARCHIVIO_IN_USO scritto;
    scritto.file_c = file_c;
    scritto.file_a = file_a;
    scritto.reale_c = percorso_assoluto(file_c);
    scritto.reale_a = percorso_assoluto(file_a);
    const bool stesso = scritto.reale_c == archivio.reale_c;
    scritto.giornale = percorso_giornale(segui_collegamenti(file_c));
    const std::string& giornale = scritto.giornale;

    PASSI_SOSTITUZIONE passi;
    passi.blocca_nuovi = true;
    passi.sotto_blocco = stesso_blocco(scritto.reale_c, archivio.blocco) ||
                         stesso_blocco(scritto.reale_c, destinazione);
    // The register's save entry holds a hash of each file, computed as it is written.
    passi.impronte = registro_previsto();
    // The note goes to the journal of the archive written to: the one in
    // use, or a new one holding only it (another archive, or no journal
    // being written). Without it nothing is renamed.
    bool nota_a_parte = false;
    passi.prima_di_rinominare = [&](const RINOMINE& rr) {
        VOCE_GIORNALE nota = voce_di_adesso(TIPO_VOCE::SALVATAGGIO);
        for (const auto& [temporaneo, dati] : rr)
            nota.rinomine.push_back({percorso_assoluto(temporaneo), percorso_assoluto(dati),
                                     identita_file(temporaneo.c_str()),
                                     identita_file(dati.c_str())});
        if (stesso && giornale_attivo() && giornale_in_uso() == giornale) {
            nota_a_parte = false;
            esito.nota_mancata = !giornale_aggiungi(nota);
            return !esito.nota_mancata;
        }
        scritto.id_c = identita_file(scritto.reale_c.c_str());
        scritto.id_a = identita_file(scritto.reale_a.c_str());
        // Whatever stands at the journal's name (a journal another session
        // left, a colleague's, anything else) is kept aside, never overwritten.
        GIORNALE_LETTO altro;
        if (leggi_file_giornale(giornale, altro) != GIORNALE_SU_DISCO::NESSUNO &&
            metti_da_parte(giornale).empty()) {
            esito.nota_mancata = true;
            return false;
        }
        const VOCE_GIORNALE voci[] = {inizio_di(scritto), nota};
        nota_a_parte = scrivi_giornale(giornale, voci);
        esito.nota_mancata = !nota_a_parte;
        return nota_a_parte;
    };
    passi.rinomina_fallita = [&] {
        // Only once the old files are all back: otherwise the note stays
        // the journal's last word, and the next load names the files.
        if (!passi.esito.rimasti_nuovi.empty()) return;
        if (nota_a_parte) {
            unlink(giornale.c_str());
        } else if (giornale_attivo()) {
            giornale_aggiungi(voce_di_adesso(TIPO_VOCE::SALVATAGGIO_FALLITO));
        }
    };
    const bool salvato = scrivi_archivio(file_c.c_str(), file_a.c_str(), &passi, &esito.fuori);
    esito.rimasti_nuovi = passi.esito.rimasti_nuovi;
    esito.senza_copia = passi.esito.senza_copia;
    // A way back that failed: the note stays the journal's last word, so
    // that the next load names the pair instead of taking it as one archive.
    if (!esito.rimasti_nuovi.empty() && !nota_a_parte) giornale_lascia(giornale);
    if (!salvato) return false;

    scritto.id_c = identita_file(scritto.reale_c.c_str());
    scritto.id_a = identita_file(scritto.reale_a.c_str());
    // The locks of the archive written move to its new files; every other goes.
    BLOCCO_ARCHIVIO& tenuto = stesso ? archivio.blocco : destinazione;
    sposta_blocco(tenuto, passi.descrittori[1], passi.descrittori[0]);
    std::swap(scritto.blocco, tenuto);
    rilascia_blocco(archivio.blocco);
    rilascia_blocco(destinazione);
    lascia_giornale_precedente(giornale);
    archivio = std::move(scritto);
    std::vector<FILE_REGISTRATO> file;
    if (passi.impronte && passi.impronte_scritte.size() == 2)
        file = {{"contravvenzioni", archivio.reale_c, archivio.id_c, conta(lista_contravv),
                 passi.impronte_scritte[1]},
                {"anagrafica", archivio.reale_a, archivio.id_a, conta(lista_anagraf),
                 passi.impronte_scritte[0]}};
    // Saved onto another archive: the register in use says where its
    // operations went, and that archive's register goes on from here.
    const std::string registro = registro_di(file_c);
    std::string altro_registro;
    if (registro != registro_in_uso()) {
        altro_registro = registro_in_uso();
        registro_salvataggio(file, modifiche_non_salvate());
        registro_fine_sessione(0, true);
        registro_apri(registro);
    } else if (!registro_attivo()) {
        // Tried again: the save's entry, counting the operations it saved,
        // shows the verification what the register missed.
        registro_apri(registro);
    }
    avvia_giornale_nuovo();
    registro_salvataggio(file, modifiche_non_salvate(), altro_registro);
    modifiche_salvate();
    return true;
}

void chiudi_archivio() {
    ascolta_modifiche(nullptr);
    registro_fine_sessione(modifiche_non_salvate(), true);
    if (!giornale_in_uso().empty()) giornale_rimuovi();
    rilascia_blocco(archivio.blocco);
    rilascia_blocco(destinazione);
}
