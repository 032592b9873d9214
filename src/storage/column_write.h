// Writing the fields of a data file line into a character buffer: numbers,
// dates, amounts and texts padded to their columns. Each function writes at
// `p`, which must have room for what it can write, and returns the end of
// what it wrote.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "model/date.h"

// Widest whole number: the largest 32-bit value in decimal.
constexpr std::size_t LARGHEZZA_MAX_NUMERO = 10;
// Widest amount: a double's largest value with two decimals and a sign.
constexpr std::size_t LARGHEZZA_MAX_IMPORTO = 320;
// Widest date: three signed 16-bit parts and two separators.
constexpr std::size_t LARGHEZZA_MAX_DATA = 20;

// A whole number in decimal, without sign or padding: at most
// LARGHEZZA_MAX_NUMERO characters.
char* scrivi_numero(char* p, uint32_t v);

// gg/mm/aaaa: two digits for day and month, four for the year; parts below
// 0 or beyond 99, 99 and 9999 as printf's "%02d/%02d/%04d" gives them.
char* scrivi_data(char* p, DATA d);

// The amount with exactly two decimals, as std::to_chars writes it in fixed
// notation (the exact binary value rounded half to even: 0.125 is "0.12",
// 2.675 is "2.67"; "-0.00", "inf", "nan" as it gives them), padded on the
// left with blanks to `larghezza` columns; never cut.
char* scrivi_importo(char* p, double v, std::size_t larghezza);

// Whether scrivi_importo writes v within `larghezza` columns as an amount
// the decimal rule reads back: a finite value, not too wide.
bool importo_entro(double v, std::size_t larghezza);

// Whether scrivi_data writes d in its ten columns, gg/mm/aaaa, so that each
// part reads back as it is: day and month 0 to 99, year 0 to 9999.
inline bool data_entro_colonne(DATA d) {
    return d.gg >= 0 && d.gg <= 99 && d.mm >= 0 && d.mm <= 99 && d.aaaa >= 0 && d.aaaa <= 9999;
}

// The text as it is.
inline char* scrivi_testo(char* p, std::string_view t) {
    if (!t.empty()) std::memcpy(p, t.data(), t.size());
    return p + t.size();
}

// The text padded with blanks on the right, or on the left, to `larghezza` columns; never cut.
inline char* scrivi_a_sinistra(char* p, std::string_view t, std::size_t larghezza) {
    p = scrivi_testo(p, t);
    if (t.size() >= larghezza) return p;
    std::memset(p, ' ', larghezza - t.size());
    return p + (larghezza - t.size());
}

inline char* scrivi_a_destra(char* p, std::string_view t, std::size_t larghezza) {
    if (t.size() < larghezza) {
        std::memset(p, ' ', larghezza - t.size());
        p += larghezza - t.size();
    }
    return scrivi_testo(p, t);
}
