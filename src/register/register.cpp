// The register in use: its file, the chain's last hash and number, the
// images taken before each operation, and the entries of the session.
#include "register/register.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "register/anchor.h"
#include "register/register_file.h"
#include "storage/file_ops.h"

namespace {

struct REGISTRO_IN_USO {
    int fd = -1;
    std::string percorso;
    uint64_t numero = 0; // of the last entry
    std::string hash = HASH_INIZIALE;
    bool a_capo = true;
    bool con_giornale = false;
    int64_t giornale = 0; // when the journal the entries belong to began
    long voce_giornale = 0;
};

REGISTRO_IN_USO registro;
bool avvisato = false;
bool escluso = false;
std::vector<PRIMA_DI> prima_di;              // of the operation under way
long da_saltare = -1;                        // a replay: groups the register holds
std::vector<int64_t> ore_recupero;           // a replay: the time of each group
std::vector<std::string> descrizioni_recupero; // a replay: the words of each group, if any
long gruppi_recupero = 0;                    // a replay: groups seen
std::vector<MEMBRI> recuperate;              // a replay: entries to write, as text

std::string testo_ora(std::time_t t) {
    std::tm locale{};
    localtime_r(&t, &locale);
    char s[40];
    const std::size_t n = std::strftime(s, sizeof s, "%Y-%m-%dT%H:%M:%S%z", &locale);
    if (n < 5) return s;
    char r[44];
    // +0100 becomes +01:00
    std::snprintf(r, sizeof r, "%.*s:%s", static_cast<int>(n - 2), s, s + n - 2);
    return r;
}

std::string nome_utente() {
    if (const passwd* p = getpwuid(geteuid())) return p->pw_name;
    return std::to_string(geteuid());
}

std::string nome_host() {
    char h[256] = {};
    if (gethostname(h, sizeof h - 1) != 0) return "";
    return h;
}

// What every entry says first: when, who, where, what.
json voce(const char* evento) {
    // Asked once: a recovery writes thousands of entries at once.
    static const std::string utente = nome_utente();
    static const std::string host = nome_host();
    json v = {{"quando", testo_ora(std::time(nullptr))},
              {"utente", utente},
              {"host", host},
              {"processo", static_cast<long>(getpid())},
              {"evento", evento}};
    if (const char* sudo = std::getenv("SUDO_USER"); sudo != nullptr && *sudo != '\0')
        v["utente_sudo"] = sudo;
    if (registro.con_giornale) {
        v["giornale"] = registro.giornale;
        v["voce_giornale"] = registro.voce_giornale;
    }
    return v;
}

void smetti() {
    if (registro.fd >= 0) close(registro.fd);
    registro.fd = -1;
}

// The chain's last entry to the system log, the register named by its
// absolute path and identity (see anchor.h).
void ancora() {
    struct stat st;
    if (registro.fd < 0 || fstat(registro.fd, &st) != 0) return;
    invia_ancora({percorso_assoluto(registro.percorso), static_cast<uint64_t>(st.st_dev),
                  static_cast<uint64_t>(st.st_ino), registro.numero, registro.hash});
}

// Chains and appends the entries in one write, flushed. On failure the
// register is no longer written to (what was cut short is a torn line).
// The same for entries held as their members' text (a recovery's), each
// let go once chained.
bool scrivi_membri(std::vector<MEMBRI>& voci) {
    if (registro.fd < 0 || voci.empty()) return registro.fd >= 0;
    try {
        std::string righe = registro.a_capo ? "" : "\n";
        uint64_t numero = registro.numero;
        std::string hash = registro.hash;
        for (MEMBRI& m : voci) {
            righe += incatena_membri(m, ++numero, hash);
            MEMBRI().swap(m);
        }
        if (appendi_al_registro(registro.fd, righe)) {
            registro.numero = numero;
            registro.hash = std::move(hash);
            registro.a_capo = true;
            return true;
        }
    } catch (const std::exception&) {
        // memory, or a text the library cannot write
    }
    smetti();
    return false;
}

bool scrivi(std::vector<json>& voci) {
    if (registro.fd < 0 || voci.empty()) return registro.fd >= 0;
    try {
        std::string righe = registro.a_capo ? "" : "\n";
        uint64_t numero = registro.numero;
        std::string hash = registro.hash;
        for (json& v : voci) righe += incatena(v, ++numero, hash);
        if (appendi_al_registro(registro.fd, righe)) {
            registro.numero = numero;
            registro.hash = std::move(hash);
            registro.a_capo = true;
            return true;
        }
    } catch (const std::exception&) {
        // memory, or a text the library cannot write
    }
    smetti();
    return false;
}

bool scrivi(json v) {
    std::vector<json> voci;
    voci.push_back(std::move(v));
    return scrivi(voci);
}

json file_json(const std::vector<FILE_REGISTRATO>& file) {
    json a = json::array();
    for (const FILE_REGISTRATO& f : file) {
        json j = {{"ruolo", f.ruolo},
                  {"percorso", f.percorso},
                  {"record", f.record},
                  {"identita",
                   {{"dispositivo", f.identita.dispositivo},
                    {"inode", f.identita.inode},
                    {"dimensione", f.identita.dimensione},
                    {"modifica_s", f.identita.modifica_s},
                    {"modifica_ns", f.identita.modifica_ns}}}};
        if (f.impronta) j["sha256"] = esadecimale(*f.impronta);
        a.push_back(std::move(j));
    }
    return a;
}

// The words for the next operation's entry, when its caller gave them.
std::string descrizione_prossima;

// The images of the records an operation is about to change.
void osserva(const NODO_CONTRAVV* f, const NODO_ANAGRAF* a) {
    if (registro.fd < 0 && da_saltare < 0) return;
    try {
        if (f != nullptr) {
            const bool con = f->con_anagraf && f->anagraf != nullptr;
            prima_di.push_back({true, f->numero, nullptr, {*f, con, con ? f->anagraf->codice : 0}});
        }
        if (a != nullptr) prima_di.push_back({false, a->codice, immagine_anagraf(*a), {}});
    } catch (const std::bad_alloc&) {
        // the entry shows that record as new
    }
}

// The operation as an entry, the images taken before it used up.
json voce_operazione(std::span<const MODIFICA> gruppo, bool completo) {
    json v = voce("operazione");
    descrivi_operazione(prima_di, gruppo, completo, v);
    prima_di.clear();
    return v;
}

} // namespace

