// The report's pages: tables drawn by pdf/table, charts by pdf/chart,
// flowing onto a new page where the next block would not fit.
#include "report/report_pdf.h"

#include "notices/amounts.h"
#include "pdf/chart.h"
#include "pdf/table.h"

namespace {

constexpr double SINISTRA = 56.0;
constexpr double LARGHEZZA = A4_LARGHEZZA - 2 * SINISTRA;
constexpr double ALTEZZA_COLONNE = 190.0;

// The same colours in every chart: issued blue, paid green.
constexpr double EMESSE[] = {0.22, 0.42, 0.69};
constexpr double PAGATE[] = {0.30, 0.62, 0.33};

std::vector<COLONNA_TABELLA> colonne(const char* prima) {
    const double numeri = 50, importi = 70;
    return {{prima, LARGHEZZA - 2 * numeri - 3 * importi},
            {"Emesse", numeri, true},
            {"Pagate", numeri, true},
            {"Importo emesso", importi, true},
            {"Riscosso", importi, true},
            {"Da riscuotere", importi, true}};
}

std::vector<std::string> celle(const std::string& voce, const RIGA_RAPPORTO& r) {
    return {voce,
            std::to_string(r.emesse),
            std::to_string(r.pagate),
            "€ " + euro_italiano(r.emesso),
            "€ " + euro_italiano(r.riscosso),
            "€ " + euro_italiano(r.da_riscuotere())};
}

double spazio(DOCUMENTO_PDF& d, double y, double serve) {
    if (y + serve <= PAGINA_FINE) return y;
    fine_pagina(d);
    return PAGINA_INIZIO;
}

// A section's title, on a new page unless `serve` points fit below it.
double titolo(DOCUMENTO_PDF& d, double y, const std::string& testo, double serve = 80) {
    y = spazio(d, y + 14, serve);
    return y + scrivi_testo(d, SINISTRA, y, LARGHEZZA, testo, {12, true}) + 6;
}

double classifica(DOCUMENTO_PDF& d, double y, const char* nome, const char* colonna,
                  const std::vector<RIGA_RAPPORTO>& righe) {
    // The table and its chart kept together: rows of about 17 points in
    // the table and 13 in the chart.
    const double n = static_cast<double>(righe.size());
    y = titolo(d, y, nome, 40 + 17 * (n + 2) + 13 * n);
    std::vector<std::vector<std::string>> tabella;
    std::vector<std::string> voci, valori;
    SERIE_GRAFICO s{"Emesse", EMESSE[0], EMESSE[1], EMESSE[2], {}};
    for (const RIGA_RAPPORTO& r : righe) {
        tabella.push_back(celle(r.voce, r));
        voci.push_back(r.voce);
        valori.push_back(std::to_string(r.emesse));
        s.valori.push_back(static_cast<double>(r.emesse));
    }
    y = disegna_tabella(d, SINISTRA, y, colonne(colonna), tabella) + 10;
    y = spazio(d, y, 13.0 * static_cast<double>(righe.size()));
    return y + grafico_barre(d, SINISTRA, y, LARGHEZZA, voci, s, valori);
}

} // namespace

void disegna_rapporto(DOCUMENTO_PDF& d, const RAPPORTO& r, const std::string& periodo) {
    double y = PAGINA_INIZIO;
    y += scrivi_testo(d, SINISTRA, y, LARGHEZZA, "Rapporto delle contravvenzioni", {16, true});
    y += scrivi_testo(d, SINISTRA, y + 2, LARGHEZZA, periodo, {10}) + 10;
    y = disegna_tabella(d, SINISTRA, y, colonne("Periodo"), {celle("Totale", r.totale)});

    y = titolo(d, y, "Per mese del verbale");
    std::vector<std::vector<std::string>> mesi;
    std::vector<std::string> nomi;
    SERIE_GRAFICO emesse{"Multe emesse", EMESSE[0], EMESSE[1], EMESSE[2], {}};
    SERIE_GRAFICO pagate{"Multe pagate", PAGATE[0], PAGATE[1], PAGATE[2], {}};
    for (const RIGA_RAPPORTO& m : r.mesi) {
        mesi.push_back(celle(nome_mese(m.voce), m));
        nomi.push_back(m.voce.substr(5, 2) + "/" + m.voce.substr(0, 4));
        emesse.valori.push_back(static_cast<double>(m.emesse));
        pagate.valori.push_back(static_cast<double>(m.pagate));
    }
    y = disegna_tabella(d, SINISTRA, y, colonne("Mese"), mesi) + 12;
    y = spazio(d, y, ALTEZZA_COLONNE);
    grafico_colonne(d, SINISTRA, y, LARGHEZZA, ALTEZZA_COLONNE, nomi, {emesse, pagate});
    y += ALTEZZA_COLONNE;

    y = classifica(d, y, "Le infrazioni più frequenti", "Infrazione", r.infrazioni);
    classifica(d, y, "I luoghi più frequenti", "Luogo", r.luoghi);
    fine_pagina(d);
}
