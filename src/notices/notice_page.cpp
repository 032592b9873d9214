// The layout of a notice page, in millimetres from the page's top left
// corner: the letterhead, the owner's address where a window envelope
// (window on the right, 45 mm from the top) shows it, the fine, the two
// amounts each with its code and QR code, and how to pay.
#include "notices/notice_page.h"

#include <cstdio>
#include <string>

#include "console/encoding.h"
#include "notices/amounts.h"
#include "notices/notice_code.h"
#include "pdf/qr.h"

namespace {

constexpr double MARGINE = 20.0;
constexpr double LARGHEZZA_UTILE = 210.0 - 2 * MARGINE;

void intestazione(DOCUMENTO_PDF& d, const UFFICIO& u) {
    double y = mm(15);
    y += scrivi_testo(d, mm(MARGINE), y, mm(95), u.nome, {14, true});
    y += scrivi_testo(d, mm(MARGINE), y, mm(95), u.reparto, {11});
    y += scrivi_testo(d, mm(MARGINE), y + 2, mm(95), u.indirizzo, {8.5}) + 2;
    scrivi_testo(d, mm(MARGINE), y, mm(95), u.contatti, {8.5});
}

void destinatario(DOCUMENTO_PDF& d, const NODO_ANAGRAF& p) {
    const std::string provincia = in_utf8(p.provincia);
    const std::string testo = in_utf8(p.cognome) + " " + in_utf8(p.nome) + "\n" +
                              in_utf8(p.indirizzo) + "\n" + in_utf8(p.cap) + " " +
                              in_utf8(p.citta) + (provincia.empty() ? "" : " (" + provincia + ")");
    scrivi_testo(d, mm(112), mm(47), mm(80), "Al proprietario del veicolo", {7.5});
    scrivi_testo(d, mm(112), mm(52), mm(80), testo, {11});
}

double dati_multa(DOCUMENTO_PDF& d, const NODO_CONTRAVV& f, double y) {
    y += scrivi_testo(d, mm(MARGINE), y, mm(LARGHEZZA_UTILE), "AVVISO DI PAGAMENTO", {16, true});
    y += scrivi_testo(d, mm(MARGINE), y + 2,
                      mm(LARGHEZZA_UTILE),
                      "Verbale di contravvenzione n. " + std::to_string(f.numero) + " del " +
                          data_in_testo(f.data_verbale),
                      {11}) + mm(4);
    const std::pair<const char*, std::string> righe[] = {
        {"Numero del verbale", std::to_string(f.numero)},
        {"Data", data_in_testo(f.data_verbale)},
        {"Luogo", in_utf8(f.luogo)},
        {"Targa del veicolo", in_utf8(f.targa)},
        {"Infrazione", in_utf8(f.tipo)},
    };
    for (const auto& [etichetta, valore] : righe) {
        scrivi_testo(d, mm(MARGINE), y, mm(45), etichetta, {9.5});
        y += scrivi_testo(d, mm(MARGINE + 45), y, mm(LARGHEZZA_UTILE - 45), valore, {9.5, true}) + 3;
    }
    return y;
}

// One amount's box: what it is, by when, the amount, the code, the
// creditor's tax code and the QR code.
bool riquadro_importo(DOCUMENTO_PDF& d, const UFFICIO& u, const NODO_CONTRAVV& f, TIPO_IMPORTO tipo,
                      double x, double y) {
    const double larghezza = mm(82), altezza = mm(92);
    riquadro(d, x, y, larghezza, altezza);
    const bool ridotto = tipo == TIPO_IMPORTO::RIDOTTO;
    const int64_t importo = importo_dovuto(f.importo, tipo, u.riduzione_centesimi_percento);
    const std::string codice = codice_avviso(u.regola, f.numero, tipo);
    const double dentro = x + mm(4), largo = larghezza - mm(8);
    double riga = y + mm(3);
    riga += scrivi_testo(d, dentro, riga, largo, ridotto ? "IMPORTO RIDOTTO" : "IMPORTO INTERO",
                         {11, true});
    riga += scrivi_testo(d, dentro, riga, largo,
                         "da pagare entro " +
                             std::to_string(ridotto ? u.giorni_riduzione : u.giorni_pagamento) +
                             " giorni dalla notifica del verbale",
                         {8.5});
    riga += scrivi_testo(d, dentro, riga + 3, largo, "€ " + euro_italiano(importo), {18, true}) + 6;
    scrivi_testo(d, dentro, riga, largo, "Codice avviso", {8});
    riga += scrivi_testo(d, dentro, riga + 10, largo, codice_a_gruppi(codice),
                         {11, true, true}) + 13;
    scrivi_testo(d, dentro, riga, largo, "Codice fiscale ente creditore", {8});
    scrivi_testo(d, dentro, riga + 10, largo, u.codice_fiscale_ente, {11, true, true});
    const double lato = mm(34);
    return disegna_qr(d, x + (larghezza - lato) / 2, y + altezza - lato - mm(2), lato,
                      testo_qr(codice, u.codice_fiscale_ente, importo));
}

void istruzioni(DOCUMENTO_PDF& d, const UFFICIO& u, double y) {
    const std::string testo =
        "Come pagare. Si paga uno solo dei due importi: quello ridotto entro " +
        std::to_string(u.giorni_riduzione) +
        " giorni dalla notifica del verbale, altrimenti quello intero entro " +
        std::to_string(u.giorni_pagamento) +
        " giorni. Il pagamento si fa con il sistema pagoPA: allo sportello di banche, uffici "
        "postali ed esercenti convenzionati, con l'home banking, con l'app IO o con le app di "
        "pagamento, inquadrando il codice QR dell'importo scelto oppure indicando il suo codice "
        "avviso e il codice fiscale dell'ente creditore. Conservare la ricevuta. Scaduti i " +
        std::to_string(u.giorni_pagamento) +
        " giorni senza pagamento, la somma dovuta sarà riscossa secondo la legge.\n"
        "Per informazioni: " + u.contatti;
    scrivi_testo(d, mm(MARGINE), y, mm(LARGHEZZA_UTILE), testo, {8.5});
}

} // namespace

bool pagina_avviso(DOCUMENTO_PDF& d, const UFFICIO& u, const NODO_CONTRAVV& f) {
    intestazione(d, u);
    if (f.anagraf != nullptr) destinatario(d, *f.anagraf);
    const double y = std::max(dati_multa(d, f, mm(95)), mm(150));
    const bool fatto = riquadro_importo(d, u, f, TIPO_IMPORTO::RIDOTTO, mm(MARGINE), y) &&
                       riquadro_importo(d, u, f, TIPO_IMPORTO::INTERO, mm(MARGINE + 88), y);
    istruzioni(d, u, y + mm(97));
    fine_pagina(d);
    return fatto;
}
