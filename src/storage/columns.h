// Taking values back from the columns of a data file line: the number rule,
// the decimal rule, dates and fixed text fields. The small ones are inline:
// the loader calls them for every record of a large archive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "console/text_rules.h"
#include "model/date.h"

// The characters of a line from column `prima` (counted from 1) on, at most
// `quante` of them; fewer, or none, when the line ends first or `prima` is 0.
inline std::string_view colonne(std::string_view riga, std::size_t prima,
                                std::size_t quante = std::string_view::npos) {
    if (prima == 0 || prima > riga.size()) return {};
    return riga.substr(prima - 1, quante);
}

// The start of a number: from `i`, the blanks (space, tab, line end,
// vertical tab, form feed, carriage return) skipped, then an optional sign.
// Where the digits would begin; `negativo` tells whether the sign was '-'.
inline std::size_t dopo_segno(std::string_view testo, std::size_t i, bool& negativo) {
    const std::size_t n = testo.size();
    while (i < n && bianco(testo[i])) ++i;
    negativo = false;
    if (i < n && (testo[i] == '+' || testo[i] == '-')) negativo = testo[i++] == '-';
    return i;
}

// Number rule: the start of a number (dopo_segno), then the digits up to
// the first other character; no digits give 0, and `con_cifre` false.
// Values beyond 18 digits saturate at 10^18 (negative: -10^18): a value
// stops growing before it could overflow.
inline int64_t valore_intero(std::string_view testo, bool& con_cifre) {
    const std::size_t n = testo.size();
    bool negativo = false;
    std::size_t i = dopo_segno(testo, 0, negativo);
    con_cifre = i < n && cifra(testo[i]);
    constexpr int64_t SATURAZIONE = 1'000'000'000'000'000'000; // 10^18
    int64_t v = 0;
    for (; i < n && cifra(testo[i]); ++i)
        v = v < SATURAZIONE / 10 ? v * 10 + (testo[i] - '0') : SATURAZIONE;
    return negativo ? -v : v;
}
inline int64_t valore_intero(std::string_view testo) {
    bool con_cifre = false;
    return valore_intero(testo, con_cifre);
}

// A fine number or owner code by the number rule. `letto` tells whether
// the text holds one that fits the identifiers: digits, no minus sign, at
// most 4294967295. A text that does not gives 0, never another number.
inline uint32_t valore_codice(std::string_view testo, bool& letto) {
    const int64_t v = valore_intero(testo, letto);
    letto = letto && v >= 0 && v <= int64_t{UINT32_MAX};
    return letto ? static_cast<uint32_t>(v) : 0;
}

// Decimal rule: as the number rule, with a point and fraction digits also
// taken, and the text so taken converted to the nearest double. No digits
// at all give 0, and `con_cifre` false; a value beyond the range of a
// double gives 0 too. No exponent, no "inf" or "nan": "1e5" gives 1.
double valore_importo(std::string_view testo, bool& con_cifre);
inline double valore_importo(std::string_view testo) {
    bool con_cifre = false;
    return valore_importo(testo, con_cifre);
}

// A date written as gg/mm/aaaa starting at column `prima`: day (2 columns),
// month (2) and year (4) each by the number rule, cut to 16 bits; the two
// separators are not looked at; columns beyond the line give 0.
inline DATA data_da_colonne(std::string_view riga, std::size_t prima) {
    const auto c = [](char x) { return static_cast<unsigned>(x) - '0'; };
    if (prima >= 1 && riga.size() >= prima + 9) {
        const char* d = riga.data() + prima - 1;
        if (c(d[0]) < 10 && c(d[1]) < 10 && c(d[3]) < 10 && c(d[4]) < 10 && c(d[6]) < 10 &&
            c(d[7]) < 10 && c(d[8]) < 10 && c(d[9]) < 10)
            return DATA{
                static_cast<int16_t>(c(d[0]) * 10 + c(d[1])),
                static_cast<int16_t>(c(d[3]) * 10 + c(d[4])),
                static_cast<int16_t>(c(d[6]) * 1000 + c(d[7]) * 100 + c(d[8]) * 10 + c(d[9]))};
    }
    return DATA{static_cast<int16_t>(valore_intero(colonne(riga, prima, 2))),
                static_cast<int16_t>(valore_intero(colonne(riga, prima + 3, 2))),
                static_cast<int16_t>(valore_intero(colonne(riga, prima + 6, 4)))};
}

// Whether the year columns of a date written from column `prima` hold four
// digits, as the program always writes them ("0042" is a year; "26" or a
// year cut short is not).
inline bool anno_in_quattro_cifre(std::string_view riga, std::size_t prima) {
    const std::string_view anno = colonne(riga, prima + 6, 4);
    if (anno.size() != 4) return false;
    for (char c : anno)
        if (!cifra(c)) return false;
    return true;
}

// Copies a text into a field of `cap` characters (terminator included):
// at most cap - 1 characters of it, by the NUL byte and end carriage
// return rules of text_rules.h. `cerca_nul` false: the caller
// knows the text holds no NUL byte.
inline void copia_testo(char* campo, std::size_t cap, std::string_view testo, bool cerca_nul) {
    std::size_t n = testo.size() < cap ? testo.size() : cap - 1;
    if (cerca_nul) n = fino_al_nul(testo.data(), n);
    n = senza_cr_finali(testo.data(), n);
    if (n > 0) std::memcpy(campo, testo.data(), n);
    campo[n] = '\0';
}

// One of the 31-column texts of the owners file starting at column `prima`:
// the column and the character just beyond it, up to a NUL byte, ended at
// the first pair of blanks that starts within the column (trnk_str with
// length 31), else after 31 characters, without the blanks and carriage
// returns at its end (the rules of text_rules.h). `cerca_nul` as for copia_testo.
void testo_a_colonna(char (&campo)[32], std::string_view riga, std::size_t prima,
                     bool cerca_nul = true);

// The text held by a fixed field: up to its terminator, never beyond the field.
template <std::size_t N> std::string_view testo_campo(const char (&campo)[N]) {
    const void* fine = std::memchr(campo, '\0', N);
    return std::string_view(campo, fine == nullptr ? N : static_cast<const char*>(fine) - campo);
}
