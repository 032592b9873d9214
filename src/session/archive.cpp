// The session: the archive in use, its state, its locks, and the one way
// into an archive for every mode.
#include "session/archive.h"

#include <chrono>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

#include "console/console.h"
#include "model/changes.h"
#include "model/lists.h"
#include "model/walk.h"
#include "register/register.h"
#include "session/database_archive.h"
#include "session/journal.h"
#include "session/replay.h"
#include "session/roll_forward.h"
#include "session/warnings.h"
#include "storage/atomic_write.h"
#include "storage/file_ops.h"
#include "storage/put_in_place.h"

namespace {

// The one value that holds the session: what it is doing, with which
// archive, and what keeps that archive.
struct SESSIONE {
    STATO_SESSIONE stato = STATO_SESSIONE::NESSUN_ARCHIVIO;
    NOMI_ARCHIVIO nomi;           // of the archive in use
    IDENTITA_FILE id_c, id_a;     // its data files, as loaded or last saved (or last looked at)
    IDENTITA_FILE id_giornale;    // CONSULTAZIONE: the holder's journal at the last look
    BLOCCO_ARCHIVIO blocco;       // the archive in use, held
    BLOCCO_ARCHIVIO destinazione; // another archive a "Salva con nome..." is aimed at
    GIORNALE_IN_USO giornale;     // the recovery journal written to
    REGISTRO_IN_USO registro;     // the register written to
    SESSIONE_DATABASE database;   // DATABASE: the connection and what the lists hold of the log
};

SESSIONE sessione;

// A reader waits this long for a save under way before it looks again.
constexpr auto ATTESA_LETTORE = std::chrono::milliseconds(20);
constexpr int TENTATIVI_LETTORE = 250;

bool tiene_archivio() {
    return sessione.stato == STATO_SESSIONE::TITOLARE ||
           sessione.stato == STATO_SESSIONE::TITOLARE_SENZA_PROTEZIONE;
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

// The journal of the archive left behind goes: its changes were saved
// elsewhere or dropped by the clerk.
void lascia_giornale_precedente(const std::string& nuovo) {
    if (!sessione.giornale.percorso.empty() && sessione.giornale.percorso != nuovo)
        giornale_rimuovi(sessione.giornale);
}

VOCE_GIORNALE inizio_di(const NOMI_ARCHIVIO& n, const IDENTITA_FILE& id_c,
                        const IDENTITA_FILE& id_a) {
    VOCE_GIORNALE inizio = voce_di_adesso(TIPO_VOCE::INIZIO);
    inizio.file_c = n.file_c;
    inizio.file_a = n.file_a;
    inizio.id_c = id_c;
    inizio.id_a = id_a;
    return inizio;
}

// The listener of the archive held: each operation goes to the journal,
// then to the register, both flushed before the clerk is told it is done.
// Anywhere else (a replay, a consultation) nothing is written.
void annota_operazione(std::span<const MODIFICA> gruppo, bool completo) {
    if (!tiene_archivio()) return;
    bool nel_giornale = annota_nel_giornale(sessione.giornale, gruppo, completo,
                                            sessione.registro.descrizione_prossima);
    // The journal's entry is written first; its flush goes on while the
    // register's entry is written and flushed, and is awaited here.
    const bool nel_registro = annota_nel_registro(sessione.registro, gruppo, completo,
                                                  giornale_attivo(sessione.giornale));
    nel_giornale = giornale_attendi(sessione.giornale) && nel_giornale;
    if (!giornale_attivo(sessione.giornale))
        sessione.stato = STATO_SESSIONE::TITOLARE_SENZA_PROTEZIONE;
    bool avvisato = !nel_giornale && avvisa_giornale_mancante(sessione.giornale.percorso);
    if (!nel_registro && avvisa_registro_mancante()) avvisato = true;
    if (avvisato) pausa();
}

// The images the register's entry of an operation shows before it.
void osserva_sessione(const NODO_CONTRAVV* f, const NODO_ANAGRAF* a) {
    registro_osserva(sessione.registro, f, a);
    if (sessione.stato == STATO_SESSIONE::DATABASE) osserva_per_database(sessione.database, f, a);
}

// The one listener of the model's changes, for the whole process: what a
// change becomes depends on the session's state alone. Held: an
// operation, journaled and registered. Replaying a journal found: an
// operation the register may lack. Anything else: nothing.
void ascolta_sessione(std::span<const MODIFICA> gruppo, bool completo) {
    if (sessione.stato == STATO_SESSIONE::RIPRODUZIONE) {
        annota_recuperate(sessione.registro, gruppo, completo);
    } else if (sessione.stato == STATO_SESSIONE::DATABASE) {
        annota_nel_database(sessione.database, sessione.registro, gruppo, completo);
        modifiche_salvate(); // stored, or refused and read again: nothing to save
    } else {
        annota_operazione(gruppo, completo);
    }
}

// The journal starts afresh from `inizio` for the archive held; the
// register's entries from now on belong to it.
bool avvia_giornale(const VOCE_GIORNALE& inizio) {
    const bool ok = giornale_avvia(sessione.giornale, sessione.nomi.giornale, inizio);
    sessione.stato = ok ? STATO_SESSIONE::TITOLARE : STATO_SESSIONE::TITOLARE_SENZA_PROTEZIONE;
    if (ok) {
        registro_segue_giornale(sessione.registro, inizio.ora, 0);
    } else {
        registro_senza_giornale(sessione.registro);
    }
    return ok;
}

template <class N> long conta(const N* lista) {
    long n = 0;
    for (; lista != nullptr; lista = seguente(lista)) ++n;
    return n;
}

// Before a replay: the operations of the journal found that the register
// lacks (a stop between the two flushes) are noted as they are replayed.
void prepara_recupero_registro(const APERTURA& a) {
    const int64_t inizio = a.letto.voci.front().ora;
    const long gia = registro_voci_del_giornale(a.nomi.registro, inizio);
    std::vector<int64_t> ore;
    std::vector<std::string> descrizioni;
    for (const VOCE_GIORNALE& v : a.letto.voci) {
        if (v.tipo != TIPO_VOCE::MODIFICHE) continue;
        ore.push_back(v.ora);
        descrizioni.push_back(v.descrizione);
    }
    registro_prepara_recupero(sessione.registro, gia, std::move(ore), std::move(descrizioni));
}

// Folders of the archive that others may write to: they may block or
// disturb it there.
std::vector<std::string> cartelle_aperte(const NOMI_ARCHIVIO& n) {
    std::vector<std::string> aperte;
    for (const std::string* f : {&n.reale_c, &n.reale_a}) {
        const std::string cartella = cartella_di(*f);
        struct stat st;
        if (stat(cartella.c_str(), &st) == 0 && (st.st_mode & S_IWOTH) != 0 &&
            (aperte.empty() || aperte.front() != cartella))
            aperte.push_back(cartella);
    }
    return aperte;
}

// A save cut short that cannot be finished: the files that exist, then the journal.
void salvataggio_incerto(APERTURA& r, const ESAME_SALVATAGGIO& e) {
    r.salvataggio_incerto = e.presenti;
    if (r.salvataggio_incerto.empty()) r.salvataggio_incerto = {r.nomi.file_c, r.nomi.file_a};
    r.salvataggio_incerto.push_back(r.nomi.giornale);
    r.esito = 1;
}

// What a journal read says of the files, for any mode: changes to recover
// (on these very files or on others), or nothing.
void classifica_giornale(APERTURA& r, const IDENTITA_FILE& id_c, const IDENTITA_FILE& id_a) {
    r.giornale = GIORNALE_TROVATO::NESSUNO;
    if ((r.modifiche = operazioni(r.letto, r.ultima)) == 0) return;
    const VOCE_GIORNALE& inizio = r.letto.voci.front();
    const bool stessi = stessa_identita(inizio.id_c, id_c) && stessa_identita(inizio.id_a, id_a);
    r.giornale = stessi ? GIORNALE_TROVATO::RECUPERABILE : GIORNALE_TROVATO::FILE_CAMBIATI;
}

// The journal found by a holder, and a save cut short finished or named.
// A save finished here puts new files in place: the locks follow them, and
// the leftovers of that save go (this session holds the archive).
void esamina_giornale(APERTURA& r) {
    const GIORNALE_SU_DISCO su_disco = leggi_file_giornale(r.nomi.giornale, r.letto);
    if (su_disco == GIORNALE_SU_DISCO::NON_FIDATO) {
        r.giornale = GIORNALE_TROVATO::NON_FIDATO;
        return;
    }
    if (su_disco == GIORNALE_SU_DISCO::NESSUNO) return;
    if (!r.letto.riconosciuto) {
        r.giornale = GIORNALE_TROVATO::ILLEGGIBILE;
        return;
    }
    // A save it notes as cut short between its renames is finished first:
    // its changes are then in the files, and nothing is left to recover.
    if (r.letto.voci.back().tipo == TIPO_VOCE::SALVATAGGIO) {
        const ESAME_SALVATAGGIO e = esamina_salvataggio(r.letto.voci.back(), r.nomi);
        if (completa_salvataggio(e) != ROLL_FORWARD::COMPLETO) {
            salvataggio_incerto(r, e);
            return;
        }
        r.completato = r.letto.voci.back();
        if (!riblocca_dati(r.blocco, r.nomi.reale_c, r.nomi.reale_a, r.pid)) {
            r.esito = 1;
            r.in_uso = true;
            return;
        }
        togli_avanzi(r.nomi.file_c);
        togli_avanzi(r.nomi.file_a);
        return;
    }
    classifica_giornale(r, identita_file(r.nomi.reale_c.c_str()),
                        identita_file(r.nomi.reale_a.c_str()));
}

// The holder's way in: its locks, its journal, both files.
void apri_come_titolare(APERTURA& r, CONFERMA_FORMA conferma) {
    const NOMI_ARCHIVIO& n = r.nomi;
    const bool gia_in_uso = tiene_archivio() && stesso_blocco(n.reale_c, sessione.blocco);
    if (!gia_in_uso && !stesso_blocco(n.reale_c, sessione.destinazione)) {
        const ESITO_BLOCCO b = prendi_blocco(n.reale_c, n.reale_a, r.blocco, r.pid,
                                             {&sessione.blocco, &sessione.destinazione});
        if (b != ESITO_BLOCCO::PRESO) {
            r.esito = 1;
            r.in_uso = b == ESITO_BLOCCO::OCCUPATO;
            if (r.in_uso) {
                r.titolare = titolare_archivio(n.blocco, n.reale_c, n.reale_a);
                if (r.titolare.pid == 0) r.titolare.pid = r.pid;
                r.pid = r.titolare.pid;
            } else {
                r.blocco_non_fidato = n.blocco;
            }
            return;
        }
    }
    // The journal of the archive this session holds is this session's own.
    if (!gia_in_uso) esamina_giornale(r);
    if (r.esito != 0) return;
    r.id_c = identita_file(n.reale_c.c_str());
    r.id_a = identita_file(n.reale_a.c_str());
    r.esito = leggi_archivio(n.file_c.c_str(), n.file_a.c_str(), conferma, r.liste);
}

// One look of a reader: the holder, the journal, both files. False when
// the look must be taken again (a save under way or just made).
bool guarda_come_lettore(APERTURA& r, CONFERMA_FORMA conferma) {
    const NOMI_ARCHIVIO& n = r.nomi;
    r.titolare = titolare_archivio(n.blocco, n.reale_c, n.reale_a);
    const bool tenuto = r.titolare.pid != 0;
    r.letto = GIORNALE_LETTO{};
    r.id_giornale = identita_file(n.giornale.c_str());
    const GIORNALE_SU_DISCO su_disco = leggi_file_giornale(n.giornale, r.letto);
    r.giornale = GIORNALE_TROVATO::NESSUNO;
    r.giornale_altrui = tenuto && su_disco == GIORNALE_SU_DISCO::NON_FIDATO;
    if (su_disco == GIORNALE_SU_DISCO::NON_FIDATO && !tenuto)
        r.giornale = GIORNALE_TROVATO::NON_FIDATO;
    if (su_disco == GIORNALE_SU_DISCO::LETTO && !r.letto.riconosciuto)
        r.giornale = GIORNALE_TROVATO::ILLEGGIBILE;
    const bool riconosciuto = su_disco == GIORNALE_SU_DISCO::LETTO && r.letto.riconosciuto;

    std::string da_c = n.file_c, da_a = n.file_a;
    r.salvataggio_interrotto = false;
    if (riconosciuto && r.letto.voci.back().tipo == TIPO_VOCE::SALVATAGGIO) {
        if (tenuto) return false; // the holder is saving: its files are moving
        // Read as the next load would put them in place.
        const ESAME_SALVATAGGIO e = esamina_salvataggio(r.letto.voci.back(), n);
        if (!e.certo) {
            salvataggio_incerto(r, e);
            return true;
        }
        for (std::size_t i = 0; i < e.destinazione.size(); ++i)
            (e.destinazione[i] == n.reale_c ? da_c : da_a) = e.contenuto[i];
        r.salvataggio_interrotto = true;
        r.completato = r.letto.voci.back();
    }
    const IDENTITA_FILE prima_c = identita_file(da_c.c_str());
    const IDENTITA_FILE prima_a = identita_file(da_a.c_str());
    r.esito = leggi_archivio(da_c.c_str(), da_a.c_str(), conferma, r.liste);
    r.id_c = identita_file(da_c.c_str());
    r.id_a = identita_file(da_a.c_str());
    if (!stessa_identita(prima_c, r.id_c) || !stessa_identita(prima_a, r.id_a)) {
        abbandona_apertura(r); // replaced while being read
        return false;
    }
    if (riconosciuto && !r.salvataggio_interrotto) {
        classifica_giornale(r, r.id_c, r.id_a);
        // The holder's journal speaks of other files: it has just saved.
        if (tenuto && r.giornale == GIORNALE_TROVATO::FILE_CAMBIATI) {
            abbandona_apertura(r);
            return false;
        }
    }
    return true;
}

void apri_come_lettore(APERTURA& r, CONFERMA_FORMA conferma) {
    for (int prova = 0; prova < TENTATIVI_LETTORE; ++prova) {
        r.esito = 0;
        if (guarda_come_lettore(r, conferma)) return;
        std::this_thread::sleep_for(ATTESA_LETTORE);
    }
    r.esito = 1;
    r.salvataggio_in_corso = true;
}

// The register of a save that a stop cut short after its renames and
// before its entry, finished by this load.
void registra_salvataggio_completato(const APERTURA& a) {
    if (!a.completato) return;
    std::vector<FILE_REGISTRATO> file;
    for (const RINOMINA& r : a.completato->rinomine) {
        const bool multe = percorso_assoluto(r.destinazione) == a.nomi.reale_c ||
                           nome_di(r.destinazione) == nome_di(a.nomi.reale_c);
        file.push_back({multe ? "contravvenzioni" : "anagrafica",
                        multe ? a.nomi.reale_c : a.nomi.reale_a, multe ? a.id_c : a.id_a,
                        multe ? static_cast<long>(a.liste.forma_c.record)
                              : static_cast<long>(a.liste.forma_a.record),
                        r.impronta});
    }
    registro_salvataggio_ripreso(sessione.registro, file);
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
        e.protetto =
            giornale_riprendi(sessione.giornale, a.nomi.giornale, a.letto.lunghezza_valida);
        return true;
    }
    // The whole journal is kept for whoever must look into it; the new one
    // starts from what was replayed. One that cannot be renamed stays, and
    // no new journal takes its place.
    e.messo_da_parte = metti_da_parte(sessione.giornale, a.nomi.giornale);
    if (e.messo_da_parte.empty()) {
        e.messo_da_parte = a.nomi.giornale;
    } else {
        e.protetto = giornale_avvia(sessione.giornale, a.nomi.giornale,
                                    std::span<const VOCE_GIORNALE>(a.letto.voci.data(), applicate));
    }
    return true;
}

// The journal of a load that recovered nothing: a journal found is set
// aside and a new one started, unless what is there may not be touched.
void giornale_dopo_caricamento(const APERTURA& a, ESITO_GIORNALE& e) {
    if (a.giornale == GIORNALE_TROVATO::NON_FIDATO) {
        // Never read or appended to: no journal this session.
        giornale_lascia(sessione.giornale, a.nomi.giornale);
        sessione.stato = STATO_SESSIONE::TITOLARE_SENZA_PROTEZIONE;
        return;
    }
    if (a.giornale != GIORNALE_TROVATO::NESSUNO) {
        e.messo_da_parte = metti_da_parte(sessione.giornale, a.nomi.giornale);
        if (e.messo_da_parte.empty()) {
            // It could not be renamed: it stays where it is, and no new
            // journal may take its place.
            e.messo_da_parte = a.nomi.giornale;
            giornale_lascia(sessione.giornale, a.nomi.giornale);
            sessione.stato = STATO_SESSIONE::TITOLARE_SENZA_PROTEZIONE;
            return;
        }
    }
    e.protetto = avvia_giornale(inizio_di(sessione.nomi, sessione.id_c, sessione.id_a));
}

// The locks a load or a save ends with become the archive's; every other goes.
void tieni_blocco(BLOCCO_ARCHIVIO& nuovo) {
    std::swap(sessione.blocco, nuovo);
    rilascia_blocco(nuovo);
    rilascia_blocco(sessione.destinazione);
}

// A database archive's opening put in use: the lists, the connection, the
// register in its table; every operation from now on goes to the database.
ESITO_GIORNALE concludi_database(APERTURA& a) {
    ESITO_GIORNALE e;
    if (sessione.stato != STATO_SESSIONE::NESSUN_ARCHIVIO) chiudi_archivio();
    LISTE_TOLTE vecchie = togli_liste();
    installa_lette(a.liste);
    libera_lista(vecchie.contravv);
    libera_lista(vecchie.anagraf);
    sessione.stato = STATO_SESSIONE::DATABASE;
    sessione.nomi = a.nomi;
    usa_database(sessione.database, std::move(a.db), a.nomi.database, a.visto);
    sessione.database.domande = a.modo == MODO_APERTURA::TITOLARE;
    ascolta_modifiche(ascolta_sessione);
    osserva_prima(osserva_sessione);
    if (registro_previsto())
        registro_nel_database(sessione.registro, [](std::string_view righe) {
            return scrivi_nel_registro(sessione.database, righe);
        });
    e.caricato = true;
    e.protetto = true;
    if (a.modo == MODO_APERTURA::LETTORE) return e;
    registra_evento(sessione.database, sessione.registro, [&] {
        const std::string nome = nome_database(sessione.database.db);
        registro_caricamento(sessione.registro,
                             {{"contravvenzioni", nome, {}, conta(lista_contravv), std::nullopt},
                              {"anagrafica", nome, {}, conta(lista_anagraf), std::nullopt}});
    });
    return e;
}

// A reader's opening put in use: the holder's confirmed changes replayed
// in memory, nothing written anywhere.
ESITO_GIORNALE concludi_lettura(APERTURA& a) {
    ESITO_GIORNALE e;
    e.giornale = a.nomi.giornale;
    if (sessione.stato != STATO_SESSIONE::NESSUN_ARCHIVIO &&
        sessione.stato != STATO_SESSIONE::CONSULTAZIONE)
        chiudi_archivio();
    // A reader's replay is the holder's work: nothing of it is written.
    registro_prepara_recupero(sessione.registro, -1, {});
    sessione.stato = STATO_SESSIONE::RIPRODUZIONE;
    ascolta_modifiche(ascolta_sessione);
    osserva_prima(osserva_sessione);
    LISTE_TOLTE vecchie = togli_liste();
    installa_lette(a.liste);
    if (a.giornale == GIORNALE_TROVATO::RECUPERABILE && a.titolare.pid != 0) {
        std::size_t applicate = 0;
        e.recuperato = riapplica_giornale(a.letto.voci, applicate, e.non_recuperate);
        if (e.recuperato) {
            int64_t ultima = 0;
            e.recuperate = operazioni(a.letto, ultima) - e.non_recuperate;
        } else {
            // The holder's journal does not fit: the last save as it is.
            LISTE_LETTE di_nuovo;
            if (leggi_archivio(a.nomi.file_c.c_str(), a.nomi.file_a.c_str(), nullptr, di_nuovo) !=
                0) {
                rimetti_liste(vecchie);
                sessione.stato = STATO_SESSIONE::NESSUN_ARCHIVIO;
                return e;
            }
            installa_lette(di_nuovo);
        }
    }
    libera_lista(vecchie.contravv);
    libera_lista(vecchie.anagraf);
    modifiche_salvate(); // what was replayed is the holder's, not this session's
    sessione.stato = STATO_SESSIONE::CONSULTAZIONE;
    sessione.nomi = a.nomi;
    sessione.id_c = identita_file(a.nomi.reale_c.c_str());
    sessione.id_a = identita_file(a.nomi.reale_a.c_str());
    sessione.id_giornale = a.id_giornale;
    e.caricato = true;
    return e;
}

// The note of a save to the archive of `nomi`: in the journal in use when
// it is that archive's, otherwise in a new journal holding only it (another
// archive, or no journal being written), whatever stood at its name kept
// aside, never overwritten. False when it could not be written.
bool annota_salvataggio(const NOMI_ARCHIVIO& nomi, bool stesso, const VOCE_GIORNALE& nota,
                        bool& nota_a_parte) {
    nota_a_parte = false;
    if (stesso && giornale_attivo(sessione.giornale) && sessione.giornale.percorso == nomi.giornale)
        return giornale_aggiungi(sessione.giornale, nota);
    GIORNALE_LETTO altro;
    if (leggi_file_giornale(nomi.giornale, altro) != GIORNALE_SU_DISCO::NESSUNO &&
        metti_da_parte(sessione.giornale, nomi.giornale).empty())
        return false;
    const VOCE_GIORNALE voci[] = {
        inizio_di(nomi, identita_file(nomi.reale_c.c_str()), identita_file(nomi.reale_a.c_str())),
        nota};
    nota_a_parte = scrivi_giornale(nomi.giornale, voci);
    return nota_a_parte;
}

// A save whose renames failed: the note says so once the old files are
// all back; otherwise it stays the journal's last word, so that the next
// load names the pair instead of taking it as one archive.
void annota_salvataggio_fallito(const NOMI_ARCHIVIO& nomi, bool nota_a_parte,
                                const ESITO_POSTO& posto) {
    if (posto.rimasti_nuovi.empty()) {
        if (nota_a_parte) {
            unlink(nomi.giornale.c_str());
        } else if (giornale_attivo(sessione.giornale)) {
            giornale_aggiungi(sessione.giornale, voce_di_adesso(TIPO_VOCE::SALVATAGGIO_FALLITO));
        }
    } else if (!nota_a_parte) {
        giornale_lascia(sessione.giornale, nomi.giornale);
    }
}

} // namespace