bool registro_apri(const std::string& percorso) {
    smetti();
    registro = REGISTRO_IN_USO{};
    registro.percorso = percorso;
    prima_di.clear();
    osserva_prima(osserva);
    if (escluso) return false;
    CODA_REGISTRO coda;
    registro.fd = apri_file_registro(percorso, coda);
    if (registro.fd < 0) return false;
    registro.a_capo = coda.a_capo;
    if (coda.ultima.is_object()) {
        const json& n = campo(coda.ultima, "n");
        const json& h = campo(coda.ultima, "hash");
        if (n.is_number_unsigned()) registro.numero = n.get<uint64_t>();
        if (h.is_string()) registro.hash = h.get<std::string>();
    }
    avvisato = false;
    return true;
}

bool registro_attivo() {
    return registro.fd >= 0;
}

const std::string& registro_in_uso() {
    return registro.percorso;
}

bool registro_previsto() {
    return !escluso;
}

long registro_voci_del_giornale(const std::string& percorso, int64_t inizio) {
    CODA_REGISTRO coda;
    if (escluso || !leggi_coda_registro(percorso, coda) || !coda.ultima.is_object()) return -1;
    const json& g = campo(coda.ultima, "giornale");
    const json& k = campo(coda.ultima, "voce_giornale");
    if (!g.is_number_integer() || g.get<int64_t>() != inizio || !k.is_number_integer()) return -1;
    return k.get<long>();
}

void registro_segue_giornale(int64_t inizio, long voci) {
    registro.con_giornale = true;
    registro.giornale = inizio;
    registro.voce_giornale = voci;
}

void registro_senza_giornale() {
    registro.con_giornale = false;
}

void registro_caricamento(const std::vector<FILE_REGISTRATO>& file) {
    try {
        json v = voce("caricamento");
        v["file"] = file_json(file);
        scrivi(std::move(v));
    } catch (const std::exception&) {
        smetti();
    }
}

void registro_salvataggio(const std::vector<FILE_REGISTRATO>& file, long modifiche,
                          const std::string& da_registro) {
    try {
        json v = voce("salvataggio");
        v["file"] = file_json(file);
        v["modifiche_salvate"] = modifiche;
        if (!da_registro.empty()) v["operazioni_nel_registro"] = da_registro;
        if (!scrivi(std::move(v))) return;
    } catch (const std::exception&) {
        smetti();
        return;
    }
    ancora();
}

void registro_non_salvare(long modifiche) {
    try {
        json v = voce("non_salvare");
        v["modifiche_non_salvate"] = modifiche;
        scrivi(std::move(v));
    } catch (const std::exception&) {
        smetti();
    }
}

void registro_fine_sessione(long non_salvate, bool normale) {
    try {
        json v = voce("fine_sessione");
        v["modifiche_non_salvate"] = non_salvate;
        v["chiusa_dal_programma"] = normale;
        if (scrivi(std::move(v))) ancora();
    } catch (const std::exception&) {
        // nothing more is written this session
    }
    smetti();
    registro.percorso.clear();
}

