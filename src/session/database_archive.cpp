// The database archive in use: its reading, the listener's transaction,
// the replay of the others' operations, the numbers held for forms.
#include "session/database_archive.h"

#include <algorithm>
#include <ctime>
#include <sodium.h>
#include <unistd.h>

#include "console/console.h"
#include "console/conventions.h"
#include "database/archive_tables.h"
#include "database/record_rows.h"
#include "database/schema.h"
#include "model/changes.h"
#include "model/lists.h"
#include "session/replay.h"
#include "session/journal.h"
#include "storage/archive_files.h"
#include "storage/file_hash.h"
#include "storage/journal_format.h"

namespace {

constexpr const char* MSG_NON_RISPONDE = "\n\n ! ATTENZIONE\n\nIl database non risponde (";
constexpr const char* MSG_NON_ANCORA = "): l'operazione non e' ancora registrata.\n";
constexpr const char* DOMANDA_RIPROVA = "Riprovare? (s/n) ";
constexpr const char* MSG_FORSE_REGISTRATA =
    "\nIl collegamento si e' interrotto alla conferma: l'operazione potrebbe essere stata\n"
    "registrata. I dati saranno riletti dal database, dove si vedra'.\n\n";
constexpr const char* MSG_NON_REGISTRATA =
    "\nL'operazione non e' stata registrata: i dati saranno riletti dal database.\n\n";

void annulla(DATABASE& db) {
    if (db.pg != nullptr && PQtransactionStatus(db.pg.get()) != PQTRANS_IDLE)
        esegui(db, "ROLLBACK");
}

bool collegato(const DATABASE& db) {
    return db.pg != nullptr && PQstatus(db.pg.get()) == CONNECTION_OK;
}

// Connects again after the server went away, and listens again.
bool ricollega(SESSIONE_DATABASE& s) {
    if (collegato(s.db) && esegui(s.db, "SELECT 1")) return true;
    if (collega(s.indirizzo, s.db) != ESITO_COLLEGAMENTO::COLLEGATO) return false;
    s.da_guardare = true; // the others' operations told meanwhile were not heard
    return esegui(s.db, std::string("LISTEN ") + CANALE_OPERAZIONI);
}

std::string segno_nuovo() {
    char b[16];
    randombytes_buf(b, sizeof b);
    return esadecimale(std::string_view(b, sizeof b));
}

// The program that made an operation, as the clerk it stops is told:
// "utente@host, processo N".
std::string chi_sono() {
    return nome_utente() + "@" + nome_host() + ", processo " + std::to_string(getpid());
}

void metti(std::vector<int64_t>& v, int64_t n) {
    if (std::find(v.begin(), v.end(), n) == v.end()) v.push_back(n);
}

// The records the group touches, and how.
CHIAVI_OPERAZIONE chiavi_di(const SESSIONE_DATABASE& s, std::span<const MODIFICA> gruppo) {
    CHIAVI_OPERAZIONE k;
    for (const uint32_t n : s.toccate_c) metti(k.contravvenzioni, n);
    for (const uint32_t n : s.toccate_a) metti(k.anagrafica, n);
    for (const MODIFICA& m : gruppo) {
        switch (m.tipo) {
        case TIPO_MODIFICA::CONTRAVV_AGGIUNTA:
            metti(k.contravvenzioni, m.contravv.numero);
            break;
        case TIPO_MODIFICA::CONTRAVV_CAMBIATA:
        case TIPO_MODIFICA::CONTRAVV_TOLTA:
            metti(k.contravvenzioni, m.dove.id);
            break;
        case TIPO_MODIFICA::ANAGRAF_AGGIUNTA:
            metti(k.anagrafica, m.anagraf.codice);
            break;
        case TIPO_MODIFICA::ANAGRAF_CAMBIATA:
            metti(k.anagrafica, m.dove.id);
            break;
        case TIPO_MODIFICA::ANAGRAF_TOLTA:
        case TIPO_MODIFICA::ANAGRAF_UNITA:
            metti(k.anagrafica, m.dove.id);
            metti(k.rimosse, m.dove.id);
            break;
        }
        if (m.con_anagraf_di) metti(k.usate, m.anagraf_di.id);
    }
    // An owner removed with its fine.
    for (const MODIFICA& m : gruppo)
        if (m.tipo == TIPO_MODIFICA::CONTRAVV_TOLTA && m.anche_anagraf)
            for (const uint32_t n : s.toccate_a) metti(k.rimosse, n);
    return k;
}

int64_t posto_di(const std::map<uint32_t, int64_t>& posti, uint32_t id) {
    const auto i = posti.find(id);
    return i == posti.end() ? 0 : i->second;
}

// The rows of the records the group touched, as they now stand in memory;
// for each record added, the record before it in the table.
bool scrivi_righe(SESSIONE_DATABASE& s, const CHIAVI_OPERAZIONE& k,
                  std::span<const MODIFICA> gruppo, std::vector<int64_t>& dopo_c,
                  std::vector<int64_t>& dopo_a) {
    for (const int64_t n : k.anagrafica)
        if (const NODO_ANAGRAF* a = trova_codice(lista_anagraf, static_cast<unsigned long>(n)))
            if (!scrivi_anagrafica(s.db, *a, posto_di(s.posti_a, a->codice))) return false;
    for (const int64_t n : k.contravvenzioni) {
        const NODO_CONTRAVV* f = trova_numero(lista_contravv, static_cast<unsigned long>(n));
        if (!(f != nullptr ? scrivi_contravvenzione(s.db, *f, posto_di(s.posti_c, f->numero))
                           : togli_contravvenzione(s.db, static_cast<uint32_t>(n))))
            return false;
    }
    for (const int64_t n : k.anagrafica)
        if (trova_codice(lista_anagraf, static_cast<unsigned long>(n)) == nullptr &&
            !togli_anagrafica(s.db, static_cast<uint32_t>(n)))
            return false;
    for (const MODIFICA& m : gruppo) {
        const bool c = m.tipo == TIPO_MODIFICA::CONTRAVV_AGGIUNTA;
        if (!c && m.tipo != TIPO_MODIFICA::ANAGRAF_AGGIUNTA) continue;
        const int64_t posto = c ? posto_di(s.posti_c, m.contravv.numero)
                                : posto_di(s.posti_a, m.anagraf.codice);
        const std::optional<int64_t> prima = precedente_in_tabella(s.db, c, posto);
        if (!prima || !rilascia(s.db, c, c ? m.contravv.numero : m.anagraf.codice)) return false;
        std::vector<int64_t>& dopo = c ? dopo_c : dopo_a;
        dopo.push_back(*prima);
        dopo.push_back(posto);
    }
    return true;
}

// The register's chain goes on from the table's last entry.
bool segui_catena(DATABASE& db, REGISTRO_IN_USO& registro) {
    RISPOSTA r;
    if (!esegui(db, "SELECT voce FROM sanzionario.registro ORDER BY posizione DESC LIMIT 1", {},
                &r))
        return false;
    if (PQntuples(r.get()) == 0) {
        registro_continua(registro, 0, HASH_INIZIALE);
        return true;
    }
    const json v = json::parse(PQgetvalue(r.get(), 0, 0), nullptr, false);
    const json& n = campo(v, "n");
    const json& h = campo(v, "hash");
    if (!n.is_number_unsigned() || !h.is_string()) {
        db.errore = "l'ultima voce del registro nel database non si legge";
        return false;
    }
    registro_continua(registro, n.get<uint64_t>(), h.get<std::string>());
    return true;
}

NODO_CONTRAVV* ultima_di(NODO_CONTRAVV*) {
    return ultima_contravv();
}
NODO_ANAGRAF* ultima_di(NODO_ANAGRAF*) {
    return ultima_anagraf();
}

// Where a record another program added goes: after the record before it
// in the table, past the records of this program that come before it.
template <class N>
N* posto_per(N* lista, const std::map<uint32_t, int64_t>& nostri, int64_t prima, int64_t posto) {
    N* p = nullptr;
    if (prima >= 0) {
        if constexpr (std::is_same_v<N, NODO_CONTRAVV>) {
            p = trova_numero(lista, static_cast<unsigned long>(prima));
        } else {
            p = trova_codice(lista, static_cast<unsigned long>(prima));
        }
        if (p == nullptr) return ultima_di(lista);
    }
    for (N* q = p == nullptr ? lista : p->next; q != nullptr; p = q, q = q->next) {
        const auto i = nostri.find(identificativo(q));
        if (i == nostri.end() || i->second > posto) break;
    }
    return p;
}

} // namespace

