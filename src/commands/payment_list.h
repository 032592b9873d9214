// Reading a payment list as banks and spreadsheets write it: CSV (RFC 4180)
// with commas, semicolons or tabs, read as a stream, a row at a time,
// each row with the file's own line number (blank lines counted, never
// read as rows), its columns found by the names banks give them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The columns of a list: where each is (-1 when the list has none).
struct COLONNE_ELENCO {
    int numero = -1, data = -1, importo = -1, causale = -1, avviso = -1;
};

// The names a --colonne option gives ("numero=N. verbale,importo=Avere"):
// empty for a column found by its usual names.
struct NOMI_COLONNE {
    std::string numero, data, importo, causale;
};
// Reads the option's text; false, with the reason, when it is not of that form.
bool leggi_nomi_colonne(std::string_view testo, NOMI_COLONNE& nomi, std::string& errore);

// Finds the columns in the header's fields: the names given, else the
// usual ones ("Numero", "Numero verbale", "Data pagamento", "Data valuta",
// "Importo", "Importo accreditato", "Causale", "Descrizione", "Codice
// avviso"...), in
// either case, with '_' or '-' for blanks, "(EUR)" or "€" after them.
COLONNE_ELENCO trova_colonne(const std::vector<std::string>& intestazione, const NOMI_COLONNE& nomi);

// Where a list's rows come from. Each row: its fields and the line of the
// file it starts on (1 for the first).
using RIGA_CSV = std::function<void(std::vector<std::string>& campi, std::size_t linea)>;

enum class LETTURA_ELENCO {
    LETTO,
    ILLEGGIBILE,   // a read failed
    CAMPO_LUNGO,   // a field beyond CAMPO_MAX bytes: no list of payments; `linea` tells where
    QUOTE_APERTE,  // the file ends inside a quoted field begun at `linea`
};
constexpr std::size_t CAMPO_MAX = std::size_t{64} << 10;

// Reads the CSV on `fd` block by block, giving each non-blank row to
// `riga`; the separator is the header's (its first non-blank line): a
// semicolon when it has one, else a comma, else a tab. A UTF-8 byte-order
// mark is skipped. The memory it holds is one block and one row.
LETTURA_ELENCO leggi_elenco_csv(int fd, const RIGA_CSV& riga, std::size_t& linea);

// An amount in cents as banks and spreadsheets write it: "42", "42,00",
// "42.5", "1.173,00", "1,173.00", "1 173,00", with "€" or "EUR" before or
// after it; never negative, at most two decimals, below 10^12 euro.
std::optional<int64_t> leggi_importo_elenco(std::string_view testo);

// The numbers a free-text reason names ("Verbale n. 123 targa AB123CD"):
// runs of digits standing alone (not inside a word like a plate, a date or
// an amount; a number with its year, "123/2026", stands for 123); those
// after "n.", "nr", "numero", "verbale" or "contravvenzione" only, when
// there are any such.
std::vector<uint32_t> numeri_nella_causale(std::string_view testo);

// A field of the list quoted in a message: at most 40 characters, in the
// character set of the terminal the locale names (UTF-8, Latin-1...),
// each control character and each character the set lacks as '?'.
std::string citato(std::string_view testo);
