// The decimal rule and the cut rule of the owners file's text columns,
// each with a quick way for the common case (an amount of few digits, a
// column wholly within its line).
#include "storage/columns.h"

#include <charconv>
#include <string>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Powers of ten that a double holds exactly.
constexpr double POTENZE_DI_DIECI[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The decimal text rebuilt and converted by from_chars: the way for values
// with many digits, which one division cannot round correctly.
double importo_lento(std::string_view testo, std::size_t i, bool negativo) {
    std::string numero = negativo ? "-" : "";
    std::size_t cifre = 0;
    const std::size_t inizio_intero = numero.size();
    for (; i < testo.size() && cifra(testo[i]); ++i, ++cifre) numero += testo[i];
    if (numero.size() == inizio_intero) numero += '0'; // ".5" reads as 0.5
    if (i < testo.size() && testo[i] == '.') {
        numero += '.';
        for (++i; i < testo.size() && cifra(testo[i]); ++i, ++cifre) numero += testo[i];
    }
    if (cifre == 0) return 0.0;
    double v = 0.0;
    const auto r =
        std::from_chars(numero.data(), numero.data() + numero.size(), v, std::chars_format::fixed);
    return r.ec == std::errc{} ? v : 0.0;
}

#if defined(__SSE2__)
// testo_a_colonna for a line that holds the whole column and the character
// beyond it: the blanks and the NUL bytes among those 32 characters are
// found 16 at a time.
void testo_a_colonna_intera(char (&campo)[32], const char* colonna, bool cerca_nul) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(colonna));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(colonna + 16));
    const auto bit = [&](char c) {
        const __m128i x = _mm_set1_epi8(c);
        return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, x))) |
               static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, x))) << 16;
    };
    // The NUL byte rule of text_rules.h, 32 bytes at a time.
    const uint32_t nul = cerca_nul ? bit('\0') : 0;
    std::size_t n = nul != 0 ? static_cast<std::size_t>(__builtin_ctz(nul)) : 32;
    n = senza_cr_finali(colonna, n);
    // A pair of blanks that starts within the 31 columns and before the
    // value's last character ends the value.
    const uint32_t bianchi = bit(' ');
    const uint32_t ammesse = n >= 2 ? ((uint32_t{1} << (n - 1)) - 1) & 0x7FFFFFFFu : 0;
    const uint32_t coppie = bianchi & (bianchi >> 1) & ammesse;
    std::size_t fine =
        coppie != 0 ? static_cast<std::size_t>(__builtin_ctz(coppie)) : (n < 31 ? n : 31);
    fine = senza_bianchi_finali(colonna, fine);
    std::memcpy(campo, colonna, fine);
    campo[fine] = '\0';
}
#endif

} // namespace

double valore_importo(std::string_view testo, bool& con_cifre) {
    const std::size_t n = testo.size();
    std::size_t i = 0;
    // Eight blanks at a time first: amounts stand right-aligned in their columns.
    while (i + 8 <= n && std::memcmp(testo.data() + i, "        ", 8) == 0) i += 8;
    bool negativo = false;
    i = dopo_segno(testo, i, negativo);
    // Up to 15 digits in all make a whole number below 2^53, exact in a
    // double; divided by an exact power of ten it is rounded once, to the
    // double nearest the decimal value, as from_chars rounds it.
    const std::size_t dopo_segno = i;
    uint64_t mantissa = 0;
    std::size_t cifre = 0, decimali = 0;
    for (; i < n && cifra(testo[i]); ++i, ++cifre) mantissa = mantissa * 10 + (testo[i] - '0');
    if (i < n && testo[i] == '.')
        for (++i; i < n && cifra(testo[i]); ++i, ++cifre, ++decimali)
            mantissa = mantissa * 10 + (testo[i] - '0');
    con_cifre = cifre > 0;
    if (cifre > 15) return importo_lento(testo, dopo_segno, negativo);
    if (cifre == 0) return 0.0;
    const double v = static_cast<double>(mantissa) / POTENZE_DI_DIECI[decimali];
    return negativo ? -v : v;
}

void testo_a_colonna(char (&campo)[32], std::string_view riga, std::size_t prima, bool cerca_nul) {
    std::string_view colonna = colonne(riga, prima, 32); // 31 columns and the one beyond
#if defined(__SSE2__)
    if (colonna.size() == 32) {
        testo_a_colonna_intera(campo, colonna.data(), cerca_nul);
        return;
    }
#endif
    std::size_t n = colonna.size();
    if (cerca_nul) n = fino_al_nul(colonna.data(), n);
    n = senza_cr_finali(colonna.data(), n);
    // The first pair of blanks starting within the 31 columns ends the value.
    std::size_t fine = n < 31 ? n : 31;
    for (std::size_t i = 0; i + 1 < n && i < 31; ++i) {
        if (colonna[i] == ' ' && colonna[i + 1] == ' ') {
            fine = i;
            break;
        }
    }
    fine = senza_bianchi_finali(colonna.data(), fine);
    if (fine > 0) std::memcpy(campo, colonna.data(), fine);
    campo[fine] = '\0';
}
