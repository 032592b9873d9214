// Encoding and decoding the journal's entries: fixed-width little-endian
// integers, texts with their length before them, a CRC-32 per entry.
#include "storage/journal_format.h"

#include <array>
#include <cstring>

#include "console/text_rules.h"

namespace {

// A body longer than this is no entry of ours: garbage in the length field.
constexpr std::size_t CORPO_MAX = std::size_t{1} << 20;

std::array<uint32_t, 256> tabella_crc() {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[i] = c;
    }
    return t;
}

uint32_t crc32(std::string_view dati) {
    static const std::array<uint32_t, 256> t = tabella_crc();
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : dati) c = t[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

// ---- writing ----

void metti(std::string& out, uint64_t v, int byte) {
    for (int i = 0; i < byte; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void metti_testo(std::string& out, std::string_view s) {
    metti(out, s.size(), 2);
    out += s;
}
template <std::size_t N> void metti_campo(std::string& out, const char (&campo)[N]) {
    metti_testo(out, std::string_view(campo, strnlen(campo, N)));
}
void metti_data(std::string& out, DATA d) {
    metti(out, static_cast<uint16_t>(d.gg), 2);
    metti(out, static_cast<uint16_t>(d.mm), 2);
    metti(out, static_cast<uint16_t>(d.aaaa), 2);
}
void metti_posizione(std::string& out, POSIZIONE p) {
    metti(out, p.id, 4);
    metti(out, p.ordine, 4);
}
void metti_identita(std::string& out, const IDENTITA_FILE& id) {
    metti(out, id.esiste ? 1 : 0, 1);
    metti(out, id.dispositivo, 8);
    metti(out, id.inode, 8);
    metti(out, id.dimensione, 8);
    metti(out, static_cast<uint64_t>(id.modifica_s), 8);
    metti(out, static_cast<uint64_t>(id.modifica_ns), 8);
}
void metti_contravv(std::string& out, const NODO_CONTRAVV& c) {
    metti(out, c.numero, 4);
    metti_data(out, c.data_verbale);
    metti_campo(out, c.luogo);
    metti_campo(out, c.targa);
    metti_campo(out, c.tipo);
    uint64_t bit;
    std::memcpy(&bit, &c.importo, sizeof bit);
    metti(out, bit, 8);
    metti(out, c.pagata ? 1 : 0, 1);
    metti_data(out, c.data_pagamento);
}
void metti_anagraf(std::string& out, const NODO_ANAGRAF& a) {
    metti(out, a.codice, 4);
    metti_campo(out, a.cognome);
    metti_campo(out, a.nome);
    metti_data(out, a.data_nascita);
    metti_campo(out, a.indirizzo);
    metti_campo(out, a.citta);
    metti_campo(out, a.provincia);
    metti_campo(out, a.cap);
    metti_campo(out, a.codice_fiscale);
    metti_campo(out, a.patente);
}

bool ha_contravv(TIPO_MODIFICA t) {
    return t == TIPO_MODIFICA::CONTRAVV_AGGIUNTA || t == TIPO_MODIFICA::CONTRAVV_CAMBIATA;
}
bool ha_anagraf(TIPO_MODIFICA t) {
    return t == TIPO_MODIFICA::ANAGRAF_AGGIUNTA || t == TIPO_MODIFICA::ANAGRAF_CAMBIATA;
}

void metti_modifica(std::string& out, const MODIFICA& m) {
    metti(out, static_cast<uint8_t>(m.tipo), 1);
    metti_posizione(out, m.dove);
    metti(out, m.con_anagraf_di ? 1 : 0, 1);
    metti_posizione(out, m.anagraf_di);
    metti(out, m.anche_anagraf ? 1 : 0, 1);
    if (ha_contravv(m.tipo)) metti_contravv(out, m.contravv);
    if (ha_anagraf(m.tipo)) metti_anagraf(out, m.anagraf);
}

// ---- reading: each step fails once the body is short or a value is out of range ----

struct LETTORE {
    std::string_view resto;
    bool ok = true;
};

uint64_t prendi(LETTORE& l, int byte) {
    if (!l.ok || l.resto.size() < static_cast<std::size_t>(byte)) {
        l.ok = false;
        return 0;
    }
    uint64_t v = 0;
    for (int i = 0; i < byte; ++i) v |= uint64_t{static_cast<unsigned char>(l.resto[i])} << (8 * i);
    l.resto.remove_prefix(static_cast<std::size_t>(byte));
    return v;
}
std::string_view prendi_testo(LETTORE& l) {
    const std::size_t n = prendi(l, 2);
    if (!l.ok || l.resto.size() < n) {
        l.ok = false;
        return {};
    }
    const std::string_view s = l.resto.substr(0, n);
    l.resto.remove_prefix(n);
    return s;
}
template <std::size_t N> void prendi_campo(LETTORE& l, char (&campo)[N]) {
    const std::string_view s = prendi_testo(l);
    if (s.size() >= N || contiene_nul(s)) l.ok = false;
    if (!l.ok) return;
    std::memcpy(campo, s.data(), s.size());
    campo[s.size()] = '\0';
}
DATA prendi_data(LETTORE& l) {
    DATA d;
    d.gg = static_cast<int16_t>(prendi(l, 2));
    d.mm = static_cast<int16_t>(prendi(l, 2));
    d.aaaa = static_cast<int16_t>(prendi(l, 2));
    return d;
}
bool prendi_bool(LETTORE& l) {
    const uint64_t v = prendi(l, 1);
    if (v > 1) l.ok = false;
    return v == 1;
}
POSIZIONE prendi_posizione(LETTORE& l) {
    POSIZIONE p;
    p.id = static_cast<uint32_t>(prendi(l, 4));
    p.ordine = static_cast<uint32_t>(prendi(l, 4));
    return p;
}
IDENTITA_FILE prendi_identita(LETTORE& l) {
    IDENTITA_FILE id;
    id.esiste = prendi_bool(l);
    id.dispositivo = prendi(l, 8);
    id.inode = prendi(l, 8);
    id.dimensione = prendi(l, 8);
    id.modifica_s = static_cast<int64_t>(prendi(l, 8));
    id.modifica_ns = static_cast<int64_t>(prendi(l, 8));
    return id;
}
void prendi_contravv(LETTORE& l, NODO_CONTRAVV& c) {
    c.numero = static_cast<uint32_t>(prendi(l, 4));
    c.data_verbale = prendi_data(l);
    prendi_campo(l, c.luogo);
    prendi_campo(l, c.targa);
    prendi_campo(l, c.tipo);
    const uint64_t bit = prendi(l, 8);
    std::memcpy(&c.importo, &bit, sizeof bit);
    c.pagata = prendi_bool(l);
    c.data_pagamento = prendi_data(l);
}
void prendi_anagraf(LETTORE& l, NODO_ANAGRAF& a) {
    a.codice = static_cast<uint32_t>(prendi(l, 4));
    prendi_campo(l, a.cognome);
    prendi_campo(l, a.nome);
    a.data_nascita = prendi_data(l);
    prendi_campo(l, a.indirizzo);
    prendi_campo(l, a.citta);
    prendi_campo(l, a.provincia);
    prendi_campo(l, a.cap);
    prendi_campo(l, a.codice_fiscale);
    prendi_campo(l, a.patente);
}
void prendi_modifica(LETTORE& l, MODIFICA& m) {
    const uint64_t tipo = prendi(l, 1);
    if (tipo < 1 || tipo > 7) l.ok = false;
    m.tipo = static_cast<TIPO_MODIFICA>(tipo);
    m.dove = prendi_posizione(l);
    m.con_anagraf_di = prendi_bool(l);
    m.anagraf_di = prendi_posizione(l);
    m.anche_anagraf = prendi_bool(l);
    if (!l.ok) return;
    if (ha_contravv(m.tipo)) prendi_contravv(l, m.contravv);
    if (ha_anagraf(m.tipo)) prendi_anagraf(l, m.anagraf);
}

bool decodifica_corpo(std::string_view corpo, VOCE_GIORNALE& v) {
    LETTORE l{corpo};
    const uint64_t tipo = prendi(l, 1);
    if (tipo < 1 || tipo > 4) return false;
    v.tipo = static_cast<TIPO_VOCE>(tipo);
    v.ora = static_cast<int64_t>(prendi(l, 8));
    switch (v.tipo) {
    case TIPO_VOCE::INIZIO:
        v.file_c = prendi_testo(l);
        v.id_c = prendi_identita(l);
        v.file_a = prendi_testo(l);
        v.id_a = prendi_identita(l);
        break;
    case TIPO_VOCE::MODIFICHE: {
        const uint64_t n = prendi(l, 2);
        for (uint64_t i = 0; i < n && l.ok; ++i) prendi_modifica(l, v.modifiche.emplace_back());
        break;
    }
    case TIPO_VOCE::SALVATAGGIO: {
        const uint64_t n = prendi(l, 1);
        for (uint64_t i = 0; i < n && l.ok; ++i) {
            RINOMINA r;
            r.temporaneo = prendi_testo(l);
            r.destinazione = prendi_testo(l);
            r.id_temporaneo = prendi_identita(l);
            r.id_destinazione = prendi_identita(l);
            v.rinomine.push_back(std::move(r));
        }
        break;
    }
    case TIPO_VOCE::SALVATAGGIO_FALLITO:
        break;
    }
    return l.ok && l.resto.empty();
}

} // namespace

void codifica_voce(const VOCE_GIORNALE& v, std::string& out) {
    std::string corpo;
    metti(corpo, static_cast<uint8_t>(v.tipo), 1);
    metti(corpo, static_cast<uint64_t>(v.ora), 8);
    switch (v.tipo) {
    case TIPO_VOCE::INIZIO:
        metti_testo(corpo, v.file_c);
        metti_identita(corpo, v.id_c);
        metti_testo(corpo, v.file_a);
        metti_identita(corpo, v.id_a);
        break;
    case TIPO_VOCE::MODIFICHE:
        metti(corpo, v.modifiche.size(), 2);
        for (const MODIFICA& m : v.modifiche) metti_modifica(corpo, m);
        break;
    case TIPO_VOCE::SALVATAGGIO:
        metti(corpo, v.rinomine.size(), 1);
        for (const RINOMINA& r : v.rinomine) {
            metti_testo(corpo, r.temporaneo);
            metti_testo(corpo, r.destinazione);
            metti_identita(corpo, r.id_temporaneo);
            metti_identita(corpo, r.id_destinazione);
        }
        break;
    case TIPO_VOCE::SALVATAGGIO_FALLITO:
        break;
    }
    metti(out, corpo.size(), 4);
    metti(out, crc32(corpo), 4);
    out += corpo;
}

GIORNALE_LETTO decodifica_giornale(std::string_view dati) {
    GIORNALE_LETTO g;
    if (dati.substr(0, INTESTAZIONE_GIORNALE.size()) != INTESTAZIONE_GIORNALE) return g;
    std::size_t pos = INTESTAZIONE_GIORNALE.size();
    for (;;) {
        LETTORE cornice{dati.substr(pos)};
        const std::size_t lunghezza = prendi(cornice, 4);
        const uint32_t somma = static_cast<uint32_t>(prendi(cornice, 4));
        if (!cornice.ok || lunghezza > CORPO_MAX || cornice.resto.size() < lunghezza) break;
        const std::string_view corpo = cornice.resto.substr(0, lunghezza);
        if (crc32(corpo) != somma) break;
        VOCE_GIORNALE v;
        if (!decodifica_corpo(corpo, v)) break;
        // The first entry must be INIZIO, and only the first.
        if ((v.tipo == TIPO_VOCE::INIZIO) != g.voci.empty()) break;
        g.voci.push_back(std::move(v));
        pos += 8 + lunghezza;
        g.lunghezza_valida = pos;
    }
    g.riconosciuto = !g.voci.empty();
    if (!g.riconosciuto) g.lunghezza_valida = 0;
    return g;
}
