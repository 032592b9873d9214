// Code page 850, the single-byte character set that records and data files
// hold, and its conversion to and from UTF-8 for terminals that speak it.
#pragma once

#include <string>
#include <string_view>

// Byte that stands for a character code page 850 does not have. Every
// validating input routine refuses it.
constexpr unsigned char CP850_SOSTITUTO = '?';

// UTF-8 spelling of one code page 850 byte (bytes below 0x80 stand for themselves).
std::string_view cp850_utf8(unsigned char c);

// Code page 850 byte of a Unicode code point, or -1 when there is none.
int cp850_da_unicode(char32_t cp);

// Whole-text conversions. Test seam: the program converts as it reads and
// writes (DecoderUtf8, cp850_utf8); the tests check the mapping through these.
std::string cp850_a_utf8(std::string_view testo);
std::string utf8_a_cp850(std::string_view testo);

// Incremental UTF-8 decoder: feed bytes one at a time, collect code page 850
// bytes. Invalid or unmappable sequences give CP850_SOSTITUTO.
struct DecoderUtf8 {
    char32_t cp = 0;
    int attesi = 0; // continuation bytes still expected
    void aggiungi(unsigned char b, std::string& uscita);
    void chiudi(std::string& uscita); // end of input: a cut sequence is replaced
};