// The others' operations replayed here, each new record in its place.
bool riapplica_altrui(SESSIONE_DATABASE& s, const std::vector<OPERAZIONE_REGISTRATA>& ops) {
    std::vector<VOCE_GIORNALE> voci;
    std::vector<int64_t> dopo_c, dopo_a;
    for (const OPERAZIONE_REGISTRATA& o : ops) {
        std::optional<VOCE_GIORNALE> v = decodifica_voce(o.voce);
        if (!v) return false;
        voci.push_back(std::move(*v));
        dopo_c.insert(dopo_c.end(), o.dopo_c.begin(), o.dopo_c.end());
        dopo_a.insert(dopo_a.end(), o.dopo_a.begin(), o.dopo_a.end());
    }
    std::size_t ic = 0, ia = 0;
    POSTI_AGGIUNTE posti;
    posti.contravv = [&](const NODO_CONTRAVV&) -> NODO_CONTRAVV* {
        if (ic + 1 >= dopo_c.size()) return ultima_contravv();
        const int64_t prima = dopo_c[ic], posto = dopo_c[ic + 1];
        ic += 2;
        return posto_per(lista_contravv, s.posti_c, prima, posto);
    };
    posti.anagraf = [&](const NODO_ANAGRAF&) -> NODO_ANAGRAF* {
        if (ia + 1 >= dopo_a.size()) return ultima_anagraf();
        const int64_t prima = dopo_a[ia], posto = dopo_a[ia + 1];
        ia += 2;
        return posto_per(lista_anagraf, s.posti_a, prima, posto);
    };
    // Not this clerk's operations: nothing is reported or observed.
    ASCOLTATORE_MODIFICHE ascoltatore = ascoltatore_modifiche();
    OSSERVATORE_PRIMA osservatore = osservatore_prima();
    ascolta_modifiche(nullptr);
    osserva_prima(nullptr);
    std::size_t applicate = 0;
    long escluse = 0;
    const bool fatto = riapplica_giornale(voci, applicate, escluse, &posti) && escluse == 0;
    ascolta_modifiche(ascoltatore);
    osserva_prima(osservatore);
    return fatto;
}

