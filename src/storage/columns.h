// Taking values back from the columns of a data file line (the number rule,
// the decimal rule, dates, fixed text fields), and writing dates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "input/date.h"

// The characters of a line from column `prima` (counted from 1) on, at most
// `quante` of them; fewer, or none, when the line ends first.
std::string_view colonne(std::string_view riga, std::size_t prima,
                         std::size_t quante = std::string_view::npos);

// Number rule: blanks skipped, an optional sign, the digits up to the first
// other character; no digits give 0. Values beyond 18 digits saturate.
int64_t valore_intero(std::string_view testo);

// A fine number or owner code by the number rule: negative values and
// values above 4294967295 give 0.
uint32_t valore_codice(std::string_view testo);

// Decimal rule: as the number rule, with a point and fraction digits also
// taken. Exactly that text is converted: no exponent, no "inf" or "nan".
double valore_importo(std::string_view testo);

// A date written as gg/mm/aaaa starting at column `prima`: day, month and
// year each by the number rule; the two separators are not looked at.
DATA data_da_colonne(std::string_view riga, std::size_t prima);

// Appends the date as gg/mm/aaaa: two digits for day and month, four for the year.
void scrivi_data(std::string& out, DATA d);

// Copies a text into a field of `cap` characters (terminator included),
// keeping at most cap - 1 of them, less any carriage returns they end with.
void copia_testo(char* campo, std::size_t cap, std::string_view testo);

// One of the 31-column texts of the owners file starting at column `prima`:
// the column and the character just beyond it, ended at the first pair of
// blanks (trnk_str with length 31), without blanks or carriage returns at its end.
void testo_a_colonna(char (&campo)[32], std::string_view riga, std::size_t prima);

// The text held by a fixed field: up to its terminator, never beyond the field.
template <std::size_t N> std::string_view testo_campo(const char (&campo)[N]) {
    const void* fine = std::memchr(campo, '\0', N);
    return std::string_view(campo, fine == nullptr ? N : static_cast<const char*>(fine) - campo);
}

// Appends the text padded with blanks on the right, or on the left, to `larghezza` columns.
void scrivi_a_sinistra(std::string& out, std::string_view testo, std::size_t larghezza);
void scrivi_a_destra(std::string& out, std::string_view testo, std::size_t larghezza);
