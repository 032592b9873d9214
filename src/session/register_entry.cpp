// Register entries: record images in UTF-8, what an operation did, and
// the hash that chains each line to the one before.
#include "session/register_entry.h"

#include <algorithm>
#include <cstdio>

#include "console/encoding.h"
#include "console/text.h"
#include "storage/file_hash.h"

namespace {

// Archive text (code page 850) as UTF-8.
std::string utf8(const char* cp850) {
    static const RESA_CP850 resa = resa_cp850("UTF-8");
    std::string s;
    rendi(resa, cp850, s);
    return s;
}

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
    json dopo;
};

VOCE_RECORD& voce_di(std::vector<VOCE_RECORD>& v, bool contravv, uint32_t id) {
    for (VOCE_RECORD& r : v)
        if (r.contravv == contravv && r.id == id) return r;
    return v.emplace_back(VOCE_RECORD{contravv, id, nullptr, nullptr});
}

json proprietario_di(const MODIFICA& m) {
    return m.con_anagraf_di ? json(m.anagraf_di.id) : json(nullptr);
}

// The fines still standing that pointed to the owner `codice`: moved to
// `altro`, or (null) detached and their payments cleared.
void sposta_multe(std::vector<VOCE_RECORD>& v, uint32_t codice, const json& altro) {
    for (VOCE_RECORD& r : v) {
        if (!r.contravv || !r.dopo.is_object() || campo(r.dopo, "proprietario") != json(codice)) continue;
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
        if (campo(r.prima, "data_pagamento") != campo(r.dopo, "data_pagamento")) return "Modifica di un pagamento";
    }
    return "Modifica di una contravvenzione";
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

json immagine_contravv(const NODO_CONTRAVV& f, const json& proprietario) {
    return {{"numero", f.numero},
            {"data_verbale", data(f.data_verbale)},
            {"luogo", utf8(f.luogo)},
            {"targa", utf8(f.targa)},
            {"tipo", utf8(f.tipo)},
            {"importo", fisso2(f.importo)},
            {"proprietario", proprietario},
            {"pagata", f.pagata},
            {"data_pagamento", data(f.data_pagamento)}};
}

json immagine_anagraf(const NODO_ANAGRAF& a) {
    return {{"codice", a.codice},
            {"cognome", utf8(a.cognome)},
            {"nome", utf8(a.nome)},
            {"data_nascita", data(a.data_nascita)},
            {"indirizzo", utf8(a.indirizzo)},
            {"citta", utf8(a.citta)},
            {"provincia", utf8(a.provincia)},
            {"cap", utf8(a.cap)},
            {"codice_fiscale", utf8(a.codice_fiscale)},
            {"patente", utf8(a.patente)}};
}

json immagine_attuale(const NODO_CONTRAVV& f) {
    const bool con = f.con_anagraf && f.anagraf != nullptr;
    return immagine_contravv(f, con ? json(f.anagraf->codice) : json(nullptr));
}

void descrivi_operazione(const std::vector<PRIMA_DI>& prima, std::span<const MODIFICA> gruppo,
                         bool completo, json& voce) {
    std::vector<VOCE_RECORD> v;
    for (const PRIMA_DI& p : prima) {
        VOCE_RECORD& r = voce_di(v, p.contravv, p.id);
        if (r.prima.is_null()) r.prima = r.dopo = p.immagine;
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
            const json proprietario = campo(r.dopo, "proprietario");
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
    json record = json::array();
    for (const VOCE_RECORD& r : v)
        record.push_back({{r.contravv ? "contravvenzione" : "anagrafica", r.id},
                          {"prima", r.prima},
                          {"dopo", r.dopo}});
    std::string d = descrizione(gruppo, v);
    if (!completo) d += " (registrata in parte: memoria esaurita)";
    voce["descrizione"] = d;
    voce["record"] = std::move(record);
}

std::string incatena(json& voce, uint64_t n, std::string& hash) {
    voce.erase("hash");
    voce["n"] = n;
    voce["precedente"] = hash;
    hash = testo_hash(voce);
    voce["hash"] = hash;
    std::string riga = voce.dump();
    riga += '\n';
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
    if (scritta != riga || !campo(voce, "hash").is_string())
        return RIGA_REGISTRO::ALTERATA;
    json senza = voce;
    senza.erase("hash");
    return testo_hash(senza) == campo(voce, "hash").get<std::string>() ? RIGA_REGISTRO::INTEGRA
                                                                  : RIGA_REGISTRO::ALTERATA;
}