GIORNALE_IN_USO& giornale_sessione() {
    return sessione.giornale;
}

REGISTRO_IN_USO& registro_sessione() {
    return sessione.registro;
}

void sessione_interrotta() {
    if (sessione.stato == STATO_SESSIONE::DATABASE) {
        registra_evento(sessione.database, sessione.registro,
                        [] { registro_fine_sessione(sessione.registro, 0, false); });
        return;
    }
    registro_fine_sessione(sessione.registro, modifiche_non_salvate(), false);
}

bool archivio_database() {
    return sessione.stato == STATO_SESSIONE::DATABASE;
}

std::optional<uint32_t> numero_per_nuovo(bool contravvenzioni, bool& esauriti) {
    esauriti = false;
    if (archivio_database()) return prenota_numero(sessione.database, contravvenzioni, esauriti);
    const std::optional<uint32_t> n =
        contravvenzioni ? numero_nuovo(lista_contravv) : codice_nuovo(lista_anagraf);
    esauriti = !n;
    return n;
}

void rinuncia_al_numero(bool contravvenzioni, uint32_t numero) {
    if (archivio_database()) rinuncia_numero(sessione.database, contravvenzioni, numero);
}

bool operazione_rifiutata() {
    if (!archivio_database() || !sessione.database.rifiutata) return false;
    aggiorna_dal_database(sessione.database);
    sessione.database.rifiutata = false;
    return true;
}

