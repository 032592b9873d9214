// Field writing for the data files: digits by hand for the common values,
// the library's conversions for the rest.
#include "storage/column_write.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

void cifre(char* p, unsigned v, int quante) {
    for (int i = quante - 1; i >= 0; --i, v /= 10) p[i] = static_cast<char>('0' + v % 10);
}

// Below 2^46 cents a double is exact to 1/128 of a cent, so that its
// distance from a half cent tells the rounding of the exact binary value.
constexpr double CENTESIMI_SICURI = 70368744177664.0; // 2^46
constexpr double MARGINE = 1.0 / 32;

// The amount in whole cents, rounded as to_chars rounds the exact binary
// value; false when the value is too large, not finite, or too near half
// a cent for a product in doubles to tell.
bool centesimi(double v, uint64_t& c) {
    const double x = v * 100.0;
    if (!(x < CENTESIMI_SICURI)) return false;
    const double intero = std::floor(x);
    const double resto = x - intero;
    if (resto > 0.5 - MARGINE && resto < 0.5 + MARGINE) return false;
    c = static_cast<uint64_t>(intero) + (resto > 0.5 ? 1 : 0);
    return true;
}

} // namespace

char* scrivi_numero(char* p, uint32_t v) {
    return std::to_chars(p, p + LARGHEZZA_MAX_NUMERO, v).ptr;
}

char* scrivi_data(char* p, DATA d) {
    if (!data_entro_colonne(d)) { // signs and five-digit years, as printf gives them
        char buf[32];
        const int n = std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d.gg, d.mm, d.aaaa);
        return scrivi_testo(p, std::string_view(buf, static_cast<std::size_t>(n)));
    }
    cifre(p, static_cast<unsigned>(d.gg), 2);
    p[2] = '/';
    cifre(p + 3, static_cast<unsigned>(d.mm), 2);
    p[5] = '/';
    cifre(p + 6, static_cast<unsigned>(d.aaaa), 4);
    return p + 10;
}

char* scrivi_importo(char* p, double v, std::size_t larghezza) {
    char buf[LARGHEZZA_MAX_IMPORTO];
    char* fine = buf;
    uint64_t c = 0;
    if (centesimi(std::fabs(v), c)) {
        if (std::signbit(v)) *fine++ = '-';
        fine = std::to_chars(fine, buf + sizeof buf, c / 100).ptr;
        *fine++ = '.';
        cifre(fine, static_cast<unsigned>(c % 100), 2);
        fine += 2;
    } else {
        fine = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2).ptr;
    }
    return scrivi_a_destra(p, std::string_view(buf, static_cast<std::size_t>(fine - buf)),
                           larghezza);
}

bool importo_entro(double v, std::size_t larghezza) {
    // Most amounts: positive and far from the limit of any column it is
    // asked about.
    if (v >= 0.0 && v < 1e9 && larghezza >= 12) return true;
    if (!std::isfinite(v)) return false;
    char buf[LARGHEZZA_MAX_IMPORTO];
    return static_cast<std::size_t>(scrivi_importo(buf, v, 0) - buf) <= larghezza;
}
