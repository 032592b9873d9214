// sanzionario rapporto: its totals against the statistics screen on the
// sample archive, its months, kinds and places against what esporta gives
// for the same fines (summed by Python), and its PDF read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "support/driver.h"
#include "support/external.h"
#include "support/folder.h"

namespace {

Sessione rapporto(const Cartella& c, std::vector<std::string> argomenti) {
    OPZIONI o;
    o.argomenti = {"rapporto"};
    o.argomenti.insert(o.argomenti.end(), argomenti.begin(), argomenti.end());
    return esegui_programma(c, "", o);
}

// The rows of a CSV text whose first field is `sezione`, line ends dropped.
std::vector<std::string> righe(const std::string& csv, const std::string& sezione) {
    std::vector<std::string> r;
    for (std::size_t i = 0; i < csv.size();) {
        const std::size_t fine = csv.find("\r\n", i);
        const std::string riga = csv.substr(i, fine - i);
        if (riga.rfind(sezione + ",", 0) == 0) r.push_back(riga);
        i = fine == std::string::npos ? csv.size() : fine + 2;
    }
    return r;
}

} // namespace

TEST(CommandReport, SampleTotalsAreThoseOfTheStatisticsScreen) {
    CartellaCampione c;
    // The statistics screen: the payments menu, its item 5.
    const Sessione schermo = esegui_programma(c, "3\n\n\n\n5\n\n6\n7\n3\n\n");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(
        schermo.output, m,
        std::regex("Totale multe: (\\d+)\n\nMulte pagate: +(\\d+)\n[^]*Importo totale multe: "
                   "([0-9.]+) euro\n\nTotale pagato: +([0-9.]+) euro\n[^]*Totale da pagare: "
                   "([0-9.]+) euro")))
        << schermo.output;
    const Sessione s = rapporto(c, {"--formato", "csv"});
    EXPECT_EQ(s.stato, 0);
    EXPECT_EQ(s.errori, "");
    EXPECT_EQ(s.output.rfind("Sezione,Voce,Multe emesse,Multe pagate,Importo emesso,Importo "
                             "riscosso,Importo da riscuotere\r\n",
                             0),
              0u);
    EXPECT_EQ(righe(s.output, "Totale"),
              std::vector<std::string>{"Totale,," + m[1].str() + "," + m[2].str() + "," +
                                       m[3].str() + "," + m[4].str() + "," + m[5].str()});
}

TEST(CommandReport, APeriodSummedAsEsportaGivesTheSameFines) {
    if (!programma_presente("python3")) GTEST_SKIP() << "SKIPPED LOUDLY: python3 is not installed";
    CartellaCampione c;
    ASSERT_EQ(esegui_programma(c, "", OPZIONI{.argomenti = {"esporta", "-o", "tutte.csv"}}).stato, 0);
    // Python sums the exported fines of the period, both days included.
    c.scrivi("somma.py",
             "import csv, sys, collections\n"
             "from decimal import Decimal\n"
             "dal, al = sys.argv[2], sys.argv[3]\n"
             "def nuova(): return [0, 0, Decimal(0), Decimal(0)]\n"
             "mesi, tipi, luoghi = {}, {}, {}\n"
             "tot = nuova()\n"
             "def somma(v, r):\n"
             "    v[0] += 1; v[2] += Decimal(r['Importo'])\n"
             "    if r['Pagata'] == 'sì': v[1] += 1; v[3] += Decimal(r['Importo'])\n"
             "with open(sys.argv[1], encoding='utf-8', newline='') as f:\n"
             "    for r in csv.DictReader(f):\n"
             "        if not dal <= r['Data verbale'] <= al: continue\n"
             "        somma(tot, r); somma(mesi.setdefault(r['Data verbale'][:7], nuova()), r)\n"
             "        for d, k in ((tipi, r['Infrazione']), (luoghi, r['Luogo'])):\n"
             "            somma(d.setdefault(' '.join(k.upper().split()), (k, nuova()))[1], r)\n"
             "def riga(s, voce, v):\n"
             "    print(f'{s},{voce},{v[0]},{v[1]},{v[2]:.2f},{v[3]:.2f},{v[2] - v[3]:.2f}')\n"
             "riga('Totale', '', tot)\n"
             "for m in sorted(mesi): riga('Mese', m, mesi[m])\n"
             "for s, d in (('Infrazione', tipi), ('Luogo', luoghi)):\n"
             "    for k, v in sorted(d.values(), key=lambda e: (-e[1][0], e[0]))[:10]:\n"
             "        riga(s, k if ',' not in k else '\"' + k + '\"', v)\n");
    const Sessione s = rapporto(c, {"--formato", "csv", "--dal", "05/04/2026", "--al", "20/05/2026"});
    ASSERT_EQ(s.stato, 0);
    const auto python =
        uscita_comando("cd '" + c.percorso + "' && python3 somma.py tutte.csv 2026-04-05 2026-05-20");
    ASSERT_TRUE(python.has_value());
    std::string atteso;
    for (std::size_t i = 0; i < python->size();) {
        const std::size_t fine = python->find('\n', i);
        atteso += python->substr(i, fine - i) + "\r\n";
        i = fine + 1;
    }
    const std::size_t intestazione = s.output.find("\r\n") + 2;
    EXPECT_EQ(s.output.substr(intestazione), atteso);
    EXPECT_EQ(righe(s.output, "Mese").size(), 2u);
}

TEST(CommandReport, PdfTablesAndVectorChartsReadBack) {
    for (const char* p : {"pdftotext", "pdfimages"})
        if (!programma_presente(p))
            GTEST_SKIP() << "SKIPPED LOUDLY: " << p << " is not installed (Debian poppler-utils)";
    CartellaCampione c;
    const Sessione s = rapporto(c, {"--dal", "05/04/2026", "--al", "20/05/2026", "-o", "r.pdf"});
    EXPECT_EQ(s.stato, 0);
    EXPECT_EQ(s.output + s.errori, "");
    const auto testo = uscita_comando("pdftotext -enc UTF-8 '" + c.file("r.pdf") + "' - 2>/dev/null");
    ASSERT_TRUE(testo.has_value());
    for (const char* atteso :
         {"Rapporto delle contravvenzioni", "Verbali dal 05/04/2026 al 20/05/2026", "Totale",
          "€ 1.823,40", "€ 545,00", "€ 1.278,40", "aprile 2026", "maggio 2026",
          "Le infrazioni più frequenti", "Divieto di sosta", "I luoghi più frequenti",
          "Paterno, piazza Indipendenza", "Multe emesse", "Multe pagate"})
        EXPECT_NE(testo->find(atteso), std::string::npos) << atteso << "\n" << *testo;
    // The charts are drawn, not pictures: the file holds no image.
    const auto immagini = uscita_comando("pdfimages -list '" + c.file("r.pdf") + "' 2>/dev/null");
    ASSERT_TRUE(immagini.has_value());
    EXPECT_EQ(std::count(immagini->begin(), immagini->end(), '\n'), 2) << *immagini;
}