const std::string& motivo_rifiuto() {
    return sessione.database.motivo;
}

bool rifiutata_forse_fatta() {
    return sessione.database.forse_fatta;
}

bool aggiorna_database() {
    return !archivio_database() || aggiorna_dal_database(sessione.database);
}

STATO_SESSIONE stato_sessione() {
    return sessione.stato;
}

bool sola_consultazione() {
    return sessione.stato == STATO_SESSIONE::CONSULTAZIONE;
}

APERTURA apri_archivio(const NOMI_ARCHIVIO& nomi, MODO_APERTURA modo, CONFERMA_FORMA conferma) {
    APERTURA r;
    r.modo = modo;
    r.nomi = nomi;
    if (!nomi.database.empty()) {
        // Several programs share it: nobody holds it, nobody is shut out.
        r.esito = leggi_database(nomi.database, r.db, r.liste, r.visto, r.errore_database);
        return r;
    }
    if (nomi.stesso_file) {
        // One file cannot be both: neither would be read as what it is.
        r.esito = 1;
        r.stesso_file = true;
        return r;
    }
    if (modo == MODO_APERTURA::LETTORE) {
        apri_come_lettore(r, conferma);
    } else {
        apri_come_titolare(r, conferma);
    }
    if (r.esito != 0) {
        abbandona_apertura(r);
        return r;
    }
    r.forma_c = r.liste.forma_c;
    r.forma_a = r.liste.forma_a;
    r.orfane = r.liste.orfane;
    return r;
}

