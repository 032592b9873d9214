// The rules that turn raw text into the text the program keeps: a line
// typed at the console, a line of a data file, a field read back from its
// columns. Each rule is stated here once; the readers of the console
// (console.cpp, input/line.cpp, conventions.cpp), the path question
// (storage/path_prompt.cpp) and the readers of the data files
// (storage/record_lines.cpp, storage/columns.*) apply them by calling these
// functions, never by testing the bytes themselves.
//
// The functions on (text, length) give the length of the text that stays;
// they are inline, because the loader applies them to every line of a large
// archive.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

// Line length: an input line keeps at most LINEA_MAX characters; the rest
// of a longer line is read and discarded as it comes.
constexpr std::size_t LINEA_MAX = 510;

// Adds the next character of a line being read to what is kept of it.
inline void tieni_carattere(std::string& linea, char c) {
    if (linea.size() < LINEA_MAX) linea += c;
}

// Line end: a line ends at LF; a carriage return just before the LF belongs
// to the line end (a file or input prepared on another system), not to the
// line. `n` is the length of the line without its LF.
inline std::size_t senza_cr_del_fine_riga(const char* riga, std::size_t n) {
    return n > 0 && riga[n - 1] == '\r' ? n - 1 : n;
}

// The same for a console line as kept: `lunghezza` is the length of the
// whole line, kept or not, and `a_capo` whether it ended with an LF (a last
// line without one keeps its carriage return). Only a carriage return that
// was the line's last character is dropped.
inline void chiudi_linea(std::string& linea, std::size_t lunghezza, bool a_capo) {
    if (a_capo && lunghezza == linea.size())
        linea.resize(senza_cr_del_fine_riga(linea.data(), linea.size()));
}

// NUL byte: no text the program keeps holds one; a text ends at its first
// NUL byte. The length of the first `n` characters of `testo` up to it.
inline std::size_t fino_al_nul(const char* testo, std::size_t n) {
    if (n == 0) return 0;
    const void* nul = std::memchr(testo, '\0', n);
    return nul == nullptr ? n : static_cast<std::size_t>(static_cast<const char*>(nul) - testo);
}
inline std::string_view fino_al_nul(std::string_view testo) {
    return testo.substr(0, fino_al_nul(testo.data(), testo.size()));
}
// Whether a text holds a NUL byte: where a text may not be cut (a path
// would name another file) it is refused instead.
inline bool contiene_nul(std::string_view testo) {
    return fino_al_nul(testo.data(), testo.size()) != testo.size();
}

// Digits and blanks, whatever the locale: a digit is 0 to 9; a blank is a
// space, tab, line feed, vertical tab, form feed or carriage return (what
// is skipped before a number, typed or read from a file).
inline bool cifra(int c) {
    return c >= '0' && c <= '9';
}
inline bool bianco(int c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Carriage returns at the end: a value never ends in one. Written before
// its line end, the next load would take it for part of a Windows line end
// and drop it. The length without them.
inline std::size_t senza_cr_finali(const char* testo, std::size_t n) {
    while (n > 0 && testo[n - 1] == '\r') --n;
    return n;
}

// Blanks at the end: a value read back from a column padded with blanks
// ends at its last character that is neither a blank nor a carriage return
// (the padding swallows the blanks, the next load the carriage return).
inline std::size_t senza_bianchi_finali(const char* testo, std::size_t n) {
    while (n > 0 && (testo[n - 1] == ' ' || testo[n - 1] == '\r')) --n;
    return n;
}
