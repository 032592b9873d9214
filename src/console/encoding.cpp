// Code page 850 to and from the terminal's set. iconv does every mapping;
// the rules here say what happens where it has none.
#include "console/encoding.h"

#include <cerrno>
#include <cstdio>

namespace {

constexpr const char* CP850 = "CP850";
constexpr const char* LARGO = "WCHAR_T"; // one character a wchar_t, in the C library's own order

const iconv_t NESSUNO = reinterpret_cast<iconv_t>(-1);
constexpr std::size_t ERRORE = static_cast<std::size_t>(-1);

iconv_t apri(std::string_view verso, std::string_view da) {
    return iconv_open(std::string(verso).c_str(), std::string(da).c_str());
}

void chiudi_conversione(iconv_t cd) {
    if (cd != NESSUNO) iconv_close(cd);
}

// Appends the whole of `testo` converted; false when a part of it has no
// spelling on the other side.
bool converti(iconv_t cd, std::string_view testo, std::string& uscita) {
    if (cd == NESSUNO) return false;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(testo.data()); // iconv does not write its input
    std::size_t resto = testo.size();
    char blocco[64];
    for (;;) {
        char* out = blocco;
        std::size_t spazio = sizeof blocco;
        const std::size_t r = resto > 0 ? iconv(cd, &in, &resto, &out, &spazio)
                                        : iconv(cd, nullptr, nullptr, &out, &spazio);
        uscita.append(blocco, static_cast<std::size_t>(out - blocco));
        if (r == ERRORE && errno != E2BIG) return false;
        if (r != ERRORE && resto == 0 && out == blocco) return true;
    }
}

std::string_view come_byte(const wchar_t& c) {
    return {reinterpret_cast<const char*>(&c), sizeof c};
}

// A character's spelling in code page 850, transliterated if need be.
// glibc writes '?' for a character it cannot transliterate, and nothing
// for a combining accent: neither counts, so that no text is ever kept
// with a question mark or an accent lost in place of what was typed.
bool in_cp850(const Decodifica& d, wchar_t c, std::string& uscita) {
    if (converti(d.a_cp850, come_byte(c), uscita)) return true;
    std::string simile;
    if (!converti(d.a_cp850_simile, come_byte(c), simile) || simile.empty() || simile == "?")
        return false;
    uscita += simile;
    return true;
}

void rifiuta(Decodifica& d, std::string nome, std::string& uscita) {
    if (d.rifiutato.empty()) d.rifiutato = std::move(nome);
    uscita += CP850_SOSTITUTO;
}

// Its code, and the character itself in the terminal's set when it is one
// that shows (a control character would act on the terminal instead).
std::string nome_carattere(const Decodifica& d, wchar_t c) {
    char codice[16];
    std::snprintf(codice, sizeof codice, "U+%04X", static_cast<unsigned>(c));
    std::string glifo;
    if (c >= 0xA0 && converti(d.al_set, come_byte(c), glifo))
        return "il carattere \"" + glifo + "\" (" + codice + ")";
    return std::string("il carattere ") + codice;
}

void carattere(Decodifica& d, wchar_t c, std::string& uscita) {
    if (!in_cp850(d, c, uscita)) rifiuta(d, nome_carattere(d, c), uscita);
}

void byte_errato(Decodifica& d, unsigned char b, std::string& uscita) {
    if (d.singolo_byte) {
        uscita += static_cast<char>(b);
        return;
    }
    char nome[16];
    std::snprintf(nome, sizeof nome, "il byte 0x%02X", b);
    rifiuta(d, nome, uscita);
}

enum class PRIMO { CARATTERE, TRONCO, ERRATO };

// The first character of `byte`, and how many bytes it takes.
PRIMO primo_carattere(iconv_t cd, std::string_view byte, wchar_t& c, std::size_t& presi) {
    if (cd == NESSUNO) return PRIMO::ERRATO;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(byte.data());
    std::size_t resto = byte.size();
    char* out = reinterpret_cast<char*>(&c);
    std::size_t spazio = sizeof c;
    const std::size_t r = iconv(cd, &in, &resto, &out, &spazio);
    if (spazio == 0) {
        presi = byte.size() - resto;
        return PRIMO::CARATTERE;
    }
    return r == ERRORE && errno == EINVAL ? PRIMO::TRONCO : PRIMO::ERRATO;
}

} // namespace

