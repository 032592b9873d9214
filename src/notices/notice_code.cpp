// Notice codes: made from a fine's number, checked, and found in a text.
#include "notices/notice_code.h"

#include <vector>

namespace {

constexpr std::size_t CIFRE_CODICE = 18;

bool cifra(char c) {
    return c >= '0' && c <= '9';
}

// `n` written in `larghezza` digits, zeros first.
std::string cifre(uint64_t n, std::size_t larghezza) {
    std::string t(larghezza, '0');
    for (std::size_t i = larghezza; i-- > 0 && n > 0; n /= 10) t[i] = static_cast<char>('0' + n % 10);
    return t;
}

// The code's part before its local identifier, and the identifier's width.
std::string testa(const REGOLA_AVVISI& r) {
    return std::to_string(r.cifra_ausiliaria) + (r.cifra_ausiliaria == 1 ? "" : r.codice);
}

std::size_t larghezza_identificativo(const REGOLA_AVVISI& r) {
    return r.cifra_ausiliaria == 1 ? 17 : 13;
}

} // namespace

std::string cifre_di_controllo(std::string_view testo) {
    unsigned resto = 0;
    for (const char c : testo) resto = (resto * 10 + static_cast<unsigned>(c - '0')) % 93;
    return cifre(resto, 2);
}

std::string codice_avviso(const REGOLA_AVVISI& r, uint32_t numero, TIPO_IMPORTO tipo) {
    const std::size_t larghezza = larghezza_identificativo(r);
    std::string codice = testa(r) + std::to_string(static_cast<int>(tipo)) +
                         cifre(numero, larghezza - 1);
    if (r.cifra_ausiliaria != 1) codice += cifre_di_controllo(codice);
    return codice;
}

std::string codice_a_gruppi(std::string_view codice) {
    std::string t;
    for (std::size_t i = 0; i < codice.size(); ++i) {
        if (i > 0 && i % 4 == 0) t += ' ';
        t += codice[i];
    }
    return t;
}

std::optional<AVVISO_LETTO> leggi_codice_avviso(const REGOLA_AVVISI& r, std::string_view codice) {
    if (codice.size() != CIFRE_CODICE) return std::nullopt;
    for (const char c : codice)
        if (!cifra(c)) return std::nullopt;
    const std::string prima = testa(r);
    if (codice.substr(0, prima.size()) != prima) return std::nullopt;
    const std::size_t larghezza = larghezza_identificativo(r);
    const std::string_view id = codice.substr(prima.size(), larghezza);
    if (r.cifra_ausiliaria != 1 &&
        codice.substr(prima.size() + larghezza) != cifre_di_controllo(codice.substr(0, 16)))
        return std::nullopt;
    if (id[0] != '1' && id[0] != '2') return std::nullopt;
    uint64_t numero = 0;
    for (const char c : id.substr(1)) numero = numero * 10 + static_cast<uint64_t>(c - '0');
    if (numero > UINT32_MAX) return std::nullopt;
    return AVVISO_LETTO{static_cast<uint32_t>(numero),
                        id[0] == '1' ? TIPO_IMPORTO::RIDOTTO : TIPO_IMPORTO::INTERO};
}

std::optional<AVVISO_TROVATO> trova_codice_avviso(const REGOLA_AVVISI& r, std::string_view testo) {
    // The groups of digits of the text; those one blank apart belong to one
    // chain. Any groups in a row of a chain that make exactly 18 digits are
    // a candidate ("verbale 12 3010 0000 ..." holds one after the "12").
    struct GRUPPO {
        std::size_t inizio, fine;
    };
    std::vector<GRUPPO> catena;
    const auto prova_catena = [&]() -> std::optional<AVVISO_TROVATO> {
        for (std::size_t k = 0; k < catena.size(); ++k) {
            std::string codice;
            for (std::size_t g = k; g < catena.size() && codice.size() < CIFRE_CODICE; ++g)
                codice += testo.substr(catena[g].inizio, catena[g].fine - catena[g].inizio);
            if (codice.size() != CIFRE_CODICE) continue;
            if (const auto letto = leggi_codice_avviso(r, codice)) return AVVISO_TROVATO{*letto, codice};
        }
        return std::nullopt;
    };
    for (std::size_t i = 0; i <= testo.size();) {
        if (i < testo.size() && !cifra(testo[i])) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < testo.size() && cifra(testo[j])) ++j;
        if (j > i) {
            const bool legato = !catena.empty() && catena.back().fine + 1 == i && testo[i - 1] == ' ';
            if (!legato) {
                if (const auto trovato = prova_catena()) return trovato;
                catena.clear();
            }
            catena.push_back({i, j});
        }
        if (j == testo.size()) break;
        i = j;
    }
    return prova_catena();
}

std::string testo_qr(const std::string& codice, const std::string& codice_fiscale_ente,
                     int64_t centesimi) {
    return "PAGOPA|002|" + codice + "|" + codice_fiscale_ente + "|" + std::to_string(centesimi);
}
