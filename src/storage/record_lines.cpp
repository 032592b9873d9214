// Splitting data file text into lines and records: one search for each
// line end, straight through the record; or, where the processor has SSE2,
// all the line ends of a record in one pass, 64 bytes at a time.
#include "storage/record_lines.h"

#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "console/text_rules.h"

TAGLIO taglia_record(std::string_view testo, bool finale, std::size_t& pos, RIGHE_RECORD& righe) {
    const char* p = testo.data() + pos;
    const char* const fine = testo.data() + testo.size();
    std::size_t lette = 0;
    bool contenuto = false;
    for (; lette < RIGHE_PER_RECORD && p < fine; ++lette) {
        const char* a_capo =
            static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(fine - p)));
        const char* dopo = fine; // the file's last line may lack its line end
        if (a_capo != nullptr)
            dopo = a_capo + 1;
        else if (!finale)
            return TAGLIO::INCOMPLETO;
        else
            a_capo = fine;
        const std::size_t n = senza_cr_del_fine_riga(p, static_cast<std::size_t>(a_capo - p));
        righe[lette] = std::string_view(p, n);
        contenuto = contenuto || n > 0;
        p = dopo;
    }
    if (lette < RIGHE_PER_RECORD) {
        if (!finale) return TAGLIO::INCOMPLETO;
        if (!contenuto) return TAGLIO::FINE;
        for (std::size_t i = lette; i < RIGHE_PER_RECORD; ++i) righe[i] = std::string_view();
    }
    pos = static_cast<std::size_t>(p - testo.data());
    return TAGLIO::RECORD;
}

#if defined(__SSE2__)

namespace {

struct MASCHERE {
    uint64_t a_capo;
    uint64_t nul;
};

// The line ends and the NUL bytes among the 64 bytes at `p`, one bit per
// byte, less those at or past `fine`.
inline __attribute__((always_inline)) MASCHERE maschere(const char* p, const char* fine) {
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    MASCHERE m{0, 0};
    for (int i = 0; i < 4; ++i) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        m.a_capo |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)))}
                    << (16 * i);
        m.nul |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)))}
                 << (16 * i);
    }
    if (fine - p < 64) { // the bytes past the text do not count
        const uint64_t validi = (uint64_t{1} << (fine - p)) - 1;
        m.a_capo &= validi;
        m.nul &= validi;
    }
    return m;
}

} // namespace

TAGLIO taglia_record_rapido(std::string_view testo, bool finale, std::size_t& pos,
                            RIGHE_RECORD& righe, bool& con_nul) {
    const char* const fine = testo.data() + testo.size();
    const char* inizio_riga = testo.data() + pos;
    const char* parola = inizio_riga; // the 64 bytes looked at
    if (parola < fine) {
        MASCHERE m = maschere(parola, fine);
        uint64_t a_capo = m.a_capo, nul_visti = m.nul;
        for (std::size_t lette = 0;;) {
            while (a_capo == 0) {
                parola += 64;
                if (parola >= fine) break;
                m = maschere(parola, fine);
                a_capo = m.a_capo;
                nul_visti |= m.nul;
            }
            if (a_capo == 0) break;
            const char* a = parola + __builtin_ctzll(a_capo);
            a_capo &= a_capo - 1;
            const std::size_t n =
                senza_cr_del_fine_riga(inizio_riga, static_cast<std::size_t>(a - inizio_riga));
            righe[lette] = std::string_view(inizio_riga, n);
            inizio_riga = a + 1;
            if (++lette == RIGHE_PER_RECORD) {
                // May count a NUL of the next record: then the slow way is taken.
                con_nul = nul_visti != 0;
                pos = static_cast<std::size_t>(inizio_riga - testo.data());
                return TAGLIO::RECORD;
            }
        }
    }
    // The text ends inside the record: the end of the file, or more to read.
    con_nul = true;
    return taglia_record(testo, finale, pos, righe);
}

#else

TAGLIO taglia_record_rapido(std::string_view testo, bool finale, std::size_t& pos,
                            RIGHE_RECORD& righe, bool& con_nul) {
    con_nul = true;
    return taglia_record(testo, finale, pos, righe);
}

#endif
