// Code page 850 to and from UTF-8. The table gives the UTF-8 spelling of
// the upper half of the code page; the lower half is ASCII.
#include "console/encoding.h"

#include <array>

namespace {

constexpr std::array<const char*, 128> ALTA = {
    "\xc3\x87",     "\xc3\xbc",     "\xc3\xa9",     "\xc3\xa2",     "\xc3\xa4",     "\xc3\xa0",
    "\xc3\xa5",     "\xc3\xa7",     "\xc3\xaa",     "\xc3\xab",     "\xc3\xa8",     "\xc3\xaf",
    "\xc3\xae",     "\xc3\xac",     "\xc3\x84",     "\xc3\x85",     "\xc3\x89",     "\xc3\xa6",
    "\xc3\x86",     "\xc3\xb4",     "\xc3\xb6",     "\xc3\xb2",     "\xc3\xbb",     "\xc3\xb9",
    "\xc3\xbf",     "\xc3\x96",     "\xc3\x9c",     "\xc3\xb8",     "\xc2\xa3",     "\xc3\x98",
    "\xc3\x97",     "\xc6\x92",     "\xc3\xa1",     "\xc3\xad",     "\xc3\xb3",     "\xc3\xba",
    "\xc3\xb1",     "\xc3\x91",     "\xc2\xaa",     "\xc2\xba",     "\xc2\xbf",     "\xc2\xae",
    "\xc2\xac",     "\xc2\xbd",     "\xc2\xbc",     "\xc2\xa1",     "\xc2\xab",     "\xc2\xbb",
    "\xe2\x96\x91", "\xe2\x96\x92", "\xe2\x96\x93", "\xe2\x94\x82", "\xe2\x94\xa4", "\xc3\x81",
    "\xc3\x82",     "\xc3\x80",     "\xc2\xa9",     "\xe2\x95\xa3", "\xe2\x95\x91", "\xe2\x95\x97",
    "\xe2\x95\x9d", "\xc2\xa2",     "\xc2\xa5",     "\xe2\x94\x90", "\xe2\x94\x94", "\xe2\x94\xb4",
    "\xe2\x94\xac", "\xe2\x94\x9c", "\xe2\x94\x80", "\xe2\x94\xbc", "\xc3\xa3",     "\xc3\x83",
    "\xe2\x95\x9a", "\xe2\x95\x94", "\xe2\x95\xa9", "\xe2\x95\xa6", "\xe2\x95\xa0", "\xe2\x95\x90",
    "\xe2\x95\xac", "\xc2\xa4",     "\xc3\xb0",     "\xc3\x90",     "\xc3\x8a",     "\xc3\x8b",
    "\xc3\x88",     "\xc4\xb1",     "\xc3\x8d",     "\xc3\x8e",     "\xc3\x8f",     "\xe2\x94\x98",
    "\xe2\x94\x8c", "\xe2\x96\x88", "\xe2\x96\x84", "\xc2\xa6",     "\xc3\x8c",     "\xe2\x96\x80",
    "\xc3\x93",     "\xc3\x9f",     "\xc3\x94",     "\xc3\x92",     "\xc3\xb5",     "\xc3\x95",
    "\xc2\xb5",     "\xc3\xbe",     "\xc3\x9e",     "\xc3\x9a",     "\xc3\x9b",     "\xc3\x99",
    "\xc3\xbd",     "\xc3\x9d",     "\xc2\xaf",     "\xc2\xb4",     "\xc2\xad",     "\xc2\xb1",
    "\xe2\x80\x97", "\xc2\xbe",     "\xc2\xb6",     "\xc2\xa7",     "\xc3\xb7",     "\xc2\xb8",
    "\xc2\xb0",     "\xc2\xa8",     "\xc2\xb7",     "\xc2\xb9",     "\xc2\xb3",     "\xc2\xb2",
    "\xe2\x96\xa0", "\xc2\xa0",
};

} // namespace

std::string_view cp850_utf8(unsigned char c) {
    static const std::array<char, 128> basso = [] {
        std::array<char, 128> a{};
        for (int i = 0; i < 128; ++i) a[i] = static_cast<char>(i);
        return a;
    }();
    if (c < 0x80) return std::string_view(&basso[c], 1);
    return ALTA[c - 0x80];
}

int cp850_da_unicode(char32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    for (int i = 0; i < 128; ++i) {
        std::string_view u = ALTA[i];
        char32_t v = 0;
        const auto b0 = static_cast<unsigned char>(u[0]);
        if (u.size() == 2) {
            v = ((b0 & 0x1Fu) << 6) | (static_cast<unsigned char>(u[1]) & 0x3Fu);
        } else {
            v = ((b0 & 0x0Fu) << 12) | ((static_cast<unsigned char>(u[1]) & 0x3Fu) << 6) |
                (static_cast<unsigned char>(u[2]) & 0x3Fu);
        }
        if (v == cp) return 0x80 + i;
    }
    return -1;
}

std::string cp850_a_utf8(std::string_view testo) {
    std::string r;
    r.reserve(testo.size());
    for (char c : testo) r += cp850_utf8(static_cast<unsigned char>(c));
    return r;
}

std::string utf8_a_cp850(std::string_view testo) {
    std::string r;
    DecoderUtf8 dec;
    for (char c : testo) dec.aggiungi(static_cast<unsigned char>(c), r);
    dec.chiudi(r);
    return r;
}

void DecoderUtf8::aggiungi(unsigned char b, std::string& uscita) {
    if (attesi > 0) {
        if ((b & 0xC0) == 0x80) {
            cp = (cp << 6) | (b & 0x3Fu);
            if (--attesi == 0) {
                const int c = cp850_da_unicode(cp);
                uscita += static_cast<char>(c < 0 ? CP850_SOSTITUTO : c);
            }
            return;
        }
        // A sequence cut short: it stands for one unknown character, and
        // this byte starts afresh.
        attesi = 0;
        uscita += static_cast<char>(CP850_SOSTITUTO);
    }
    if (b < 0x80) {
        uscita += static_cast<char>(b);
    } else if ((b & 0xE0) == 0xC0 && b >= 0xC2) {
        cp = b & 0x1Fu;
        attesi = 1;
    } else if ((b & 0xF0) == 0xE0) {
        cp = b & 0x0Fu;
        attesi = 2;
    } else if ((b & 0xF8) == 0xF0 && b <= 0xF4) {
        cp = b & 0x07u;
        attesi = 3;
    } else {
        uscita += static_cast<char>(CP850_SOSTITUTO);
    }
}

void DecoderUtf8::chiudi(std::string& uscita) {
    if (attesi > 0) uscita += static_cast<char>(CP850_SOSTITUTO);
    attesi = 0;
}