RESA_CP850 resa_cp850(std::string_view set) {
    RESA_CP850 resa;
    const iconv_t esatta = set == SET_C ? NESSUNO : apri(set, CP850);
    if (esatta == NESSUNO) return resa;
    const iconv_t simile = apri(std::string(set) + "//TRANSLIT", CP850);
    resa.uguale = false;
    for (int b = 0x80; b < 0x100; ++b) {
        const char byte = static_cast<char>(b);
        std::string& s = resa.alta[static_cast<std::size_t>(b - 0x80)];
        if (converti(esatta, {&byte, 1}, s)) continue;
        s.clear();
        if (converti(simile, {&byte, 1}, s) && !s.empty() && s != "?") continue;
        // No likeness in the terminal's set (Latin-1 has no block or box
        // drawing characters). The full block, of which the statistics draw
        // their bars, becomes '#', so that a bar keeps its length.
        s.assign(1, b == 0xDB ? '#' : '?');
    }
    chiudi_conversione(esatta);
    chiudi_conversione(simile);
    return resa;
}

void rendi(const RESA_CP850& resa, std::string_view cp850, std::string& uscita) {
    if (resa.uguale) {
        uscita += cp850;
        return;
    }
    // Runs of plain ASCII, the most of any text, are copied whole.
    for (std::size_t i = 0; i < cp850.size();) {
        std::size_t j = i;
        while (j < cp850.size() && static_cast<unsigned char>(cp850[j]) < 0x80) ++j;
        uscita.append(cp850.data() + i, j - i);
        if (j < cp850.size()) uscita += resa.alta[static_cast<unsigned char>(cp850[j]) - 0x80];
        i = j + 1;
    }
}

Decodifica::Decodifica(std::string_view set) {
    dal_set = set == SET_C ? NESSUNO : apri(LARGO, set);
    singolo_byte = dal_set == NESSUNO; // also a set iconv does not know
    const std::string_view terminale = singolo_byte ? "UTF-8" : set;
    if (singolo_byte) dal_set = apri(LARGO, terminale);
    al_set = apri(terminale, LARGO);
    a_cp850 = apri(CP850, LARGO);
    a_cp850_simile = apri(std::string(CP850) + "//TRANSLIT", LARGO);
}

Decodifica::~Decodifica() {
    for (iconv_t cd : {dal_set, al_set, a_cp850, a_cp850_simile}) chiudi_conversione(cd);
}

void Decodifica::nuova_linea() {
    rifiutato.clear();
}

void Decodifica::aggiungi(std::string_view byte, std::string& uscita) {
    sospesi += byte;
    const std::string_view testo = sospesi;
    std::size_t i = 0;
    while (i < testo.size()) {
        const auto b = static_cast<unsigned char>(testo[i]);
        if (b < 0x80) { // ASCII, the same in every set a locale names
            uscita += static_cast<char>(b);
            ++i;
            continue;
        }
        wchar_t c = 0;
        std::size_t presi = 0;
        switch (primo_carattere(dal_set, testo.substr(i), c, presi)) {
        case PRIMO::CARATTERE:
            carattere(*this, c, uscita);
            i += presi;
            break;
        case PRIMO::TRONCO:
            sospesi.erase(0, i);
            return;
        case PRIMO::ERRATO:
            byte_errato(*this, b, uscita);
            ++i;
            break;
        }
    }
    sospesi.clear();
}

void Decodifica::chiudi(std::string& uscita) {
    for (char b : sospesi) byte_errato(*this, static_cast<unsigned char>(b), uscita);
    sospesi.clear();
}

std::string dal_terminale(std::string_view set, std::string_view testo, std::string* rifiutato) {
    Decodifica d(set);
    std::string r;
    d.aggiungi(testo, r);
    d.chiudi(r);
    if (rifiutato != nullptr) *rifiutato = d.rifiutato;
    return r;
}

std::string cp850_in_utf8(std::string_view cp850) {
    static const RESA_CP850 resa = resa_cp850("UTF-8");
    std::string r;
    rendi(resa, cp850, r);
    return r;
}

std::optional<std::string> utf8_in_cp850(std::string_view utf8) {
    static const RESA_CP850 resa = resa_cp850("UTF-8");
    std::string r;
    r.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            r += utf8[i++];
            continue;
        }
        const std::size_t lunghezza = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
        const std::string_view carattere = utf8.substr(i, lunghezza);
        std::size_t alto = 0;
        while (alto < resa.alta.size() && resa.alta[alto] != carattere) ++alto;
        if (alto == resa.alta.size()) return std::nullopt;
        r += static_cast<char>(0x80 + alto);
        i += lunghezza;
    }
    return r;
}

std::string al_terminale(std::string_view set, std::string_view cp850) {
    std::string r;
    rendi(resa_cp850(set), cp850, r);
    return r;
}