void abbandona_apertura(APERTURA& a) {
    rinuncia_blocco(a.blocco);
    libera_lista(a.liste.contravv);
    libera_lista(a.liste.anagraf);
    a.liste = LISTE_LETTE{};
}

ESITO_GIORNALE concludi_apertura(APERTURA& a, bool recupera) {
    if (!a.nomi.database.empty()) return concludi_database(a);
    if (a.modo == MODO_APERTURA::LETTORE) return concludi_lettura(a);
    ESITO_GIORNALE e;
    e.giornale = a.nomi.giornale;
    const long record_c = static_cast<long>(a.liste.forma_c.record);
    const long record_a = static_cast<long>(a.liste.forma_a.record);
    const STATO_SESSIONE stato_prima = sessione.stato;
    LISTE_TOLTE vecchie = togli_liste();
    installa_lette(a.liste);
    ascolta_modifiche(ascolta_sessione);
    osserva_prima(osserva_sessione);
    bool fatto = true;
    bool riapplicato = false;
    const bool da_recuperare = a.giornale == GIORNALE_TROVATO::RECUPERABILE && recupera;
    if (da_recuperare) {
        sessione.stato = STATO_SESSIONE::RIPRODUZIONE;
        prepara_recupero_registro(a);
        riapplicato = recupera_giornale(a, e);
        sessione.stato = stato_prima; // until the archive in use is settled below
    }
    if (!riapplicato) registro_prepara_recupero(sessione.registro, -1, {});
    if (da_recuperare && !riapplicato) {
        // A change that does not fit the files: they are loaded again as
        // they are, and the journal is kept aside; when even that fails,
        // nothing of this load stays.
        LISTE_LETTE di_nuovo;
        fatto =
            leggi_archivio(a.nomi.file_c.c_str(), a.nomi.file_a.c_str(), nullptr, di_nuovo) == 0;
        if (fatto) installa_lette(di_nuovo);
    }
    if (!fatto) {
        rimetti_liste(vecchie);
        sessione.stato = stato_prima;
        abbandona_apertura(a);
        return e;
    }
    libera_lista(vecchie.contravv);
    libera_lista(vecchie.anagraf);
    e.caricato = true;

    // From here on this is the archive in use.
    if (!stesso_blocco(a.nomi.reale_c, sessione.blocco)) {
        if (stesso_blocco(a.nomi.reale_c, sessione.destinazione))
            std::swap(a.blocco, sessione.destinazione);
        tieni_blocco(a.blocco);
    }
    lascia_giornale_precedente(a.nomi.giornale);
    sessione.nomi = a.nomi;
    sessione.id_c = a.id_c;
    sessione.id_a = a.id_a;
    e.cartelle_aperte = cartelle_aperte(sessione.nomi);
    // The register of the archive left behind ends its session; this one's begins.
    if (stato_prima != STATO_SESSIONE::CONSULTAZIONE)
        registro_fine_sessione(sessione.registro, vecchie.non_salvate, true);
    registro_apri(sessione.registro, a.nomi.registro);
    registra_salvataggio_completato(a);
    const std::vector<FILE_REGISTRATO> file = {
        {"contravvenzioni", a.nomi.reale_c, a.id_c, record_c, std::nullopt},
        {"anagrafica", a.nomi.reale_a, a.id_a, record_a, std::nullopt}};
    if (e.recuperato) {
        sessione.stato =
            e.protetto ? STATO_SESSIONE::TITOLARE : STATO_SESSIONE::TITOLARE_SENZA_PROTEZIONE;
        registro_caricamento(sessione.registro, file);
        registro_recupero(sessione.registro, a.letto.voci.front().ora, e.recuperate,
                          e.non_recuperate, e.messo_da_parte);
        if (!e.protetto) registro_senza_giornale(sessione.registro);
        return e;
    }
    giornale_dopo_caricamento(a, e);
    // After the journal started, so that the entry names it.
    registro_caricamento(sessione.registro, file);
    return e;
}