namespace {

enum class ESITO_SCRITTURA {
    FATTA,
    CONFLITTO,
    CADUTA, // not done
    IGNOTA, // the connection went at the commit: done or not, the server knows
};

ESITO_SCRITTURA scrivi_operazione(SESSIONE_DATABASE& s, REGISTRO_IN_USO& registro,
                                  std::span<const MODIFICA> gruppo, bool completo,
                                  const CHIAVI_OPERAZIONE& k, const std::string& voce,
                                  const std::string& segno, AUTORE_OPERAZIONE& autore,
                                  std::vector<OPERAZIONE_REGISTRATA>& altrui, int64_t& id) {
    if (!esegui(s.db, "BEGIN") || !blocca_archivio(s.db)) return ESITO_SCRITTURA::CADUTA;
    const std::optional<bool> c = conflitto(s.db, s.visto, k, autore);
    if (!c) return ESITO_SCRITTURA::CADUTA;
    if (*c) {
        annulla(s.db);
        return ESITO_SCRITTURA::CONFLITTO;
    }
    std::vector<int64_t> dopo_c, dopo_a;
    std::optional<int64_t> scritta;
    if (!operazioni_dopo(s.db, s.visto, altrui) || !scrivi_righe(s, k, gruppo, dopo_c, dopo_a) ||
        !segui_catena(s.db, registro) || !annota_nel_registro(registro, gruppo, completo, false) ||
        !(scritta = registra_operazione(s.db, chi_sono(), segno, voce, k, dopo_c, dopo_a))) {
        annulla(s.db);
        return ESITO_SCRITTURA::CADUTA;
    }
    if (!esegui(s.db, "COMMIT")) {
        annulla(s.db);
        return collegato(s.db) ? ESITO_SCRITTURA::CADUTA : ESITO_SCRITTURA::IGNOTA;
    }
    id = *scritta;
    return ESITO_SCRITTURA::FATTA;
}

// After a connection lost: whether the operation written with `segno` was done.
std::optional<int64_t> gia_fatta(SESSIONE_DATABASE& s, const std::string& segno) {
    if (!ricollega(s)) return std::nullopt;
    return operazione_con_segno(s.db, segno);
}

} // namespace

