// The column rules of the data files, and records written and read back.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "console/text.h"
#include "input/line.h"
#include "storage/column_write.h"
#include "storage/columns.h"
#include "session/dialogs.h"
#include "storage/archive_files.h"
#include "storage_fixture.h"

namespace {

using namespace prova_archivio;

TEST(FormatNumberRule, CodesTakeTheLeadingNumberAndRefuseWhatDoesNotFit) {
    const struct {
        const char* testo;
        uint32_t valore;
    } casi[] = {
        {"  42abc", 42},
        {"+7", 7},
        {"4294967295", 4294967295u},
        {"abc", 0},
        {"", 0},
        {"-5", 0},
        {"4294967296", 0},
        {"9223372036854775808", 0},  // one past the largest 64-bit signed value
        {"9999999999999999999", 0},  // grown once more, it would overflow
        {"18446744073709551617", 0}, // wrapped in 64 bits, it would be 1
        {"123456789012345678901234567890", 0},
    };
    for (const auto& c : casi) {
        bool letto = false;
        EXPECT_EQ(valore_codice(c.testo, letto), c.valore) << c.testo;
        EXPECT_EQ(letto, c.valore != 0) << c.testo;
    }
    EXPECT_EQ(valore_intero("-99999999999999999999999"), -1'000'000'000'000'000'000);
}

TEST(FormatNumberRule, AmountsConvertOnlyPlainDecimalText) {
    EXPECT_DOUBLE_EQ(valore_importo("          41.00"), 41.0);
    EXPECT_DOUBLE_EQ(valore_importo("  -3.25 *"), -3.25);
    EXPECT_DOUBLE_EQ(valore_importo(".5"), 0.5);
    EXPECT_DOUBLE_EQ(valore_importo("1e5"), 1.0);
    EXPECT_DOUBLE_EQ(valore_importo("0x1A"), 0.0);
    EXPECT_DOUBLE_EQ(valore_importo("inf"), 0.0);
    EXPECT_DOUBLE_EQ(valore_importo("nan"), 0.0);
    EXPECT_DOUBLE_EQ(valore_importo("."), 0.0);
}

TEST(FormatNumberRule, AmountsReadAsTheDoubleNearestTheirText) {
    // Up to 22 digits, the point anywhere or nowhere, a sign or none: few
    // digits take a quicker way than many, and both must round the same.
    std::mt19937 caso(42);
    std::uniform_int_distribution<int> cifra(0, 9);
    for (int prova = 0; prova < 200000; ++prova) {
        const int quante = std::uniform_int_distribution<int>(1, 22)(caso);
        std::string testo;
        for (int i = 0; i < quante; ++i) testo += static_cast<char>('0' + cifra(caso));
        const int punto = std::uniform_int_distribution<int>(0, quante + 1)(caso);
        if (punto <= quante) testo.insert(static_cast<std::size_t>(punto), ".");
        if (prova % 3 == 0) testo.insert(0, "-");
        std::string normale = testo; // from_chars wants a digit before the point
        const std::size_t p = normale.find('.');
        if (p != std::string::npos && (p == 0 || normale[p - 1] == '-')) normale.insert(p, "0");
        double atteso = 0.0;
        std::from_chars(normale.data(), normale.data() + normale.size(), atteso,
                        std::chars_format::fixed);
        ASSERT_EQ(valore_importo("   " + testo + " *"), atteso) << testo;
    }
}

TEST(FormatCutRule, OwnerTextColumnsAreCutAsTrnkStrCutsTheColumnCopied) {
    // Lines of blanks, letters, carriage returns and NUL bytes, long and
    // short, against the cut made the plain way: the column and the
    // character beyond it copied up to a NUL, without the carriage returns
    // they end with, cut by trnk_str at 31, without blanks or carriage
    // returns at the end.
    std::mt19937 caso(31);
    const char PEZZI[] = {' ', ' ', ' ', 'A', 'B', '\r', '\0'};
    for (int prova = 0; prova < 100000; ++prova) {
        std::string riga(std::uniform_int_distribution<std::size_t>(0, 70)(caso), ' ');
        for (char& c : riga) c = PEZZI[std::uniform_int_distribution<int>(0, 6)(caso)];
        const std::size_t prima = prova % 2 == 0 ? 1 : 33;
        char colonna[33] = {};
        const std::string_view vista = colonne(riga, prima, 32);
        std::size_t n = std::min(vista.find('\0'), vista.size());
        while (n > 0 && vista[n - 1] == '\r') --n;
        if (n > 0) std::memcpy(colonna, vista.data(), n);
        trnk_str(colonna, 31);
        std::string atteso = colonna;
        while (!atteso.empty() && (atteso.back() == ' ' || atteso.back() == '\r'))
            atteso.pop_back();
        char campo[32];
        testo_a_colonna(campo, riga, prima);
        ASSERT_EQ(std::string(campo), atteso) << prova;
    }
}

TEST(FormatAmountColumn, AmountsAreWrittenAsFixedPointWithTwoDecimalsInFifteenColumns) {
    // Half cents, amounts that a product by 100 would round wrongly, every
    // size up to and past the column, and what a hand-edited file may give.
    std::vector<double> importi = {0.0,
                                   -0.0,
                                   0.125,
                                   0.375,
                                   2.675,
                                   1.005,
                                   0.005,
                                   0.015,
                                   8.345,
                                   41.0,
                                   1234.5,
                                   999999999999.99,
                                   999999999999.995,
                                   1e15,
                                   -3.25,
                                   -0.001,
                                   1e300,
                                   -1e300,
                                   std::numeric_limits<double>::infinity(),
                                   std::numeric_limits<double>::quiet_NaN(),
                                   std::numeric_limits<double>::denorm_min()};
    for (int centesimi = 0; centesimi < 100000; ++centesimi) {
        importi.push_back(centesimi / 100.0);
        importi.push_back((centesimi + 0.5) / 100.0);
    }
    std::mt19937 caso(7);
    for (int i = 0; i < 100000; ++i)
        importi.push_back(std::ldexp(std::uniform_real_distribution<double>(0.5, 1.0)(caso),
                                     std::uniform_int_distribution<int>(-12, 50)(caso)));
    for (double v : importi) {
        char colonne[LARGHEZZA_MAX_IMPORTO + 16];
        const std::string scritto(colonne, scrivi_importo(colonne, v, 15));
        const std::string testo = fisso2(v);
        const std::string atteso =
            std::string(testo.size() < 15 ? 15 - testo.size() : 0, ' ') + testo;
        ASSERT_EQ(scritto, atteso) << v;
    }
}

// Writes the lists, frees them and loads them again from what was written.
class StorageRoundTrip : public AmbienteArchivio {
  protected:
    void giro() {
        ASSERT_TRUE(scrivi_archivio("c.txt", "a.txt"));
        libera_liste();
        ASSERT_EQ(carica_archivio("c.txt", "a.txt"), 0);
    }
};

TEST_F(StorageRoundTrip, WorkedExamplesLoadIntoTheirFieldsAndSaveBackByteForByte) {
    scrivi_file("c.txt", esempio_contravvenzioni());
    scrivi_file("a.txt", esempio_anagrafica());
    ASSERT_EQ(carica_archivio("c.txt", "a.txt"), 0);
    ASSERT_EQ(conta(lista_anagraf), 2);
    EXPECT_EQ(descrivi(*lista_anagraf), "1|ROSSI|MARIO|5/3/1970|VIA ROMA 10|MILANO|20100|MI|"
                                        "RSSMRA70C05F205Z|AB1234567C");
    EXPECT_EQ(descrivi(*lista_anagraf->next),
              "2|BIANCHI|ANNA MARIA|21/11/1985|PIAZZA GARIBALDI 3|TORINO|10121|TO|"
              "BNCNMR85S61L219K|CD7654321E");
    ASSERT_EQ(conta(lista_contravv), 2);
    EXPECT_EQ(descrivi(*lista_contravv), "1|12/3/2008|Milano, viale Monza|AB123CD|"
                                         "Eccesso di velocita|41.0000|owner 1|paid 20/3/2008");
    EXPECT_EQ(lista_contravv->anagraf, lista_anagraf);
    EXPECT_EQ(descrivi(*lista_contravv->next), "2|1/4/2008|     Torino|XY987ZT|Divieto di sosta|"
                                               "38.5000|no owner|unpaid 0/0/0");

    ASSERT_TRUE(scrivi_archivio("c2.txt", "a2.txt"));
    EXPECT_EQ(leggi_file("c2.txt"), esempio_contravvenzioni());
    EXPECT_EQ(leggi_file("a2.txt"), esempio_anagrafica());
}

TEST_F(StorageRoundTrip, ShortPlaceIsPaddedOnceAndThenStaysTheSame) {
    aggiungi_contravv(1, {1, 4, 2008}, "Torino", "XY987ZT", "Sosta", 38.5);
    aggiungi_contravv(2, {1, 4, 2008}, "Milano Nord", "XY987ZT", "Sosta", 38.5);
    giro();
    EXPECT_STREQ(lista_contravv->luogo, "     Torino");
    EXPECT_STREQ(lista_contravv->next->luogo, "Milano Nord");
    const std::string primo = leggi_file("c.txt");
    giro();
    EXPECT_EQ(leggi_file("c.txt"), primo);
}

TEST_F(StorageRoundTrip, OwnerTextColumnsComeBackByTheCutRule) {
    const std::string trenta = riga('A', 30), trentuno = riga('B', 31);
    aggiungi_anagraf(1, trenta.c_str(), trentuno.c_str(), {1, 1, 1980}, "VIA  ROMA 1",
                     trenta.c_str(), "201", "M", "RSSMRA70C05F205Z", "AB1234567C");
    aggiungi_anagraf(2, trentuno.c_str(), "LUCA", {1, 1, 1980}, trentuno.c_str(), trentuno.c_str(),
                     "", "", "", "");
    giro();
    EXPECT_EQ(descrivi(*lista_anagraf), "1|" + trenta + "|" + trentuno + "|1/1/1980|VIA|" + trenta +
                                            "|201|M|RSSMRA70C05F205Z|AB1234567C");
    EXPECT_EQ(descrivi(*lista_anagraf->next),
              "2|" + trentuno + "|LUCA|1/1/1980|" + trentuno + "|" + trentuno + "||||");
}

TEST_F(StorageRoundTrip, AmountsAreWrittenInFifteenColumnsAndReadAsPrinted) {
    for (double importo : {41.0, 1234.5, 0.005, 2.675})
        aggiungi_contravv(1, {1, 1, 2008}, "Roma", "AA111AA", "Sosta", importo);
    giro();
    const std::string file = leggi_file("c.txt");
    EXPECT_NE(file.find("\n" + riga(' ', 10) + "41.00 - \n"), std::string::npos);
    EXPECT_NE(file.find("\n" + riga(' ', 8) + "1234.50 - \n"), std::string::npos);
    const NODO_CONTRAVV* c = lista_contravv;
    EXPECT_DOUBLE_EQ(c->importo, 41.0);
    EXPECT_DOUBLE_EQ(c->next->importo, 1234.5);
    EXPECT_DOUBLE_EQ(c->next->next->importo, 0.01);
    EXPECT_DOUBLE_EQ(c->next->next->next->importo, 2.67);
}

TEST_F(StorageRoundTrip, PaymentDatesAndOwnerLinksComeBack) {
    NODO_ANAGRAF* a = aggiungi_anagraf(7, "ROSSI", "MARIO", {5, 3, 1970}, "", "", "", "", "", "");
    aggiungi_contravv(1, {1, 2, 2008}, "Roma", "AA111AA", "Sosta", 10, a, true, {29, 2, 2008});
    aggiungi_contravv(2, {1, 2, 2008}, "Roma", "AA111AA", "Sosta", 10, a, false, {5, 5, 2008});
    giro();
    EXPECT_EQ(lista_contravv->anagraf, lista_anagraf);
    EXPECT_EQ(lista_contravv->next->anagraf, lista_anagraf);
    EXPECT_TRUE(lista_contravv->next->con_anagraf);
    EXPECT_EQ(testo_data(lista_contravv->data_pagamento), "29/2/2008");
    EXPECT_FALSE(lista_contravv->next->pagata);
    EXPECT_EQ(testo_data(lista_contravv->next->data_pagamento), "0/0/0");
}

TEST_F(StorageRoundTrip, YearsBelowOneThousandKeepTheirColumns) {
    NODO_ANAGRAF* a = aggiungi_anagraf(1, "ROSSI", "MARIO", {1, 1, 999}, "", "", "", "", "", "");
    aggiungi_contravv(1, {9, 9, 999}, "Roma", "AA111AA", "Sosta", 10, a, true, {10, 9, 999});
    giro();
    EXPECT_NE(leggi_file("a.txt").find("\n01/01/0999\n"), std::string::npos);
    EXPECT_NE(leggi_file("c.txt").find("\n09/09/0999        Roma\n"), std::string::npos);
    EXPECT_EQ(testo_data(lista_anagraf->data_nascita), "1/1/999");
    EXPECT_STREQ(lista_contravv->luogo, "       Roma");
    EXPECT_EQ(testo_data(lista_contravv->data_pagamento), "10/9/999");
}

} // namespace
