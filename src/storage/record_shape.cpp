// The shape checks of the two kinds of record.
#include "storage/record_shape.h"

#include "console/text_rules.h"

namespace {

bool alfanumerico(char c) {
    return cifra(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string_view senza_blank(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool vuota(std::string_view s) {
    return senza_blank(s).empty();
}

// Digits only, once the blanks around them are set aside; at least one.
bool numero(std::string_view s) {
    s = senza_blank(s);
    if (s.empty()) return false;
    for (char c : s)
        if (!cifra(c)) return false;
    return true;
}

// An amount: an optional sign, digits, optionally a point and more digits.
bool importo(std::string_view s) {
    s = senza_blank(s);
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) s.remove_prefix(1);
    const std::size_t punto = s.find('.');
    if (punto == std::string_view::npos) return numero(s);
    return numero(s.substr(0, punto)) && (punto + 1 == s.size() || numero(s.substr(punto + 1)));
}

// gg/mm/aaaa from column `da` (counted from 0): the digit columns only.
bool data(std::string_view s, std::size_t da) {
    if (s.size() < da + 10) return false;
    for (std::size_t i : {0, 1, 3, 4, 6, 7, 8, 9})
        if (!cifra(s[da + i])) return false;
    return true;
}

bool regola(std::string_view s) {
    s = senza_blank(s);
    if (s.empty()) return false;
    for (char c : s)
        if (c != '_') return false;
    return true;
}

bool codice_testo(std::string_view s) {
    for (char c : senza_blank(s))
        if (!alfanumerico(c)) return false;
    return true;
}

bool proprietario(std::string_view s) {
    if (s.empty()) return false;
    if (s[0] == '-') return vuota(s.substr(1));
    return s[0] == '*' && numero(s.substr(1));
}

bool pagamento(std::string_view s) {
    if (s.size() < 17 || !importo(s.substr(0, 15))) return false;
    if (s[16] == '-') return vuota(s.substr(17));
    return s[16] == '*' && data(s, 18) && vuota(s.substr(28));
}

} // namespace

bool forma_contravv(const RIGHE_RECORD& r) {
    return vuota(r[0]) && numero(r[1]) && data(r[2], 0) && proprietario(r[5]) && pagamento(r[6]) &&
           regola(r[7]);
}

bool forma_anagraf(const RIGHE_RECORD& r) {
    return vuota(r[0]) && numero(r[1]) && data(r[3], 0) && codice_testo(r[5]) &&
           codice_testo(r[6]) && regola(r[7]);
}