int leggi_database(const std::string& indirizzo, DATABASE& db, LISTE_LETTE& liste,
                   int64_t& visto, std::string& errore) {
    const auto fallita = [&](std::string perche) {
        errore = std::move(perche);
        annulla(db);
        return 1;
    };
    if (collega(indirizzo, db) != ESITO_COLLEGAMENTO::COLLEGATO) return fallita(db.errore);
    // A schema of an older program is brought up to date first.
    int trovata = 0;
    if (!esegui(db, "BEGIN")) return fallita(db.errore);
    const ESITO_SCHEMA schema = prepara_schema(db, trovata);
    if (schema == ESITO_SCHEMA::PIU_NUOVO)
        return fallita("lo schema del database e' di una versione piu' nuova del programma");
    if (schema != ESITO_SCHEMA::PRONTO) return fallita(db.errore);
    if (trovata == 0)
        return fallita("il database non contiene un archivio (si importa con \"sanzionario "
                       "importa-archivio\")");
    if (!esegui(db, "COMMIT") ||
        !esegui(db, "BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY"))
        return fallita(db.errore);
    const std::optional<int64_t> ultima = ultima_operazione(db);
    if (!ultima || !leggi_tabelle(db, liste)) return fallita(db.errore);
    esegui(db, "COMMIT");
    visto = *ultima;
    return 0;
}

void usa_database(SESSIONE_DATABASE& s, DATABASE&& db, const std::string& indirizzo,
                  int64_t visto) {
    s.db = std::move(db);
    s.indirizzo = indirizzo;
    s.visto = visto;
    s.posti_c.clear();
    s.posti_a.clear();
    s.toccate_c.clear();
    s.toccate_a.clear();
    s.rifiutata = false;
    s.da_rileggere = false;
    s.da_guardare = false;
    esegui(s.db, std::string("LISTEN ") + CANALE_OPERAZIONI);
}

void osserva_per_database(SESSIONE_DATABASE& s, const NODO_CONTRAVV* f, const NODO_ANAGRAF* a) {
    if (f != nullptr) s.toccate_c.push_back(f->numero);
    if (a != nullptr) s.toccate_a.push_back(a->codice);
}

