// Code page 850, the character set of the archive's text, and the
// conversion of the clerk's text between it and the character set the
// locale names (nl_langinfo(CODESET)), through the C library's iconv.
#pragma once

#include <array>
#include <iconv.h>
#include <optional>
#include <string>
#include <string_view>

// The set the C and POSIX locales name. There the terminal's own set is
// unknown and the console stays single-byte: archive bytes are shown as
// they are and typed bytes kept as they are, except a valid multi-byte
// UTF-8 character (a terminal left in UTF-8), which is decoded.
inline constexpr std::string_view SET_C = "ANSI_X3.4-1968";

// Stands, in a decoded line, for a character code page 850 cannot hold
// even transliterated. The console refuses such a line whole
// (Decodifica::rifiutato), so this byte is never kept.
constexpr char CP850_SOSTITUTO = '?';

// How each archive byte is shown in the terminal's set.
struct RESA_CP850 {
    bool uguale = true;                // bytes pass as they are (the C locale)
    std::array<std::string, 128> alta; // the spelling of the bytes 0x80 to 0xFF
};
RESA_CP850 resa_cp850(std::string_view set);
void rendi(const RESA_CP850& resa, std::string_view cp850, std::string& uscita);

// Turns the bytes typed in the terminal's set into code page 850, fed as
// they come, one line after the other. A character code page 850 lacks is
// transliterated ("€" to "EUR", "–" to "-", "“" to '"'); one with no
// transliteration, or a byte that is no character of the set, is refused.
struct Decodifica {
    explicit Decodifica(std::string_view set);
    ~Decodifica();
    Decodifica(const Decodifica&) = delete;
    Decodifica& operator=(const Decodifica&) = delete;

    // A new line begins: the refusal of the one before is forgotten.
    void nuova_linea();
    // The bytes of a character cut at the end of `byte` wait for the rest.
    void aggiungi(std::string_view byte, std::string& uscita);
    // Input has ended: a character left cut counts as its bytes.
    void chiudi(std::string& uscita);

    // The first character of the line that could not be decoded, named in
    // the terminal's set ("il carattere \"日\" (U+65E5)", "il byte 0xFF");
    // empty when there is none.
    std::string rifiutato;

    bool singolo_byte; // the C locale: bytes that are no UTF-8 stay as they are
    iconv_t dal_set;   // the terminal's set (UTF-8 in the C locale) to wide characters
    iconv_t al_set;    // and back, to name a refused character
    iconv_t a_cp850;
    iconv_t a_cp850_simile; // with transliteration
    std::string sospesi;    // bytes of a character cut by the end of a read
};

// Code page 850 text in UTF-8, whatever the terminal: the register and the
// exported files are UTF-8.
std::string cp850_in_utf8(std::string_view cp850);
// The way back, exactly: UTF-8 text whose every character code page 850
// holds, in its bytes; nothing when a character has none (no
// transliteration) or the text is no UTF-8. cp850_in_utf8 and this give
// back every byte but NUL.
std::optional<std::string> utf8_in_cp850(std::string_view utf8);

// Whole-text conversions of one line. Test seam: the console converts as
// it reads and writes (Decodifica, rendi); the tests check the rules here.
std::string dal_terminale(std::string_view set, std::string_view testo,
                          std::string* rifiutato = nullptr);
std::string al_terminale(std::string_view set, std::string_view cp850);