bool aggiorna_consultazione() {
    if (sessione.stato != STATO_SESSIONE::CONSULTAZIONE) return true;
    const NOMI_ARCHIVIO& n = sessione.nomi;
    if (stessa_identita(identita_file(n.reale_c.c_str()), sessione.id_c) &&
        stessa_identita(identita_file(n.reale_a.c_str()), sessione.id_a) &&
        stessa_identita(identita_file(n.giornale.c_str()), sessione.id_giornale))
        return true;
    // Records the clerk agreed to read as they are at the first look are
    // read so again.
    APERTURA a = apri_archivio(n, MODO_APERTURA::LETTORE, nullptr);
    if (a.esito != 0) return false;
    return concludi_apertura(a, true).caricato;
}

bool blocca_destinazione(const std::string& file_c, const std::string& file_a, long& pid) {
    const NOMI_ARCHIVIO n = nomi_archivio(file_c, file_a);
    pid = 0;
    if (stesso_blocco(n.reale_c, sessione.blocco) ||
        stesso_blocco(n.reale_c, sessione.destinazione))
        return true;
    BLOCCO_ARCHIVIO nuovo;
    if (prendi_blocco(n.reale_c, n.reale_a, nuovo, pid, {&sessione.blocco}) ==
        ESITO_BLOCCO::OCCUPATO)
        return false;
    rilascia_blocco(sessione.destinazione);
    sessione.destinazione = nuovo;
    return true;
}

