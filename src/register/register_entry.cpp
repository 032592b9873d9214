// Register entries: record images in UTF-8, what an operation did, and
// the hash that chains each line to the one before.
#include "register/register_entry.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "console/encoding.h"
#include "console/text.h"
#include "storage/file_hash.h"

namespace {

json data(DATA d) {
    if (d.gg == 0 && d.mm == 0 && d.aaaa == 0) return nullptr;
    char t[40];
    std::snprintf(t, sizeof t, "%02d/%02d/%04d", d.gg, d.mm, d.aaaa);
    return t;
}

struct VOCE_RECORD {
    bool contravv;
    uint32_t id;
    json prima;
    json dopo; // discarded while it is still `prima` (not copied until it must be)
};

// The record's image after the operation, as far as it is known yet.
json& dopo_di(VOCE_RECORD& r) {
    if (r.dopo.is_discarded()) r.dopo = r.prima;
    return r.dopo;
}

// The records of an operation in the order first met, each found by its
// kind and identifier in constant time (an import touches thousands).
struct VOCI {
    std::vector<VOCE_RECORD> elenco;
    std::unordered_map<uint64_t, std::size_t> dove;
};

VOCE_RECORD& voce_di(VOCI& v, bool contravv, uint32_t id) {
    const uint64_t chiave = (uint64_t{contravv} << 32) | id;
    const auto [posto, nuova] = v.dove.emplace(chiave, v.elenco.size());
    if (nuova) v.elenco.push_back(VOCE_RECORD{contravv, id, nullptr, nullptr});
    return v.elenco[posto->second];
}

json proprietario_di(const MODIFICA& m) {
    return m.con_anagraf_di ? json(m.anagraf_di.id) : json(nullptr);
}

// The fines still standing that pointed to the owner `codice`: moved to
// `altro`, or (null) detached and their payments cleared.
void sposta_multe(VOCI& v, uint32_t codice, const json& altro) {
    for (VOCE_RECORD& r : v.elenco) {
        if (!r.contravv) continue;
        const json& ora = r.dopo.is_discarded() ? r.prima : r.dopo;
        if (!ora.is_object() || campo(ora, "proprietario") != json(codice)) continue;
        dopo_di(r);
        r.dopo["proprietario"] = altro;
        if (altro.is_null()) {
            r.dopo["pagata"] = false;
            r.dopo["data_pagamento"] = nullptr;
        }
    }
}

// The kind of operation, in words, from what its group holds.
std::string descrizione(std::span<const MODIFICA> gruppo, const std::vector<VOCE_RECORD>& v) {
    const auto ha = [&](TIPO_MODIFICA t) {
        return std::any_of(gruppo.begin(), gruppo.end(),
                           [t](const MODIFICA& m) { return m.tipo == t; });
    };
    if (ha(TIPO_MODIFICA::CONTRAVV_AGGIUNTA)) return "Nuova contravvenzione";
    if (ha(TIPO_MODIFICA::CONTRAVV_TOLTA)) {
        const bool con = std::any_of(gruppo.begin(), gruppo.end(), [](const MODIFICA& m) {
            return m.tipo == TIPO_MODIFICA::CONTRAVV_TOLTA && m.anche_anagraf;
        });
        return con ? "Cancellazione di una contravvenzione con i dati del proprietario"
                   : "Cancellazione di una contravvenzione";
    }
    if (ha(TIPO_MODIFICA::ANAGRAF_UNITA)) return "Unione di dati anagrafici identici";
    if (ha(TIPO_MODIFICA::ANAGRAF_TOLTA)) return "Cancellazione di dati anagrafici";
    if (ha(TIPO_MODIFICA::ANAGRAF_CAMBIATA)) return "Modifica di dati anagrafici";
    if (ha(TIPO_MODIFICA::ANAGRAF_AGGIUNTA)) return "Dati del proprietario di una contravvenzione";
    for (const VOCE_RECORD& r : v) {
        if (!r.contravv || !r.prima.is_object() || !r.dopo.is_object()) continue;
        if (campo(r.prima, "proprietario") != campo(r.dopo, "proprietario"))
            return "Dati del proprietario di una contravvenzione";
        const bool prima = campo(r.prima, "pagata") == true, dopo = campo(r.dopo, "pagata") == true;
        if (!prima && dopo) return "Registrazione di un pagamento";
        if (prima && !dopo) return "Annullamento di un pagamento";
        if (campo(r.prima, "data_pagamento") != campo(r.dopo, "data_pagamento"))
            return "Modifica di un pagamento";
    }
    return "Modifica di una contravvenzione";
}

// The bytes nlohmann-json's dump() gives (no indent, UTF-8 as it is, an
// invalid sequence refused), written faster: a recovery chains thousands
// of entries at once. False, leaving `out` as it was, for what it does not
// write itself (a floating-point number, a text that is no UTF-8): the
// library's own dump is then used.
bool valida_utf8(std::string_view t) {
    for (std::size_t i = 0; i < t.size();) {
        const auto b = static_cast<unsigned char>(t[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        std::size_t n = 0;
        uint32_t cp = 0;
        if (b >= 0xC2 && b <= 0xDF) n = 2, cp = b & 0x1F;
        else if (b >= 0xE0 && b <= 0xEF) n = 3, cp = b & 0x0F;
        else if (b >= 0xF0 && b <= 0xF4) n = 4, cp = b & 0x07;
        else return false;
        if (i + n > t.size()) return false;
        for (std::size_t k = 1; k < n; ++k) {
            const auto c = static_cast<unsigned char>(t[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if ((n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        i += n;
    }
    return true;
}

bool testo_json(std::string_view t, std::string& out) {
    if (!valida_utf8(t)) return false;
    out += '"';
    for (const char c : t) {
        switch (c) {
        case '\b': out += "\\b"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\f': out += "\\f"; break;
        case '\r': out += "\\r"; break;
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char u[8];
                std::snprintf(u, sizeof u, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
                out += u;
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return true;
}

bool scrivi_json(const json& j, std::string& out) {
    char n[24];
    switch (j.type()) {
    case json::value_t::null: out += "null"; return true;
    case json::value_t::boolean: out += j.get<bool>() ? "true" : "false"; return true;
    case json::value_t::number_integer:
        out.append(n, std::to_chars(n, n + sizeof n, j.get<int64_t>()).ptr);
        return true;
    case json::value_t::number_unsigned:
        out.append(n, std::to_chars(n, n + sizeof n, j.get<uint64_t>()).ptr);
        return true;
    case json::value_t::string: return testo_json(j.get_ref<const std::string&>(), out);
    case json::value_t::array: {
        out += '[';
        bool primo = true;
        for (const json& x : j.get_ref<const json::array_t&>()) {
            if (!primo) out += ',';
            primo = false;
            if (!scrivi_json(x, out)) return false;
        }
        out += ']';
        return true;
    }
    case json::value_t::object: {
        out += '{';
        bool primo = true;
        for (const auto& [chiave, x] : j.get_ref<const json::object_t&>()) {
            if (!primo) out += ',';
            primo = false;
            if (!testo_json(chiave, out)) return false;
            out += ':';
            if (!scrivi_json(x, out)) return false;
        }
        out += '}';
        return true;
    }
    default: return false; // floating point, binary, discarded: the library's
    }
}

std::string testo_hash(const json& voce) {
    return esadecimale(impronta_di(voce.dump()));
}

} // namespace

const json& campo(const json& voce, const std::string& nome) {
    static const json nulla;
    if (!voce.is_object()) return nulla;
    const auto i = voce.find(nome);
    return i == voce.end() ? nulla : *i;
}

// Built field by field: an initializer list would copy every value once more.
json immagine_contravv(const NODO_CONTRAVV& f, const json& proprietario) {
    json i = json::object();
    i["numero"] = f.numero;
    i["data_verbale"] = data(f.data_verbale);
    i["luogo"] = cp850_in_utf8(f.luogo);
    i["targa"] = cp850_in_utf8(f.targa);
    i["tipo"] = cp850_in_utf8(f.tipo);
    i["importo"] = fisso2(f.importo);
    i["proprietario"] = proprietario;
    i["pagata"] = f.pagata;
    i["data_pagamento"] = data(f.data_pagamento);
    return i;
}

json immagine_anagraf(const NODO_ANAGRAF& a) {
    json i = json::object();
    i["codice"] = a.codice;
    i["cognome"] = cp850_in_utf8(a.cognome);
    i["nome"] = cp850_in_utf8(a.nome);
    i["data_nascita"] = data(a.data_nascita);
    i["indirizzo"] = cp850_in_utf8(a.indirizzo);
    i["citta"] = cp850_in_utf8(a.citta);
    i["provincia"] = cp850_in_utf8(a.provincia);
    i["cap"] = cp850_in_utf8(a.cap);
    i["codice_fiscale"] = cp850_in_utf8(a.codice_fiscale);
    i["patente"] = cp850_in_utf8(a.patente);
    return i;
}

json immagine_attuale(const NODO_CONTRAVV& f) {
    const bool con = f.con_anagraf && f.anagraf != nullptr;
    return immagine_contravv(f, con ? json(f.anagraf->codice) : json(nullptr));
}

namespace {

bool stessa_data(DATA a, DATA b) {
    return a.gg == b.gg && a.mm == b.mm && a.aaaa == b.aaaa;
}

// Whether the operation only pays fines, each once, more than one: each
// change a fine that was unpaid, now paid, nothing else about it changed.
bool solo_pagamenti(const std::vector<PRIMA_DI>& prima, std::span<const MODIFICA> gruppo) {
    if (gruppo.size() < 2 || prima.size() != gruppo.size()) return false;
    for (std::size_t i = 0; i < gruppo.size(); ++i) {
        const MODIFICA& m = gruppo[i];
        const PRIMA_DI& p = prima[i];
        const NODO_CONTRAVV& a = p.copia.f;
        const NODO_CONTRAVV& b = m.contravv;
        if (m.tipo != TIPO_MODIFICA::CONTRAVV_CAMBIATA || !p.contravv || p.id != m.dove.id ||
            a.numero != b.numero || a.pagata || !b.pagata || !stessa_data(a.data_verbale, b.data_verbale) ||
            std::strcmp(a.luogo, b.luogo) != 0 || std::strcmp(a.targa, b.targa) != 0 ||
            std::strcmp(a.tipo, b.tipo) != 0 || a.importo != b.importo ||
            p.copia.con_proprietario != m.con_anagraf_di ||
            (m.con_anagraf_di && p.copia.proprietario != m.anagraf_di.id))
            return false;
    }
    // Each fine once: the changes' fines in order, none twice.
    std::unordered_map<uint32_t, bool> visti;
    visti.reserve(gruppo.size());
    for (const MODIFICA& m : gruppo)
        if (!visti.emplace(m.dove.id, true).second) return false;
    return true;
}

} // namespace

void descrivi_operazione(std::vector<PRIMA_DI>& prima, std::span<const MODIFICA> gruppo,
                         bool completo, json& voce) {
    if (solo_pagamenti(prima, gruppo)) {
        json record = json::array();
        record.get_ref<json::array_t&>().reserve(gruppo.size());
        for (const MODIFICA& m : gruppo) {
            json uno = json::object();
            uno["contravvenzione"] = m.contravv.numero;
            uno["targa"] = cp850_in_utf8(m.contravv.targa);
            uno["importo"] = fisso2(m.contravv.importo);
            uno["proprietario"] = proprietario_di(m);
            uno["pagata_il"] = data(m.contravv.data_pagamento);
            record.push_back(std::move(uno));
        }
        voce["descrizione"] = "Registrazione di " + std::to_string(gruppo.size()) + " pagamenti" +
                              (completo ? "" : " (registrata in parte: memoria esaurita)");
        voce["record"] = std::move(record);
        return;
    }
    VOCI v;
    v.elenco.reserve(prima.size());
    v.dove.reserve(prima.size());
    for (PRIMA_DI& p : prima) {
        VOCE_RECORD& r = voce_di(v, p.contravv, p.id);
        if (!r.prima.is_null()) continue;
        r.prima = p.contravv ? immagine_contravv(p.copia.f, p.copia.con_proprietario
                                                                ? json(p.copia.proprietario)
                                                                : json(nullptr))
                             : std::move(p.immagine);
        r.dopo = json(json::value_t::discarded);
    }
    for (const MODIFICA& m : gruppo) {
        switch (m.tipo) {
        case TIPO_MODIFICA::CONTRAVV_AGGIUNTA: {
            VOCE_RECORD& r = voce_di(v, true, m.contravv.numero);
            r.prima = nullptr; // a record added by the operation was not there before it
            r.dopo = immagine_contravv(m.contravv, proprietario_di(m));
            break;
        }
        case TIPO_MODIFICA::CONTRAVV_CAMBIATA:
            voce_di(v, true, m.dove.id).dopo = immagine_contravv(m.contravv, proprietario_di(m));
            break;
        case TIPO_MODIFICA::CONTRAVV_TOLTA: {
            VOCE_RECORD& r = voce_di(v, true, m.dove.id);
            const json proprietario = campo(dopo_di(r), "proprietario");
            r.dopo = nullptr;
            if (m.anche_anagraf && proprietario.is_number()) {
                const auto codice = proprietario.get<uint32_t>();
                voce_di(v, false, codice).dopo = nullptr;
                sposta_multe(v, codice, nullptr);
            }
            break;
        }
        case TIPO_MODIFICA::ANAGRAF_AGGIUNTA: {
            VOCE_RECORD& r = voce_di(v, false, m.anagraf.codice);
            r.prima = nullptr;
            r.dopo = immagine_anagraf(m.anagraf);
            break;
        }
        case TIPO_MODIFICA::ANAGRAF_CAMBIATA:
            voce_di(v, false, m.dove.id).dopo = immagine_anagraf(m.anagraf);
            break;
        case TIPO_MODIFICA::ANAGRAF_TOLTA:
            voce_di(v, false, m.dove.id).dopo = nullptr;
            sposta_multe(v, m.dove.id, nullptr);
            break;
        case TIPO_MODIFICA::ANAGRAF_UNITA:
            voce_di(v, false, m.dove.id).dopo = nullptr;
            sposta_multe(v, m.dove.id, m.anagraf_di.id);
            break;
        }
    }
    for (VOCE_RECORD& r : v.elenco) dopo_di(r);
    std::string d = descrizione(gruppo, v.elenco); // before the images are moved away
    if (!completo) d += " (registrata in parte: memoria esaurita)";
    json record = json::array();
    for (VOCE_RECORD& r : v.elenco) {
        json uno = json::object();
        uno[r.contravv ? "contravvenzione" : "anagrafica"] = r.id;
        uno["prima"] = std::move(r.prima);
        uno["dopo"] = std::move(r.dopo);
        record.push_back(std::move(uno));
    }
    voce["descrizione"] = d;
    voce["record"] = std::move(record);
}

namespace {

// A date as data() gives it, written.
std::string data_scritta(DATA d) {
    if (d.gg == 0 && d.mm == 0 && d.aaaa == 0) return "null";
    char t[40];
    std::snprintf(t, sizeof t, "%02d/%02d/%04d", d.gg, d.mm, d.aaaa);
    return testo_json_di(t);
}

void numero_scritto(uint64_t n, std::string& out) {
    char t[24];
    out.append(t, std::to_chars(t, t + sizeof t, n).ptr);
}

// A fine's image as immagine_contravv makes it, written: its keys in order.
bool immagine_scritta(const NODO_CONTRAVV& f, const std::string& proprietario, std::string& out) {
    out += "{\"data_pagamento\":";
    out += data_scritta(f.data_pagamento);
    out += ",\"data_verbale\":";
    out += data_scritta(f.data_verbale);
    out += ",\"importo\":";
    if (!testo_json(fisso2(f.importo), out)) return false;
    out += ",\"luogo\":";
    if (!testo_json(cp850_in_utf8(f.luogo), out)) return false;
    out += ",\"numero\":";
    numero_scritto(f.numero, out);
    out += ",\"pagata\":";
    out += f.pagata ? "true" : "false";
    out += ",\"proprietario\":";
    out += proprietario;
    out += ",\"targa\":";
    if (!testo_json(cp850_in_utf8(f.targa), out)) return false;
    out += ",\"tipo\":";
    if (!testo_json(cp850_in_utf8(f.tipo), out)) return false;
    out += '}';
    return true;
}

std::string proprietario_scritto(bool con, uint32_t codice) {
    std::string t;
    if (!con) return "null";
    numero_scritto(codice, t);
    return t;
}

} // namespace

bool descrivi_pagamenti(const std::vector<PRIMA_DI>& prima, std::span<const MODIFICA> gruppo,
                        bool completo, MEMBRI& m) {
    if (!solo_pagamenti(prima, gruppo)) return false;
    std::string record;
    record.reserve(gruppo.size() * 100 + 2);
    record += '[';
    for (const MODIFICA& x : gruppo) {
        if (record.size() > 1) record += ',';
        record += "{\"contravvenzione\":";
        numero_scritto(x.contravv.numero, record);
        record += ",\"importo\":";
        if (!testo_json(fisso2(x.contravv.importo), record)) return false;
        record += ",\"pagata_il\":";
        record += data_scritta(x.contravv.data_pagamento);
        record += ",\"proprietario\":";
        record += proprietario_scritto(x.con_anagraf_di, x.anagraf_di.id);
        record += ",\"targa\":";
        if (!testo_json(cp850_in_utf8(x.contravv.targa), record)) return false;
        record += '}';
    }
    record += ']';
    metti_membro(m, "descrizione",
                 testo_json_di("Registrazione di " + std::to_string(gruppo.size()) + " pagamenti" +
                               (completo ? "" : " (registrata in parte: memoria esaurita)")));
    metti_membro(m, "record", record);
    return true;
}

bool descrivi_semplice(const std::vector<PRIMA_DI>& prima, std::span<const MODIFICA> gruppo,
                       bool completo, MEMBRI& m) {
    if (gruppo.size() != 1) return false;
    const MODIFICA& x = gruppo[0];
    const bool una_multa = prima.size() == 1 && prima[0].contravv && prima[0].id == x.dove.id;
    const std::string dopo = proprietario_scritto(x.con_anagraf_di, x.anagraf_di.id);
    std::string record = "[{\"contravvenzione\":";
    std::string d;
    switch (x.tipo) {
    case TIPO_MODIFICA::CONTRAVV_CAMBIATA: {
        if (!una_multa) return false;
        const COPIA_CONTRAVV& c = prima[0].copia;
        const std::string prima_di = proprietario_scritto(c.con_proprietario, c.proprietario);
        numero_scritto(x.dove.id, record);
        record += ",\"dopo\":";
        if (!immagine_scritta(x.contravv, dopo, record)) return false;
        record += ",\"prima\":";
        if (!immagine_scritta(c.f, prima_di, record)) return false;
        if (prima_di != dopo) d = "Dati del proprietario di una contravvenzione";
        else if (!c.f.pagata && x.contravv.pagata) d = "Registrazione di un pagamento";
        else if (c.f.pagata && !x.contravv.pagata) d = "Annullamento di un pagamento";
        else if (data_scritta(c.f.data_pagamento) != data_scritta(x.contravv.data_pagamento))
            d = "Modifica di un pagamento";
        else d = "Modifica di una contravvenzione";
        break;
    }
    case TIPO_MODIFICA::CONTRAVV_AGGIUNTA:
        if (!prima.empty()) return false;
        numero_scritto(x.contravv.numero, record);
        record += ",\"dopo\":";
        if (!immagine_scritta(x.contravv, dopo, record)) return false;
        record += ",\"prima\":null";
        d = "Nuova contravvenzione";
        break;
    case TIPO_MODIFICA::CONTRAVV_TOLTA: {
        if (!una_multa || x.anche_anagraf) return false;
        const COPIA_CONTRAVV& c = prima[0].copia;
        numero_scritto(x.dove.id, record);
        record += ",\"dopo\":null,\"prima\":";
        if (!immagine_scritta(c.f, proprietario_scritto(c.con_proprietario, c.proprietario),
                              record))
            return false;
        d = "Cancellazione di una contravvenzione";
        break;
    }
    default: return false;
    }
    record += "}]";
    if (!completo) d += " (registrata in parte: memoria esaurita)";
    metti_membro(m, "descrizione", testo_json_di(d));
    metti_membro(m, "record", record);
    return true;
}

MEMBRI membri_di(const json& voce) {
    MEMBRI membri;
    for (const auto& [chiave, valore] : voce.get_ref<const json::object_t&>()) {
        std::string membro = "\"" + chiave + "\":";
        const std::size_t inizio = membro.size();
        if (!scrivi_json(valore, membro)) {
            membro.resize(inizio);
            membro += valore.dump();
        }
        membri.emplace_back(chiave, std::move(membro));
    }
    return membri;
}

void metti_membro(MEMBRI& m, const std::string& chiave, std::string_view valore) {
    std::string membro = "\"" + chiave + "\":";
    membro += valore;
    const auto posto = std::lower_bound(m.begin(), m.end(), chiave,
                                        [](const auto& x, const std::string& k) { return x.first < k; });
    if (posto != m.end() && posto->first == chiave) {
        posto->second = std::move(membro);
    } else {
        m.emplace(posto, chiave, std::move(membro));
    }
}

std::string testo_json_di(std::string_view testo) {
    std::string t;
    if (!testo_json(testo, t)) t = json(std::string(testo)).dump(); // throws, as the library does
    return t;
}

// The line is the library's own dump of the entry with its hash; the hash
// is that of the dump without it. Both come from one dump of each member
// (an import's entry runs to tens of megabytes): the library writes an
// object as its members in key order, each as "key":value, between braces
// and apart by commas, and the keys of an entry are plain words.
std::string incatena_membri(MEMBRI& m, uint64_t n, std::string& hash) {
    std::erase_if(m, [](const auto& x) { return x.first == "hash"; });
    char numero[24];
    metti_membro(m, "n", std::string_view(numero, std::to_chars(numero, numero + sizeof numero, n).ptr - numero));
    metti_membro(m, "precedente", "\"" + hash + "\"");
    const auto unisci = [&] {
        std::size_t n_byte = 2;
        for (const auto& x : m) n_byte += x.second.size() + 1;
        std::string riga;
        riga.reserve(n_byte + 1);
        riga += '{';
        for (const auto& x : m) {
            riga += x.second;
            riga += ',';
        }
        riga.back() = '}';
        return riga;
    };
    hash = esadecimale(impronta_di(unisci()));
    metti_membro(m, "hash", "\"" + hash + "\"");
    std::string riga = unisci();
    riga += '\n';
    return riga;
}

std::string incatena(json& voce, uint64_t n, std::string& hash) {
    voce.erase("hash");
    voce["n"] = n;
    voce["precedente"] = hash;
    MEMBRI m = membri_di(voce);
    std::string riga = incatena_membri(m, n, hash);
    voce["hash"] = hash;
    return riga;
}

RIGA_REGISTRO controlla_riga(const std::string& riga, json& voce) {
    voce = json::parse(riga, nullptr, false);
    if (voce.is_discarded() || !voce.is_object()) return RIGA_REGISTRO::ILLEGGIBILE;
    // Written by this library exactly so: another spelling of the same
    // values (blanks, escapes, key order) is an alteration too.
    std::string scritta;
    try {
        scritta = voce.dump();
    } catch (const json::exception&) {
        return RIGA_REGISTRO::ALTERATA;
    }
    if (scritta != riga || !campo(voce, "hash").is_string()) return RIGA_REGISTRO::ALTERATA;
    json senza = voce;
    senza.erase("hash");
    return testo_hash(senza) == campo(voce, "hash").get<std::string>() ? RIGA_REGISTRO::INTEGRA
                                                                       : RIGA_REGISTRO::ALTERATA;
}
