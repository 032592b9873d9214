// Line, text and number input. Every routine reads whole lines through
// ins_str; the validating ones repeat the reading, with their message,
// until the value is acceptable.
#include "input/line.h"

#include <charconv>
#include <cstring>

#include "console/console.h"
#include "console/text_rules.h"

const char* const MSG_NUMERO_NON_VALIDO =
    "Il valore numerico inserito contiene caratteri non validi, prego riprovare";

namespace {

bool lettera_ammessa(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == ' ' || (c >= 0x82 && c <= 0x97);
}

} // namespace

bool ins_str_intero(char* s, int n) {
    const std::string linea = leggi_linea();
    const std::size_t limite = n < 0 ? 0 : static_cast<std::size_t>(n);
    const std::size_t presi = linea.size() < limite ? linea.size() : limite;
    const std::size_t k = fino_al_nul(linea.data(), presi);
    std::memcpy(s, linea.data(), k);
    s[k] = '\0';
    s[limite] = '\0';
    return k == presi;
}

int ins_str(char* s, int n) {
    ins_str_intero(s, n);
    // The cut may leave a carriage return at the end of the text.
    s[senza_cr_finali(s, std::strlen(s))] = '\0';
    return 0;
}

bool solo_lettere(const std::string& s) {
    for (char c : s)
        if (!lettera_ammessa(static_cast<unsigned char>(c))) return false;
    return true;
}

bool solo_cifre(const std::string& s) {
    for (char c : s)
        if (!cifra(static_cast<unsigned char>(c))) return false;
    return true;
}

int ins_txt(char* s, int n) {
    for (;;) {
        if (ins_str_intero(s, n) && solo_lettere(s)) return 0;
        console_out() << "Il testo inserito contiene caratteri non validi, prego riprovare\n";
    }
}

int ins_num(char* s, int n) {
    for (;;) {
        if (ins_str_intero(s, n) && solo_cifre(s)) return 0;
        console_out() << MSG_NUMERO_NON_VALIDO << "\n";
    }
}

namespace {

// The value of a non-empty digit string, when it fits 32 bits unsigned.
bool valore_uint32(const std::string& cifre, uint32_t* v) {
    if (cifre.empty() || !solo_cifre(cifre)) return false;
    uint32_t valore = 0;
    const auto r = std::from_chars(cifre.data(), cifre.data() + cifre.size(), valore);
    if (r.ec != std::errc() || r.ptr != cifre.data() + cifre.size()) return false;
    *v = valore;
    return true;
}

} // namespace

int ins_int(uint32_t* v) {
    for (;;) {
        const std::string linea = leggi_linea();
        if (linea.empty()) {
            *v = 0;
            return 0;
        }
        if (valore_uint32(linea, v)) return 0;
        console_out() << MSG_NUMERO_NON_VALIDO << "\n";
    }
}

namespace {

bool cifre_e_punti(const std::string& s) {
    for (char c : s)
        if (!cifra(static_cast<unsigned char>(c)) && c != '.') return false;
    return true;
}

// The longest leading part of the text that forms a decimal number.
std::size_t parte_numerica(const std::string& t) {
    std::size_t i = 0;
    while (i < t.size() && cifra(static_cast<unsigned char>(t[i]))) ++i;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && cifra(static_cast<unsigned char>(t[i]))) ++i;
    }
    return i;
}

// False when the number is too large to be held at all.
bool converti(const std::string& testo, double* v) {
    const std::size_t n = parte_numerica(testo);
    bool ha_cifre = false;
    for (std::size_t i = 0; i < n; ++i)
        ha_cifre = ha_cifre || cifra(static_cast<unsigned char>(testo[i]));
    if (!ha_cifre) {
        *v = 0.0;
        return true;
    }
    const auto r = std::from_chars(testo.data(), testo.data() + n, *v);
    return r.ec == std::errc();
}

} // namespace

int ins_double(double* v) {
    for (;;) {
        const std::string linea = leggi_linea();
        if (cifre_e_punti(linea) && converti(linea, v)) return 0;
        console_out() << MSG_NUMERO_NON_VALIDO << "\n";
    }
}

uint32_t chiedi_numero(const char* prompt) {
    console_out() << prompt;
    uint32_t n = 0;
    ins_int(&n);
    return n;
}

int maiusc(char* s) {
    const std::size_t n = std::strlen(s);
    for (std::size_t i = 0; i < n; ++i)
        if (s[i] >= 'a' && s[i] <= 'z') s[i] = static_cast<char>(s[i] - 'a' + 'A');
    return 0;
}

int trnk_str(char* s, int n) {
    for (int i = 0; i < n; ++i) {
        if (s[i] == ' ' && s[i + 1] == ' ') {
            s[i] = '\0';
            return 0;
        }
    }
    s[n] = '\0';
    return 0;
}
