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

// Whether registers are written at all in this process: a setting, not
// the state of a register.
bool escluso = false;

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

} // namespace

std::string nome_utente() {
    if (const passwd* p = getpwuid(geteuid())) return p->pw_name;
    return std::to_string(geteuid());
}

std::string nome_host() {
    char h[256] = {};
    if (gethostname(h, sizeof h - 1) != 0) return "";
    return h;
}

namespace {

// What every entry says first: when, who, where, what.
json voce(REGISTRO_IN_USO& registro, const char* evento) {
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

// Whether entries are written: to the file, or to the database archive's table.
bool scrive(const REGISTRO_IN_USO& registro) {
    return registro.file.fd >= 0 || registro.nel_database != nullptr;
}

// Stops writing the register. `restituisci`: the session closes it, and
// the zeros ahead go back; never after a write that failed, whose torn
// tail stays as it is.
void smetti(REGISTRO_IN_USO& registro, bool restituisci = false) {
    chiudi_file_registro(registro.file, restituisci);
}

// The chain's last entry to the system log, the register named by its
// absolute path and identity (see anchor.h).
void ancora(const REGISTRO_IN_USO& registro) {
    struct stat st;
    if (registro.file.fd < 0 || fstat(registro.file.fd, &st) != 0) return;
    invia_ancora({percorso_assoluto(registro.percorso), static_cast<uint64_t>(st.st_dev),
                  static_cast<uint64_t>(st.st_ino), registro.numero, registro.hash});
}

// Appends the chained lines, flushed; only once they are on disk does the
// register take their chain (last number and hash) and last entry as its own.
bool accoda(REGISTRO_IN_USO& registro, const std::string& righe, uint64_t numero,
            std::string hash, json ultima) {
    if (!(registro.nel_database ? registro.nel_database(righe)
                                : appendi_al_registro(registro.file, righe)))
        return false;
    registro.ultima = std::move(ultima);
    registro.numero = numero;
    registro.hash = std::move(hash);
    registro.a_capo = true;
    return true;
}

// The same as scrivi below for entries held as their members' text (a
// recovery's), each let go once chained.
bool scrivi_membri(REGISTRO_IN_USO& registro, std::vector<MEMBRI>& voci) {
    if (!scrive(registro) || voci.empty()) return scrive(registro);
    try {
        std::string righe = registro.a_capo ? "" : "\n";
        uint64_t numero = registro.numero;
        std::string hash = registro.hash;
        json ultima = json::object();
        for (MEMBRI& m : voci) {
            righe += incatena_membri(m, ++numero, hash);
            if (&m == &voci.back()) {
                // The last entry, as registro.ultima keeps it: all but its
                // records, which may run to megabytes.
                for (const auto& [chiave, testo] : m)
                    if (chiave != "record") ultima.update(json::parse("{" + testo + "}"));
            }
            MEMBRI().swap(m);
        }
        if (accoda(registro, righe, numero, std::move(hash), std::move(ultima))) return true;
    } catch (const std::exception&) {
        // memory, or a text the library cannot write
    }
    smetti(registro);
    return false;
}

// Chains and appends the entries in one write, flushed. On failure the
// register is no longer written to (what was cut short is a torn line).
bool scrivi(REGISTRO_IN_USO& registro, std::vector<json>& voci) {
    if (!scrive(registro) || voci.empty()) return scrive(registro);
    try {
        std::string righe = registro.a_capo ? "" : "\n";
        uint64_t numero = registro.numero;
        std::string hash = registro.hash;
        for (json& v : voci) righe += incatena(v, ++numero, hash);
        if (accoda(registro, righe, numero, std::move(hash), voci.back())) return true;
    } catch (const std::exception&) {
        // memory, or a text the library cannot write
    }
    smetti(registro);
    return false;
}

bool scrivi(REGISTRO_IN_USO& registro, json v) {
    std::vector<json> voci;
    voci.push_back(std::move(v));
    return scrivi(registro, voci);
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

} // namespace

void registro_osserva(REGISTRO_IN_USO& registro, const NODO_CONTRAVV* f, const NODO_ANAGRAF* a) {
    if (!scrive(registro) && registro.da_saltare < 0) return;
    try {
        // A fine is copied, imaged only where its entry needs it (an import
        // touches thousands).
        if (f != nullptr) {
            const bool con = f->con_anagraf && f->anagraf != nullptr;
            registro.prima_di.push_back(
                {true, f->numero, nullptr, {*f, con, con ? f->anagraf->codice : 0}});
        }
        if (a != nullptr)
            registro.prima_di.push_back({false, a->codice, immagine_anagraf(*a), {}});
    } catch (const std::bad_alloc&) {
        // the entry shows that record as new
    }
}

namespace {

// The operation as an entry, the images taken before it used up.
json voce_operazione(REGISTRO_IN_USO& registro, std::span<const MODIFICA> gruppo, bool completo) {
    json v = voce(registro, "operazione");
    descrivi_operazione(registro.prima_di, gruppo, completo, v);
    registro.prima_di.clear();
    return v;
}

} // namespace

bool registro_apri(REGISTRO_IN_USO& registro, const std::string& percorso) {
    // A new file: its chain, its journal and its last entry are read anew;
    // a replay under way and the words for the next operation stay.
    smetti(registro, true);
    registro.nel_database = nullptr;
    registro.percorso = percorso;
    registro.numero = 0;
    registro.hash = HASH_INIZIALE;
    registro.a_capo = true;
    registro.con_giornale = false;
    registro.giornale = 0;
    registro.voce_giornale = 0;
    registro.ultima = json();
    registro.prima_di.clear();
    if (escluso) return false;
    CODA_REGISTRO coda;
    if (!apri_file_registro(percorso, registro.file, coda)) return false;
    registro.a_capo = coda.a_capo;
    registro.ultima = coda.ultima;
    if (coda.ultima.is_object()) {
        const json& n = campo(coda.ultima, "n");
        const json& h = campo(coda.ultima, "hash");
        if (n.is_number_unsigned()) registro.numero = n.get<uint64_t>();
        if (h.is_string()) registro.hash = h.get<std::string>();
    }
    registro.avvisato = false;
    return true;
}

void registro_nel_database(REGISTRO_IN_USO& registro,
                           std::function<bool(std::string_view)> scrivi) {
    registro_apri(registro, "");
    registro.nel_database = std::move(scrivi);
    registro.avvisato = false;
}

void registro_continua(REGISTRO_IN_USO& registro, uint64_t numero, std::string hash) {
    registro.numero = numero;
    registro.hash = std::move(hash);
    registro.a_capo = true;
}

bool registro_attivo(const REGISTRO_IN_USO& registro) {
    return scrive(registro);
}

const std::string& registro_in_uso(const REGISTRO_IN_USO& registro) {
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

void registro_segue_giornale(REGISTRO_IN_USO& registro, int64_t inizio, long voci) {
    registro.con_giornale = true;
    registro.giornale = inizio;
    registro.voce_giornale = voci;
}

void registro_senza_giornale(REGISTRO_IN_USO& registro) {
    registro.con_giornale = false;
}

void registro_caricamento(REGISTRO_IN_USO& registro, const std::vector<FILE_REGISTRATO>& file) {
    try {
        json v = voce(registro, "caricamento");
        v["file"] = file_json(file);
        scrivi(registro, std::move(v));
    } catch (const std::exception&) {
        smetti(registro);
    }
}

void registro_salvataggio(REGISTRO_IN_USO& registro, const std::vector<FILE_REGISTRATO>& file,
                          long modifiche, const std::string& da_registro) {
    try {
        json v = voce(registro, "salvataggio");
        v["file"] = file_json(file);
        v["modifiche_salvate"] = modifiche;
        if (!da_registro.empty()) v["operazioni_nel_registro"] = da_registro;
        if (!scrivi(registro, std::move(v))) return;
    } catch (const std::exception&) {
        smetti(registro);
        return;
    }
    ancora(registro);
}

void registro_salvataggio_ripreso(REGISTRO_IN_USO& registro,
                                  const std::vector<FILE_REGISTRATO>& file) {
    try {
        // Its entry may have been written before the stop.
        const json& ultima = registro.ultima;
        if (ultima.is_object() && campo(ultima, "evento") == "salvataggio") {
            const json fatti = file_json(file);
            const json& scritti = campo(ultima, "file");
            bool stesso = scritti.is_array() && scritti.size() == fatti.size();
            for (std::size_t i = 0; stesso && i < fatti.size(); ++i)
                stesso = campo(scritti[i], "sha256") == campo(fatti[i], "sha256") &&
                         !campo(fatti[i], "sha256").is_null();
            if (stesso) return;
        }
        json v = voce(registro, "salvataggio");
        v["file"] = file_json(file);
        v["modifiche_salvate"] = 0;
        v["completato_al_caricamento"] = true;
        if (scrivi(registro, std::move(v))) ancora(registro);
    } catch (const std::exception&) {
        smetti(registro);
    }
}

void registro_non_salvare(REGISTRO_IN_USO& registro, long modifiche) {
    try {
        json v = voce(registro, "non_salvare");
        v["modifiche_non_salvate"] = modifiche;
        scrivi(registro, std::move(v));
    } catch (const std::exception&) {
        smetti(registro);
    }
}

void registro_fine_sessione(REGISTRO_IN_USO& registro, long non_salvate, bool normale) {
    try {
        json v = voce(registro, "fine_sessione");
        v["modifiche_non_salvate"] = non_salvate;
        v["chiusa_dal_programma"] = normale;
        if (scrivi(registro, std::move(v))) ancora(registro);
    } catch (const std::exception&) {
        // nothing more is written this session
    }
    smetti(registro, true);
    registro.percorso.clear();
}

void registro_prepara_recupero(REGISTRO_IN_USO& registro, long gia, std::vector<int64_t> ore,
                               std::vector<std::string> descrizioni) {
    registro.da_saltare = gia;
    registro.ore_recupero = std::move(ore);
    registro.descrizioni_recupero = std::move(descrizioni);
    registro.gruppi_recupero = 0;
    registro.recuperate.clear();
    registro.prima_di.clear();
}

void annota_recuperate(REGISTRO_IN_USO& registro, std::span<const MODIFICA> gruppo, bool completo) {
    const long i = registro.gruppi_recupero++;
    if (registro.da_saltare < 0 || i < registro.da_saltare) {
        registro.prima_di.clear();
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
                testata = membri_di(voce(registro, "operazione"));
                secondo = ora;
            }
            m = testata;
            if (!descrivi_semplice(registro.prima_di, gruppo, completo, m)) m.clear();
        }
        if (m.empty() && gruppo.size() > 1) {
            m = membri_di(voce(registro, "operazione"));
            if (!descrivi_pagamenti(registro.prima_di, gruppo, completo, m)) m.clear();
        }
        if (m.empty()) m = membri_di(voce_operazione(registro, gruppo, completo));
        registro.prima_di.clear();
        metti_membro(m, "recuperata", "true");
        if (static_cast<std::size_t>(i) < registro.ore_recupero.size())
            metti_membro(m, "quando_operazione",
                         testo_json_di(testo_ora(static_cast<std::time_t>(registro.ore_recupero[i]))));
        if (static_cast<std::size_t>(i) < registro.descrizioni_recupero.size() &&
            !registro.descrizioni_recupero[i].empty())
            metti_membro(m, "descrizione",
                         testo_json_di(registro.descrizioni_recupero[i] +
                                       (completo ? "" : " (registrata in parte: memoria esaurita)")));
        registro.recuperate.push_back(std::move(m));
    } catch (const std::exception&) {
        registro.prima_di.clear();
    }
}

void registro_recupero(REGISTRO_IN_USO& registro, int64_t giornale, long recuperate_n,
                       long non_recuperate, const std::string& messo_da_parte) {
    // Every operation replayed is now in the register: before, in this
    // entry's count, or in the entries after it.
    registro_segue_giornale(registro, giornale, registro.gruppi_recupero);
    try {
        std::vector<MEMBRI> voci;
        voci.reserve(registro.recuperate.size() + 1);
        json v = voce(registro, "recupero");
        v["modifiche_recuperate"] = recuperate_n;
        v["modifiche_non_recuperate"] = non_recuperate;
        v["modifiche_gia_registrate"] =
            registro.da_saltare < 0 ? json(nullptr) : json(registro.da_saltare);
        // Operations registered that the journal never got: a power cut
        // while both were flushed at once, before the clerk was told they
        // were done. They never took effect.
        if (const long mai = registro.da_saltare - recuperate_n - non_recuperate; mai > 0)
            v["registrate_non_avvenute"] = mai;
        if (!messo_da_parte.empty()) v["giornale_messo_da_parte"] = messo_da_parte;
        voci.push_back(membri_di(v));
        long k = registro.da_saltare;
        const std::string testo_giornale = json(giornale).dump();
        for (MEMBRI& r : registro.recuperate) {
            metti_membro(r, "giornale", testo_giornale);
            metti_membro(r, "voce_giornale", std::to_string(++k));
            voci.push_back(std::move(r));
        }
        registro.recuperate.clear();
        scrivi_membri(registro, voci);
    } catch (const std::exception&) {
        smetti(registro);
    }
    registro_prepara_recupero(registro, -1, {});
}

void registro_descrivi_prossima(REGISTRO_IN_USO& registro, std::string descrizione) {
    registro.descrizione_prossima = std::move(descrizione);
}

bool annota_nel_registro(REGISTRO_IN_USO& registro, std::span<const MODIFICA> gruppo, bool completo,
                         bool nel_giornale) {
    const std::string descrizione = std::move(registro.descrizione_prossima);
    registro.descrizione_prossima.clear();
    if (!scrive(registro)) {
        registro.prima_di.clear();
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
        // Many payments at once (an import): the entry written as text
        // straight from the records, each payment in a hundred bytes.
        std::vector<MEMBRI> testo(1);
        if (gruppo.size() > 1) {
            testo[0] = membri_di(voce(registro, "operazione"));
            if (!descrivi_pagamenti(registro.prima_di, gruppo, completo, testo[0]))
                testo[0].clear();
        }
        if (!testo[0].empty()) {
            if (!descrizione.empty())
                metti_membro(testo[0], "descrizione",
                             testo_json_di(descrizione + (completo ? "" : " (registrata in parte: "
                                                                            "memoria esaurita)")));
            registro.prima_di.clear();
            scritto = scrivi_membri(registro, testo);
        } else {
            json v = voce_operazione(registro, gruppo, completo);
            if (!descrizione.empty())
                v["descrizione"] =
                    descrizione + (completo ? "" : " (registrata in parte: memoria esaurita)");
            scritto = scrivi(registro, v);
        }
    } catch (const std::exception&) {
        smetti(registro);
    }
    registro.prima_di.clear();
    return scritto;
}

bool registro_da_avvisare(REGISTRO_IN_USO& registro) {
    if (registro.avvisato || escluso || registro.percorso.empty()) return false;
    registro.avvisato = true;
    return true;
}

void registro_escludi(bool e) {
    escluso = e;
}