void registro_prepara_recupero(long gia, std::vector<int64_t> ore,
                               std::vector<std::string> descrizioni) {
    da_saltare = gia;
    ore_recupero = std::move(ore);
    descrizioni_recupero = std::move(descrizioni);
    // The images before each replayed operation, even where no register
    // was opened yet in this process (the first load).
    if (gia >= 0) osserva_prima(osserva);
    gruppi_recupero = 0;
    recuperate.clear();
    prima_di.clear();
}

void annota_recuperate(std::span<const MODIFICA> gruppo, bool completo) {
    const long i = gruppi_recupero++;
    if (da_saltare < 0 || i < da_saltare) {
        prima_di.clear();
        return;
    }
    try {
        // Kept as text: a journal of thousands of operations the register
        // lacks is written in one batch, without a tree of values each.
        MEMBRI m;
        if (gruppo.size() == 1) {
            // What every entry of the recovery says alike, written once;
            // the time once a second.
            static MEMBRI testata;
            static std::time_t secondo = -1;
            if (const std::time_t ora = std::time(nullptr); ora != secondo || testata.empty()) {
                testata = membri_di(voce("operazione"));
                secondo = ora;
            }
            m = testata;
            if (!descrivi_semplice(prima_di, gruppo, completo, m)) m.clear();
        }
        if (m.empty()) m = membri_di(voce_operazione(gruppo, completo));
        prima_di.clear();
        metti_membro(m, "recuperata", "true");
        if (static_cast<std::size_t>(i) < ore_recupero.size())
            metti_membro(m, "quando_operazione",
                         testo_json_di(testo_ora(static_cast<std::time_t>(ore_recupero[i]))));
        if (static_cast<std::size_t>(i) < descrizioni_recupero.size() &&
            !descrizioni_recupero[i].empty())
            metti_membro(m, "descrizione",
                         testo_json_di(descrizioni_recupero[i] +
                                       (completo ? "" : " (registrata in parte: memoria esaurita)")));
        recuperate.push_back(std::move(m));
    } catch (const std::exception&) {
        prima_di.clear();
    }
}

void registro_recupero(int64_t giornale, long recuperate_n, long non_recuperate,
                       const std::string& messo_da_parte) {
    // Every operation replayed is now in the register: before, in this
    // entry's count, or in the entries after it.
    registro_segue_giornale(giornale, gruppi_recupero);
    try {
        std::vector<MEMBRI> voci;
        voci.reserve(recuperate.size() + 1);
        json v = voce("recupero");
        v["modifiche_recuperate"] = recuperate_n;
        v["modifiche_non_recuperate"] = non_recuperate;
        v["modifiche_gia_registrate"] = da_saltare < 0 ? json(nullptr) : json(da_saltare);
        if (!messo_da_parte.empty()) v["giornale_messo_da_parte"] = messo_da_parte;
        voci.push_back(membri_di(v));
        long k = da_saltare;
        const std::string testo_giornale = json(giornale).dump();
        for (MEMBRI& r : recuperate) {
            metti_membro(r, "giornale", testo_giornale);
            metti_membro(r, "voce_giornale", std::to_string(++k));
            voci.push_back(std::move(r));
        }
        recuperate.clear();
        scrivi_membri(voci);
    } catch (const std::exception&) {
        smetti();
    }
    registro_prepara_recupero(-1, {});
}

void registro_descrivi_prossima(std::string descrizione) {
    descrizione_prossima = std::move(descrizione);
}

const std::string& registro_descrizione_prossima() {
    return descrizione_prossima;
}

bool annota_nel_registro(std::span<const MODIFICA> gruppo, bool completo, bool nel_giornale) {
    const std::string descrizione = std::move(descrizione_prossima);
    descrizione_prossima.clear();
    if (registro.fd < 0) {
        prima_di.clear();
        return true;
    }
    // The journal's entry was written first: this one names it.
    if (registro.con_giornale && nel_giornale) {
        ++registro.voce_giornale;
    } else {
        registro.con_giornale = false;
    }
    bool scritto = false;
    try {
        json v = voce_operazione(gruppo, completo);
        if (!descrizione.empty())
            v["descrizione"] = descrizione + (completo ? "" : " (registrata in parte: memoria esaurita)");
        scritto = scrivi(v);
    } catch (const std::exception&) {
        smetti();
    }
    prima_di.clear();
    return scritto;
}

bool registro_da_avvisare() {
    if (avvisato || escluso || registro.percorso.empty()) return false;
    avvisato = true;
    return true;
}

void registro_escludi(bool e) {
    escluso = e;
    if (e) smetti();
}
