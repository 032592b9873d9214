// Column reading rules of the data files and the written form of dates.
#include "storage/columns.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "input/line.h"

namespace {

bool bianco(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool cifra(char c) {
    return c >= '0' && c <= '9';
}

// Skips the leading blanks and an optional sign; tells whether the sign was '-'.
std::size_t dopo_segno(std::string_view t, bool* negativo) {
    std::size_t i = 0;
    while (i < t.size() && bianco(t[i])) ++i;
    *negativo = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        *negativo = t[i] == '-';
        ++i;
    }
    return i;
}

constexpr int64_t SATURAZIONE = 1'000'000'000'000'000'000; // 10^18

} // namespace

std::string_view colonne(std::string_view riga, std::size_t prima, std::size_t quante) {
    if (prima == 0 || prima > riga.size()) return {};
    return riga.substr(prima - 1, quante);
}

int64_t valore_intero(std::string_view testo) {
    bool negativo = false;
    std::size_t i = dopo_segno(testo, &negativo);
    int64_t v = 0;
    for (; i < testo.size() && cifra(testo[i]); ++i) {
        if (v < SATURAZIONE) v = v * 10 + (testo[i] - '0');
    }
    return negativo ? -v : v;
}

uint32_t valore_codice(std::string_view testo) {
    const int64_t v = valore_intero(testo);
    if (v < 0 || v > int64_t{UINT32_MAX}) return 0;
    return static_cast<uint32_t>(v);
}

double valore_importo(std::string_view testo) {
    bool negativo = false;
    std::size_t i = dopo_segno(testo, &negativo);
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

DATA data_da_colonne(std::string_view riga, std::size_t prima) {
    DATA d{};
    d.gg = static_cast<int16_t>(valore_intero(colonne(riga, prima, 2)));
    d.mm = static_cast<int16_t>(valore_intero(colonne(riga, prima + 3, 2)));
    d.aaaa = static_cast<int16_t>(valore_intero(colonne(riga, prima + 6, 4)));
    return d;
}

void scrivi_data(std::string& out, DATA d) {
    const auto cifre = [](char* p, int v, int quante) {
        for (int i = quante - 1; i >= 0; --i, v /= 10) p[i] = static_cast<char>('0' + v % 10);
    };
    const bool comune =
        d.gg >= 0 && d.gg <= 99 && d.mm >= 0 && d.mm <= 99 && d.aaaa >= 0 && d.aaaa <= 9999;
    if (!comune) { // signs and five-digit years, as printf gives them
        char buf[32];
        const int n = std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d.gg, d.mm, d.aaaa);
        out.append(buf, static_cast<std::size_t>(n));
        return;
    }
    char buf[10] = {0, 0, '/', 0, 0, '/'};
    cifre(buf, d.gg, 2);
    cifre(buf + 3, d.mm, 2);
    cifre(buf + 6, d.aaaa, 4);
    out.append(buf, sizeof buf);
}

void copia_testo(char* campo, std::size_t cap, std::string_view testo) {
    testo = testo.substr(0, testo.find('\0')); // a field holds no NUL byte: it ends there
    std::size_t n = testo.size() < cap ? testo.size() : cap - 1;
    // A value never ends in a carriage return: written before its line end,
    // the next load would take it for part of a Windows line end and drop it.
    while (n > 0 && testo[n - 1] == '\r') --n;
    if (n > 0) std::memcpy(campo, testo.data(), n); // an empty view may hold no pointer
    campo[n] = '\0';
}

void testo_a_colonna(char (&campo)[32], std::string_view riga, std::size_t prima) {
    char colonna[33] = {}; // 31 columns, the character beyond them, the terminator
    copia_testo(colonna, sizeof colonna, colonne(riga, prima, 32));
    trnk_str(colonna, 31);
    // Blanks and carriage returns at the end of a value never come back
    // from the file the same: the padding swallows the blanks, the next
    // load the carriage return.
    std::size_t n = std::strlen(colonna);
    while (n > 0 && (colonna[n - 1] == ' ' || colonna[n - 1] == '\r')) colonna[--n] = '\0';
    copia_testo(campo, sizeof campo, colonna);
}

void scrivi_a_sinistra(std::string& out, std::string_view testo, std::size_t larghezza) {
    out += testo;
    if (testo.size() < larghezza) out.append(larghezza - testo.size(), ' ');
}

void scrivi_a_destra(std::string& out, std::string_view testo, std::size_t larghezza) {
    if (testo.size() < larghezza) out.append(larghezza - testo.size(), ' ');
    out += testo;
}