std::vector<std::string> file_cambiati(const std::string& file_c, const std::string& file_a) {
    std::vector<std::string> cambiati;
    const NOMI_ARCHIVIO n = nomi_archivio(file_c, file_a);
    for (const auto& [r, scritto] :
         {std::pair{&n.reale_c, &file_c}, std::pair{&n.reale_a, &file_a}}) {
        const IDENTITA_FILE* noto = *r == sessione.nomi.reale_c   ? &sessione.id_c
                                    : *r == sessione.nomi.reale_a ? &sessione.id_a
                                                                  : nullptr;
        if (noto != nullptr && !stessa_identita(identita_file(r->c_str()), *noto))
            cambiati.push_back(*scritto);
    }
    return cambiati;
}

bool salva_archivio(const std::string& file_c, const std::string& file_a,
                    ESITO_SALVATAGGIO& esito) {
    esito = ESITO_SALVATAGGIO{};
    if (sessione.stato == STATO_SESSIONE::CONSULTAZIONE) return false;
    const NOMI_ARCHIVIO nomi = nomi_archivio(file_c, file_a);
    const bool stesso = nomi.reale_c == sessione.nomi.reale_c && tiene_archivio();

    // First step: both files written beside the data files, flushed,
    // fingerprinted (for the note and the register) and locked.
    FILE_PREPARATI p;
    if (!prepara_archivio(file_c.c_str(), file_a.c_str(), registro_previsto(), p, &esito.fuori))
        return false;
    VOCE_GIORNALE nota = voce_di_adesso(TIPO_VOCE::SALVATAGGIO);
    for (std::size_t i = 0; i < p.rinomine.size(); ++i) {
        const auto& [temporaneo, dati] = p.rinomine[i];
        nota.rinomine.push_back(
            {percorso_assoluto(temporaneo), percorso_assoluto(dati),
             identita_file(temporaneo.c_str()), identita_file(dati.c_str()),
             i < p.impronte.size() ? std::optional(p.impronte[i]) : std::nullopt});
    }
    // The note, then the second step: without the note nothing is renamed.
    bool nota_a_parte = false;
    if (!annota_salvataggio(nomi, stesso, nota, nota_a_parte)) {
        esito.nota_mancata = true;
        rinuncia_preparati(p);
        return false;
    }
    ESITO_POSTO posto;
    if (!metti_preparati(p, posto)) {
        esito.rimasti_nuovi = posto.rimasti_nuovi;
        annota_salvataggio_fallito(nomi, nota_a_parte, posto);
        rinuncia_preparati(p);
        return false;
    }
    esito.senza_copia = posto.senza_copia;

    // The locks of the archive written move to its new files (the owners
    // file was prepared first); every other goes.
    BLOCCO_ARCHIVIO& tenuto = stesso ? sessione.blocco : sessione.destinazione;
    sposta_blocco(tenuto, p.descrittori[1], p.descrittori[0]);
    p.descrittori.clear();
    BLOCCO_ARCHIVIO nuovo;
    std::swap(nuovo, tenuto);
    tieni_blocco(nuovo);
    // The leftovers of a save a stop cut short are known stale under the lock.
    togli_avanzi(file_c);
    togli_avanzi(file_a);
    lascia_giornale_precedente(nomi.giornale);
    sessione.nomi = nomi;
    sessione.id_c = identita_file(nomi.reale_c.c_str());
    sessione.id_a = identita_file(nomi.reale_a.c_str());
    std::vector<FILE_REGISTRATO> file;
    if (p.impronte.size() == 2)
        file = {
            {"contravvenzioni", nomi.reale_c, sessione.id_c, conta(lista_contravv), p.impronte[1]},
            {"anagrafica", nomi.reale_a, sessione.id_a, conta(lista_anagraf), p.impronte[0]}};
    // Saved onto another archive: the register in use says where its
    // operations went, and that archive's register goes on from here.
    std::string altro_registro;
    if (nomi.registro != registro_in_uso(sessione.registro)) {
        altro_registro = registro_in_uso(sessione.registro);
        registro_salvataggio(sessione.registro, file, modifiche_non_salvate());
        registro_fine_sessione(sessione.registro, 0, true);
        registro_apri(sessione.registro, nomi.registro);
    } else if (!registro_attivo(sessione.registro)) {
        // Tried again: the save's entry, counting the operations it saved,
        // shows the verification what the register missed.
        registro_apri(sessione.registro, nomi.registro);
    }
    // The register's entry comes before the journal starts afresh: a stop
    // between the renames and the entry leaves the note the journal's last
    // word, and the next load writes the entry. The entry already names the
    // journal that starts next.
    const VOCE_GIORNALE inizio = inizio_di(nomi, sessione.id_c, sessione.id_a);
    registro_segue_giornale(sessione.registro, inizio.ora, 0);
    registro_salvataggio(sessione.registro, file, modifiche_non_salvate(), altro_registro);
    avvia_giornale(inizio);
    modifiche_salvate();
    return true;
}

