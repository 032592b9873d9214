// Arbitrary bytes fed to the office's settings reader and to the notice
// code finder, with what must hold afterwards: shared by the libFuzzer
// target `avvisi` (fuzz/) and the replay of its corpus in the suite. ""
// when all is well, otherwise what went wrong.
#pragma once

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "notices/amounts.h"
#include "notices/notice_code.h"
#include "notices/payment_match.h"
#include "notices/settings.h"
#include "support/folder.h"

namespace guasti {

// A code found must be one the rule makes for the fine and amount it names.
inline std::string verifica_trovato(const REGOLA_AVVISI& r, const AVVISO_TROVATO& a) {
    if (a.codice != codice_avviso(r, a.avviso.numero, a.avviso.tipo))
        return "the code " + a.codice + " found is not the one its fine gets";
    return "";
}

// The input: a settings file up to the first NUL byte, then a payment
// row's text (its fields split at ';'), read with the settings' rule (or
// the usual one, when they are refused).
inline std::string prova_avvisi(std::string_view dati, const std::string& cartella) {
    const std::size_t nul = dati.find('\0');
    const std::string_view impostazioni = dati.substr(0, nul);
    const std::string_view riga = nul == std::string_view::npos ? "" : dati.substr(nul + 1);
    const std::string file = cartella + "/ufficio.conf";
    scrivi_file(file, impostazioni);
    const IMPOSTAZIONI_LETTE l = leggi_impostazioni(file);
    if (l.lette == !l.errore.empty()) return "settings read and refused at once";
    REGOLA_AVVISI regola{3, "01"};
    if (l.lette) {
        const UFFICIO& u = l.ufficio;
        regola = u.regola;
        if (u.codice_fiscale_ente.size() != 11 || u.riduzione_centesimi_percento > 10000 ||
            u.giorni_riduzione > u.giorni_pagamento)
            return "settings accepted with a wrong value";
        for (const int64_t intero : {int64_t{0}, int64_t{1}, int64_t{4150}, int64_t{99999999999999}}) {
            const int64_t ridotto = importo_ridotto(intero, u.riduzione_centesimi_percento);
            if (ridotto < 0 || ridotto > intero) return "a reduced amount out of range";
        }
    }
    if (const auto a = trova_codice_avviso(regola, riga)) {
        if (std::string difetto = verifica_trovato(regola, *a); !difetto.empty()) return difetto;
    }
    std::vector<std::string> campi;
    std::istringstream s{std::string(riga)};
    for (std::string campo; std::getline(s, campo, ';');) campi.push_back(campo);
    const AVVISO_RIGA a = avviso_della_riga(regola, campi, campi.empty() ? -1 : 0);
    if (a.avviso && !a.errore.empty()) return "a row's code both found and refused";
    if (a.avviso) return verifica_trovato(regola, *a.avviso);
    return "";
}

} // namespace guasti
