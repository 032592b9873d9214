// The two kinds of CSV (RFC 4180) the commands write and read: the usual
// one (comma, dates as ISO 8601, decimal point, UTF-8) and the one Italian
// spreadsheets open as they are (semicolon, dates gg/mm/aaaa, decimal
// comma, UTF-8 with a byte-order mark).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/records.h"

struct DIALETTO_CSV {
    char separatore;
    bool date_italiane; // gg/mm/aaaa, else aaaa-mm-gg
    char decimale;
    bool bom; // the file starts with the UTF-8 byte-order mark
    // Text cells that a spreadsheet would take for a formula are written
    // as they are (--formule-grezze), for programs that read the CSV
    // themselves; by default they get a leading apostrophe.
    bool formule_grezze = false;
};

inline constexpr DIALETTO_CSV CSV_STANDARD{',', false, '.', false};
inline constexpr DIALETTO_CSV CSV_FOGLIO_ITALIANO{';', true, ',', true};
inline constexpr std::string_view BOM_UTF8 = "\xEF\xBB\xBF";

// Appends one field to a row, after a separator unless it is the row's
// first: as it is, or between double quotes (the quotes in it doubled)
// when it holds the separator, a quote or a line end.
void aggiungi_campo(std::string& riga, std::string_view testo, const DIALETTO_CSV& d);

// Appends a text field (a place, a name, an address...): as
// aggiungi_campo, but a text that a spreadsheet would read as a formula,
// its first character one of = + - @, a tab or a carriage return, gets a
// leading apostrophe, as the common guidance against CSV injection
// advises, unless the dialect asks for the texts raw.
void aggiungi_testo(std::string& riga, std::string_view testo, const DIALETTO_CSV& d);
// Whether a spreadsheet would read the text as a formula.
bool sembra_formula(std::string_view testo);

// A date in the dialect's form; empty for the empty date 0/0/0.
std::string data_csv(DATA d, const DIALETTO_CSV& dialetto);
// An amount with two decimals and the dialect's decimal mark.
std::string importo_csv(double importo, const DIALETTO_CSV& dialetto);

// A date written either way (gg/mm/aaaa or aaaa-mm-gg), when it is one.
std::optional<DATA> leggi_data_csv(std::string_view testo);
// A fine number: digits only, at most 4294967295; blanks around it are ignored.
std::optional<uint32_t> leggi_numero_csv(std::string_view testo);
// An amount in cents, written with a decimal point or a decimal comma, at
// most two decimals, no sign and no thousands mark; blanks around it are
// ignored.
std::optional<int64_t> leggi_centesimi_csv(std::string_view testo);
