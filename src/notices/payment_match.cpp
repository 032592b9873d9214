// Matching a payment list's row to a fine by its notice code.
#include "notices/payment_match.h"

AVVISO_RIGA avviso_della_riga(const REGOLA_AVVISI& r, const std::vector<std::string>& campi,
                              int colonna) {
    AVVISO_RIGA esito;
    if (colonna >= 0 && static_cast<std::size_t>(colonna) < campi.size()) {
        std::string codice;
        for (const char c : campi[static_cast<std::size_t>(colonna)])
            if (c != ' ' && c != '\t') codice += c;
        if (!codice.empty()) {
            if (const auto letto = leggi_codice_avviso(r, codice))
                esito.avviso = AVVISO_TROVATO{*letto, codice};
            else
                esito.errore = "codice avviso non riconosciuto";
            return esito;
        }
    }
    for (std::size_t i = 0; i < campi.size() && !esito.avviso; ++i)
        if (static_cast<int>(i) != colonna) esito.avviso = trova_codice_avviso(r, campi[i]);
    return esito;
}

std::string motivo_importo_avviso(const UFFICIO& u, const NODO_CONTRAVV& f,
                                  const AVVISO_TROVATO& a, int64_t importo) {
    const int p = u.riduzione_centesimi_percento;
    const int64_t dovuto = importo_dovuto(f.importo, a.avviso.tipo, p);
    if (importo == dovuto) return "";
    const int64_t ridotto = importo_dovuto(f.importo, TIPO_IMPORTO::RIDOTTO, p);
    if (a.avviso.tipo == TIPO_IMPORTO::INTERO && importo == ridotto)
        return "l'importo ridotto " + euro_italiano(importo) +
               " e' pagato con il codice avviso " + a.codice + " dell'importo intero (" +
               euro_italiano(dovuto) + ")";
    return "importo " + euro_italiano(importo) + " diverso da quello del codice avviso " + a.codice +
           " (" + (a.avviso.tipo == TIPO_IMPORTO::RIDOTTO ? "ridotto " : "intero ") +
           euro_italiano(dovuto) + ")";
}

std::string nota_pagamento_avviso(const UFFICIO& u, uint32_t numero, const AVVISO_TROVATO& a,
                                  int64_t importo) {
    const bool ridotto = a.avviso.tipo == TIPO_IMPORTO::RIDOTTO;
    std::string nota = "pagamento della contravvenzione n." + std::to_string(numero) +
                       " con il codice avviso " + a.codice + ", importo " +
                       (ridotto ? "ridotto " : "intero ") + euro_italiano(importo);
    if (ridotto)
        nota += " (la data della notifica non e' nell'archivio: il pagamento entro " +
                std::to_string(u.giorni_riduzione) + " giorni non e' verificato)";
    return nota;
}