void chiudi_archivio() {
    if (archivio_database())
        registra_evento(sessione.database, sessione.registro,
                        [] { registro_fine_sessione(sessione.registro, 0, true); });
    if (tiene_archivio()) registro_fine_sessione(sessione.registro, modifiche_non_salvate(), true);
    if (!sessione.giornale.percorso.empty()) giornale_rimuovi(sessione.giornale);
    rilascia_blocco(sessione.blocco);
    rilascia_blocco(sessione.destinazione);
    sessione = SESSIONE{};
}

std::vector<IMPRONTA> impronte_della_nota(const std::optional<VOCE_GIORNALE>& nota) {
    std::vector<IMPRONTA> impronte;
    if (nota)
        for (const RINOMINA& r : nota->rinomine)
            if (r.impronta) impronte.push_back(*r.impronta);
    return impronte;
}

std::string chi_tiene(const TITOLARE_ARCHIVIO& t) {
    if (t.pid > 0 && !t.utente.empty())
        return " (utente " + t.utente + ", processo " + std::to_string(t.pid) + ")";
    if (t.pid > 0) return " (processo " + std::to_string(t.pid) + ")";
    return "";
}

std::string testo_archivio_in_uso(const TITOLARE_ARCHIVIO& t) {
    return "L'archivio e' gia' in uso in un'altra sessione" + chi_tiene(t) +
           ".\nChiudere l'altra sessione e riprovare.\n";
}
