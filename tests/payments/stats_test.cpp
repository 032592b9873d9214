// Payment statistics: counts, sums, shares and their bars.
#include <sstream>
#include <vector>

#include "payments/fixture.h"
#include "payments/payments.h"

using namespace prova_dialoghi;

namespace {

struct PaymentsStats : ListeDialogo {};

std::string blocchi(int n) {
    return std::string(static_cast<std::size_t>(n), '\xDB');
}

std::vector<std::string> righe(const std::string& testo) {
    std::vector<std::string> r;
    std::istringstream s(testo);
    for (std::string riga; std::getline(s, riga);) r.push_back(riga);
    return r;
}

std::string bilancio_stampato() {
    return stampato([] { EXPECT_EQ(bilancio(lista_contravv), 0); });
}

} // namespace

TEST_F(PaymentsStats, WorkedExampleLineByLine) {
    multa({1, 3, 2007}, 41.00, nullptr, {2, 3, 2007});
    multa({1, 3, 2007}, 38.50);
    multa({1, 3, 2007}, 120.00, nullptr, {2, 3, 2007});
    const std::vector<std::string> attese = {
        "",
        "\t\t\t\tTotale multe: 3",
        "",
        "Multe pagate:     2",
        blocchi(40) + " 66.67%",
        "",
        blocchi(20) + " 33.33%",
        "Multe non pagate: 1",
        std::string(78, '_'),
        "",
        "\t\t\tImporto totale multe: 199.50 euro",
        "",
        "Totale pagato:    161.00 euro",
        blocchi(48) + " 80.70%",
        "",
        blocchi(12) + " 19.30%",
        "Totale da pagare: 38.50 euro",
        "",
        "",
    };
    const std::string testo = bilancio_stampato();
    EXPECT_EQ(righe(testo), attese);
    EXPECT_EQ(testo.back(), '\n');
}

TEST_F(PaymentsStats, NoPaidFineGivesAnEmptyPaidBar) {
    multa({1, 3, 2007}, 10.0);
    multa({1, 3, 2007}, 30.0);
    const auto r = righe(bilancio_stampato());
    EXPECT_EQ(r[4], " 0.00%");
    EXPECT_EQ(r[6], blocchi(60) + " 100.00%");
    EXPECT_EQ(r[13], " 0.00%");
    EXPECT_EQ(r[15], blocchi(60) + " 100.00%");
}

TEST_F(PaymentsStats, BarsOfAPairAreRoundedEachOnItsOwn) {
    multa({1, 3, 2007}, 10.0, nullptr, {1, 3, 2007});
    for (int i = 0; i < 7; ++i) multa({1, 3, 2007}, 10.0);
    const auto r = righe(bilancio_stampato());
    EXPECT_EQ(r[4], blocchi(8) + " 12.50%");
    EXPECT_EQ(r[6], blocchi(53) + " 87.50%");
    EXPECT_EQ(r[13], blocchi(8) + " 12.50%");
    EXPECT_EQ(r[15], blocchi(53) + " 87.50%");
}

TEST_F(PaymentsStats, AllAmountsZeroGiveTwoEmptyAmountBars) {
    multa({1, 3, 2007}, 0.0, nullptr, {1, 3, 2007});
    multa({1, 3, 2007}, 0.0);
    const std::string atteso = "\n\t\t\t\tTotale multe: 2\n\nMulte pagate:     1\n" + blocchi(30) +
                               " 50.00%\n\n" + blocchi(30) + " 50.00%\nMulte non pagate: 1\n" +
                               std::string(78, '_') +
                               "\n\n\t\t\tImporto totale multe: 0.00 euro\n\nTotale pagato:    "
                               "0.00 euro\n 0.00%\n\n 0.00%\nTotale da pagare: 0.00 euro\n\n\n";
    EXPECT_EQ(bilancio_stampato(), atteso);
}

TEST_F(PaymentsStats, EmptyListPrintsOnlyItsMessage) {
    ConsoleFinta c;
    EXPECT_EQ(bilancio(lista_contravv), 1);
    EXPECT_EQ(c.testo(), "\nNon e' presente alcuna contravvenzione.\n");
}
