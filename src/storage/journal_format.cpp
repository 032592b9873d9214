// Encoding and decoding the journal's entries: fixed-width little-endian
// integers, texts with their length before them, a CRC-32 per entry.
#include "storage/journal_format.h"

#include <cstring>
#include <optional>
#include <type_traits>
#include <zlib.h>

#include "console/text_rules.h"
#include "storage/record_shape.h"

namespace {

// A body longer than this is no entry of ours: garbage in the length field.
// One operation may change every fine of a large archive (a list of
// payments imported at once), some hundred bytes each.
constexpr std::size_t CORPO_MAX = std::size_t{1} << 31;

// The entry's CRC-32 (zlib's, the usual polynomial of that name).
uint32_t somma_di_controllo(std::string_view dati) {
    const auto inizio = reinterpret_cast<const Bytef*>(dati.data());
    return static_cast<uint32_t>(crc32_z(crc32_z(0, Z_NULL, 0), inizio, dati.size()));
}

void metti(std::string& out, uint64_t v, int byte) {
    for (int i = 0; i < byte; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// ---- the two directions: a writer and a reader with the same steps ----

struct SCRITTORE {
    std::string& out;

    template <class T> void intero(const T& v, int byte) {
        metti(out, static_cast<uint64_t>(v), byte);
    }
    template <class E> void tipo(const E& t, uint8_t) { intero(static_cast<uint8_t>(t), 1); }
    void si_no(bool v) { intero(v ? 1 : 0, 1); }
    void reale(double v) {
        uint64_t bit;
        std::memcpy(&bit, &v, sizeof bit);
        intero(bit, 8);
    }
    void testo(std::string_view s) {
        intero(s.size(), 2);
        out += s;
    }
    template <std::size_t N> void testo(const char (&campo)[N]) {
        testo(std::string_view(campo, strnlen(campo, N)));
    }
    template <class T, class F> void serie(const std::vector<T>& v, int byte, F&& campi) {
        intero(v.size(), byte);
        for (const T& x : v) campi(*this, x);
    }
    // A part that entries of earlier versions end without: written always.
    bool altro() const { return true; }
    void impronta(const std::optional<IMPRONTA>& i) {
        si_no(i.has_value());
        if (i) out.append(reinterpret_cast<const char*>(i->data()), i->size());
    }
};

// Each step fails once the body is short or a value is out of range, and
// after a failure every step reads nothing.
struct LETTORE {
    std::string_view resto;
    bool ok = true;

    uint64_t prendi(int byte) {
        if (!ok || resto.size() < static_cast<std::size_t>(byte)) {
            ok = false;
            return 0;
        }
        uint64_t v = 0;
        for (int i = 0; i < byte; ++i)
            v |= uint64_t{static_cast<unsigned char>(resto[i])} << (8 * i);
        resto.remove_prefix(static_cast<std::size_t>(byte));
        return v;
    }
    template <class T> void intero(T& v, int byte) { v = static_cast<T>(prendi(byte)); }
    // An enumeration whose values run from 1 to `ultimo`.
    template <class E> void tipo(E& t, uint8_t ultimo) {
        const uint64_t v = prendi(1);
        if (v < 1 || v > ultimo) ok = false;
        t = static_cast<E>(v);
    }
    void si_no(bool& v) {
        const uint64_t b = prendi(1);
        if (b > 1) ok = false;
        v = b == 1;
    }
    void reale(double& v) {
        const uint64_t bit = prendi(8);
        std::memcpy(&v, &bit, sizeof bit);
    }
    std::string_view testo() {
        const std::size_t n = prendi(2);
        if (!ok || resto.size() < n) {
            ok = false;
            return {};
        }
        const std::string_view s = resto.substr(0, n);
        resto.remove_prefix(n);
        return s;
    }
    void testo(std::string& s) { s = testo(); }
    // A record's field: it must fit with its terminator and hold no NUL.
    template <std::size_t N> void testo(char (&campo)[N]) {
        const std::string_view s = testo();
        if (s.size() >= N || contiene_nul(s)) ok = false;
        if (!ok) return;
        std::memcpy(campo, s.data(), s.size());
        campo[s.size()] = '\0';
    }
    template <class T, class F> void serie(std::vector<T>& v, int byte, F&& campi) {
        const uint64_t n = prendi(byte);
        for (uint64_t i = 0; i < n && ok; ++i) campi(*this, v.emplace_back());
    }
    // Whether the body goes on (an entry of an earlier version may end here).
    bool altro() const { return ok && !resto.empty(); }
    void impronta(std::optional<IMPRONTA>& i) {
        bool c = false;
        si_no(c);
        if (!c || !ok) return;
        if (resto.size() < IMPRONTA{}.size()) {
            ok = false;
            return;
        }
        i.emplace();
        std::memcpy(i->data(), resto.data(), i->size());
        resto.remove_prefix(i->size());
    }
};

// ---- the layout: the fields of each part in the order an entry holds
// them, walked by the writer or by the reader; `X` is the part, const or not ----

template <class C, class X> void campi_data(C& c, X& d) {
    c.intero(d.gg, 2);
    c.intero(d.mm, 2);
    c.intero(d.aaaa, 2);
}
template <class C, class X> void campi_posizione(C& c, X& p) {
    c.intero(p.id, 4);
    c.intero(p.ordine, 4);
}
template <class C, class X> void campi_identita(C& c, X& id) {
    c.si_no(id.esiste);
    c.intero(id.dispositivo, 8);
    c.intero(id.inode, 8);
    c.intero(id.dimensione, 8);
    c.intero(id.modifica_s, 8);
    c.intero(id.modifica_ns, 8);
}
template <class C, class X> void campi_contravv(C& c, X& f) {
    c.intero(f.numero, 4);
    campi_data(c, f.data_verbale);
    c.testo(f.luogo);
    c.testo(f.targa);
    c.testo(f.tipo);
    c.reale(f.importo);
    c.si_no(f.pagata);
    campi_data(c, f.data_pagamento);
}
template <class C, class X> void campi_anagraf(C& c, X& a) {
    c.intero(a.codice, 4);
    c.testo(a.cognome);
    c.testo(a.nome);
    campi_data(c, a.data_nascita);
    c.testo(a.indirizzo);
    c.testo(a.citta);
    c.testo(a.provincia);
    c.testo(a.cap);
    c.testo(a.codice_fiscale);
    c.testo(a.patente);
}

bool ha_contravv(TIPO_MODIFICA t) {
    return t == TIPO_MODIFICA::CONTRAVV_AGGIUNTA || t == TIPO_MODIFICA::CONTRAVV_CAMBIATA;
}
bool ha_anagraf(TIPO_MODIFICA t) {
    return t == TIPO_MODIFICA::ANAGRAF_AGGIUNTA || t == TIPO_MODIFICA::ANAGRAF_CAMBIATA;
}

template <class C, class X> void campi_modifica(C& c, X& m) {
    c.tipo(m.tipo, static_cast<uint8_t>(TIPO_MODIFICA::ANAGRAF_UNITA));
    campi_posizione(c, m.dove);
    c.si_no(m.con_anagraf_di);
    campi_posizione(c, m.anagraf_di);
    c.si_no(m.anche_anagraf);
    if (ha_contravv(m.tipo)) campi_contravv(c, m.contravv);
    if (ha_anagraf(m.tipo)) campi_anagraf(c, m.anagraf);
}
template <class C, class X> void campi_rinomina(C& c, X& r) {
    c.testo(r.temporaneo);
    c.testo(r.destinazione);
    campi_identita(c, r.id_temporaneo);
    campi_identita(c, r.id_destinazione);
}
template <class C, class X> void campi_voce(C& c, X& v) {
    TIPO_VOCE tipo = v.tipo == TIPO_VOCE::MODIFICHE &&
                             (!v.descrizione.empty() || v.modifiche.size() > 0xFFFF)
                         ? TIPO_VOCE::MODIFICHE_DESCRITTE
                         : v.tipo;
    c.tipo(tipo, static_cast<uint8_t>(TIPO_VOCE::MODIFICHE_DESCRITTE));
    if constexpr (!std::is_const_v<X>)
        v.tipo = tipo == TIPO_VOCE::MODIFICHE_DESCRITTE ? TIPO_VOCE::MODIFICHE : tipo;
    c.intero(v.ora, 8);
    switch (tipo) {
    case TIPO_VOCE::MODIFICHE_DESCRITTE: // an import's: more changes than 2 bytes count
        c.testo(v.descrizione);
        c.serie(v.modifiche, 4, [](C& c2, auto& m) { campi_modifica(c2, m); });
        break;
    case TIPO_VOCE::INIZIO:
        c.testo(v.file_c);
        campi_identita(c, v.id_c);
        c.testo(v.file_a);
        campi_identita(c, v.id_a);
        break;
    case TIPO_VOCE::MODIFICHE:
        c.serie(v.modifiche, 2, [](C& c2, auto& m) { campi_modifica(c2, m); });
        break;
    case TIPO_VOCE::SALVATAGGIO:
        c.serie(v.rinomine, 1, [](C& c2, auto& r) { campi_rinomina(c2, r); });
        // The new files' fingerprints, after the renames (a note of an
        // earlier version has none).
        if (c.altro())
            for (auto& r : v.rinomine) c.impronta(r.impronta);
        break;
    case TIPO_VOCE::SALVATAGGIO_FALLITO:
        break;
    }
}

// Whether every record image of a MODIFICHE entry holds what a record may.
bool immagini_ammesse(const VOCE_GIORNALE& v) {
    for (const MODIFICA& m : v.modifiche) {
        if (ha_contravv(m.tipo) && !(valori_ammessi(m.contravv) && testi_ammessi(m.contravv)))
            return false;
        if (ha_anagraf(m.tipo) && !(valori_ammessi(m.anagraf) && testi_ammessi(m.anagraf)))
            return false;
    }
    return true;
}

} // namespace

void codifica_voce(const VOCE_GIORNALE& v, std::string& out) {
    std::string corpo;
    SCRITTORE scrittore{corpo};
    campi_voce(scrittore, v);
    metti(out, corpo.size(), 4);
    metti(out, somma_di_controllo(corpo), 4);
    out += corpo;
}

namespace {

// The framed entry at the start of `dati`, and its length with its frame.
std::optional<VOCE_GIORNALE> voce_incorniciata(std::string_view dati, std::size_t& letti) {
    LETTORE cornice{dati};
    const std::size_t lunghezza = cornice.prendi(4);
    const uint32_t somma = static_cast<uint32_t>(cornice.prendi(4));
    // No entry is empty: a frame of length 0 is the zeros the writer keeps
    // ahead (whose checksum, that of no bytes, is 0 too).
    if (!cornice.ok || lunghezza == 0 || lunghezza > CORPO_MAX || cornice.resto.size() < lunghezza)
        return std::nullopt;
    const std::string_view corpo = cornice.resto.substr(0, lunghezza);
    if (somma_di_controllo(corpo) != somma) return std::nullopt;
    VOCE_GIORNALE v;
    LETTORE lettore{corpo};
    campi_voce(lettore, v);
    if (!lettore.ok || !lettore.resto.empty()) return std::nullopt;
    letti = 8 + lunghezza;
    return v;
}

} // namespace

std::optional<VOCE_GIORNALE> decodifica_voce(std::string_view dati) {
    std::size_t letti = 0;
    std::optional<VOCE_GIORNALE> v = voce_incorniciata(dati, letti);
    if (!v || letti != dati.size() || v->tipo != TIPO_VOCE::MODIFICHE) return std::nullopt;
    v->ammessa = immagini_ammesse(*v);
    return v;
}

GIORNALE_LETTO decodifica_giornale(std::string_view dati) {
    GIORNALE_LETTO g;
    if (dati.substr(0, INTESTAZIONE_GIORNALE.size()) != INTESTAZIONE_GIORNALE) return g;
    std::size_t pos = INTESTAZIONE_GIORNALE.size();
    for (;;) {
        std::size_t letti = 0;
        std::optional<VOCE_GIORNALE> letta = voce_incorniciata(dati.substr(pos), letti);
        if (!letta) break;
        VOCE_GIORNALE& v = *letta;
        // The first entry must be INIZIO, and only the first.
        if ((v.tipo == TIPO_VOCE::INIZIO) != g.voci.empty()) break;
        v.ammessa = v.tipo != TIPO_VOCE::MODIFICHE || immagini_ammesse(v);
        g.voci.push_back(std::move(v));
        pos += letti;
        g.lunghezza_valida = pos;
    }
    g.riconosciuto = !g.voci.empty();
    if (!g.riconosciuto) g.lunghezza_valida = 0;
    return g;
}
