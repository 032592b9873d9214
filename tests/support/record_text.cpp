// Fine and owner records as text of their data files. The layout is stated
// here on its own, not borrowed from the writers under test.
#include "support/record_text.h"

#include <cstdio>

namespace {

std::string record(const RIGHE_TESTO& righe, std::size_t regola, std::string_view a_capo) {
    std::string testo(a_capo);
    for (std::string_view riga : righe) (testo += riga) += a_capo;
    return (testo += std::string(regola, '_')) += a_capo;
}

std::string a_sinistra(std::string_view testo, std::size_t larghezza) {
    std::string s(testo);
    if (s.size() < larghezza) s.append(larghezza - s.size(), ' ');
    return s;
}

std::string a_destra(std::string_view testo, std::size_t larghezza) {
    std::string s(testo);
    if (s.size() < larghezza) s.insert(0, larghezza - s.size(), ' ');
    return s;
}

std::string data(DATA d) {
    char testo[32];
    std::snprintf(testo, sizeof testo, "%02d/%02d/%04d", d.gg, d.mm, d.aaaa);
    return testo;
}

} // namespace

std::string record_contravv(const RIGHE_TESTO& righe, std::string_view a_capo) {
    return record(righe, 87, a_capo);
}

std::string record_anagraf(const RIGHE_TESTO& righe, std::string_view a_capo) {
    return record(righe, 88, a_capo);
}

std::string testo_anagraf(const CAMPI_ANAGRAF& a, std::string_view a_capo) {
    const std::string nome = a_sinistra(a.cognome, 31) + " " + a.nome;
    const std::string indirizzo = a_sinistra(a.indirizzo, 31) + " " + a_sinistra(a.citta, 31) +
                                  " " + a.cap + " " + a.provincia;
    return record_anagraf(
        {std::to_string(a.codice), nome, data(a.nascita), indirizzo, a.codice_fiscale, a.patente},
        a_capo);
}

std::string testo_contravv(const CAMPI_CONTRAVV& c, std::optional<uint32_t> proprietario,
                           std::string_view a_capo) {
    char importo[64];
    std::snprintf(importo, sizeof importo, "%15.2f", c.importo);
    const std::string verbale = data(c.verbale) + " " + a_destra(c.luogo, 11);
    const std::string legame = proprietario ? "* " + std::to_string(*proprietario) : "- ";
    const std::string pagamento =
        importo + (c.pagata ? " * " + data(c.pagamento) : std::string(" - "));
    return record_contravv({std::to_string(c.numero), verbale, c.targa, c.tipo, legame, pagamento},
                           a_capo);
}