void annota_nel_database(SESSIONE_DATABASE& s, REGISTRO_IN_USO& registro,
                         std::span<const MODIFICA> gruppo, bool completo) {
    const CHIAVI_OPERAZIONE k = chiavi_di(s, gruppo);
    s.toccate_c.clear();
    s.toccate_a.clear();
    VOCE_GIORNALE v = voce_di_adesso(TIPO_VOCE::MODIFICHE);
    v.modifiche.assign(gruppo.begin(), gruppo.end());
    v.descrizione = registro.descrizione_prossima;
    std::string voce;
    codifica_voce(v, voce);
    const std::string segno = segno_nuovo();
    s.motivo.clear();
    s.forse_fatta = false;
    bool ritentata = false;
    bool incerta = false; // a commit's answer lost, not yet asked of the server
    // What the register's entry is made of, for each attempt: a failed one
    // used them up.
    const std::vector<PRIMA_DI> immagini = registro.prima_di;
    const std::string descrizione = registro.descrizione_prossima;
    // Done, refused or given up: none of them belongs to the next operation.
    struct DOPO {
        REGISTRO_IN_USO& r;
        ~DOPO() {
            r.prima_di.clear();
            r.descrizione_prossima.clear();
        }
    } dopo{registro};
    for (;;) {
        registro.prima_di = immagini;
        registro.descrizione_prossima = descrizione;
        AUTORE_OPERAZIONE autore;
        std::vector<OPERAZIONE_REGISTRATA> altrui;
        int64_t id = 0;
        const ESITO_SCRITTURA e = collegato(s.db) ? scrivi_operazione(s, registro, gruppo, completo, k,
                                                                     voce, segno, autore, altrui, id)
                                                  : ESITO_SCRITTURA::CADUTA;
        if (e == ESITO_SCRITTURA::CONFLITTO) {
            const std::string chi = "(utente " + autore.utente + ", " + autore.chi +
                                    ") ha cambiato questi dati il " + autore.quando;
            s.motivo = "un altro impiegato " + chi;
            if (s.domande)
                console_out() << "\n\n ! ATTENZIONE\n\nUn altro impiegato " << chi
                              << ": l'operazione non e' stata registrata.\n";
            s.rifiutata = true;
            s.da_rileggere = true;
            return;
        }
        if (e == ESITO_SCRITTURA::CADUTA || e == ESITO_SCRITTURA::IGNOTA) {
            const std::string perche = s.db.errore;
            incerta = incerta || e == ESITO_SCRITTURA::IGNOTA;
            if (collegato(s.db) && esegui(s.db, "SELECT 1")) {
                // The server is there and refused the operation itself:
                // asking again would not change its answer.
                s.motivo = "il database ha rifiutato l'operazione (" + perche + ")";
                if (s.domande)
                    console_out() << "\n\n ! ATTENZIONE\n\nIl database ha rifiutato l'operazione ("
                                  << perche << "): non e' stata registrata.\n";
                s.rifiutata = true;
                s.da_rileggere = true;
                return;
            }
            const std::optional<int64_t> fatta = gia_fatta(s, segno);
            if (fatta) incerta = false;
            if (fatta && *fatta > 0) {
                // Done before the connection went: the lists are read again.
                s.da_rileggere = true;
                return;
            }
            if (fatta && !ritentata) {
                // Connected again at once (the server restarted, a connection
                // cut): the operation goes again without a question.
                ritentata = true;
                continue;
            }
            if (s.domande) {
                console_out() << MSG_NON_RISPONDE << perche << MSG_NON_ANCORA;
                if (domanda_sn(DOMANDA_RIPROVA)) continue;
                console_out() << (incerta ? MSG_FORSE_REGISTRATA : MSG_NON_REGISTRATA);
            }
            s.motivo = "il database non risponde (" + perche + ")";
            s.forse_fatta = incerta;
            s.rifiutata = true;
            s.da_rileggere = true;
            return;
        }
        if (!altrui.empty() && !riapplica_altrui(s, altrui)) s.da_rileggere = true;
        s.visto = id;
        return;
    }
}

bool aggiorna_dal_database(SESSIONE_DATABASE& s) {
    if (!s.da_rileggere && !s.da_guardare) {
        // Only when the server told of new operations (or the connection went).
        if (!collegato(s.db)) {
            s.da_rileggere = true;
        } else {
            PQconsumeInput(s.db.pg.get());
            bool detto = false;
            while (PGnotify* n = PQnotifies(s.db.pg.get())) {
                detto = true;
                PQfreemem(n);
            }
            if (!detto && PQstatus(s.db.pg.get()) == CONNECTION_OK) return true;
        }
    }
    if (!ricollega(s)) return false;
    if (!s.da_rileggere) {
        std::vector<OPERAZIONE_REGISTRATA> ops;
        if (!operazioni_dopo(s.db, s.visto, ops)) return false;
        s.da_guardare = false;
        if (ops.empty()) return true;
        if (riapplica_altrui(s, ops)) {
            s.visto = ops.back().id;
            return true;
        }
    }
    // Read again whole: after a refusal, a connection lost, or a replay that did not fit.
    DATABASE db;
    LISTE_LETTE liste;
    int64_t visto = 0;
    std::string errore;
    if (leggi_database(s.indirizzo, db, liste, visto, errore) != 0) return false;
    LISTE_TOLTE vecchie = togli_liste();
    installa_lette(liste);
    libera_lista(vecchie.contravv);
    libera_lista(vecchie.anagraf);
    s.db = std::move(db);
    s.visto = visto;
    s.rifiutata = false;
    s.da_rileggere = false;
    s.da_guardare = false;
    return esegui(s.db, std::string("LISTEN ") + CANALE_OPERAZIONI);
}

std::optional<uint32_t> prenota_numero(SESSIONE_DATABASE& s, bool contravvenzioni,
                                       bool& esauriti) {
    esauriti = false;
    for (;;) {
        PRENOTAZIONE p;
        const ESITO_PRENOTAZIONE e =
            ricollega(s) ? prenota(s.db, contravvenzioni, p) : ESITO_PRENOTAZIONE::ERRORE;
        if (e == ESITO_PRENOTAZIONE::FATTA) {
            (contravvenzioni ? s.posti_c : s.posti_a)[p.numero] = p.posizione;
            return p.numero;
        }
        if (e == ESITO_PRENOTAZIONE::ESAURITI) {
            esauriti = true;
            return std::nullopt;
        }
        if (!s.domande) return std::nullopt;
        console_out() << MSG_NON_RISPONDE << s.db.errore
                      << "): non si puo' dare un numero al nuovo dato.\n";
        if (!domanda_sn(DOMANDA_RIPROVA)) return std::nullopt;
    }
}

void rinuncia_numero(SESSIONE_DATABASE& s, bool contravvenzioni, uint32_t numero) {
    (contravvenzioni ? s.posti_c : s.posti_a).erase(numero);
    if (collegato(s.db)) rilascia(s.db, contravvenzioni, numero);
}

bool scrivi_nel_registro(SESSIONE_DATABASE& s, std::string_view righe) {
    while (!righe.empty()) {
        const std::size_t fine = righe.find('\n');
        const std::string riga(righe.substr(0, fine));
        righe.remove_prefix(fine == std::string_view::npos ? righe.size() : fine + 1);
        if (riga.empty()) continue;
        if (!esegui(s.db, "INSERT INTO sanzionario.registro (voce) VALUES ($1)", {riga.c_str()}))
            return false;
    }
    return true;
}

bool registra_evento(SESSIONE_DATABASE& s, REGISTRO_IN_USO& registro,
                     const std::function<void()>& scrivi) {
    if (!collegato(s.db) || !esegui(s.db, "BEGIN") || !blocca_archivio(s.db) ||
        !segui_catena(s.db, registro)) {
        annulla(s.db);
        return false;
    }
    scrivi();
    if (!esegui(s.db, "COMMIT")) {
        annulla(s.db);
        return false;
    }
    return true;
}
