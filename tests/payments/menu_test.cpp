// The payments menu: items, headings, prompts and pauses.
#include "payments/fixture.h"
#include "payments/payments.h"

using namespace prova_dialoghi;

namespace {

struct PaymentsMenu : ListeDialogo {};

const std::string MENU = "\f\n MENU' PAGAMENTI\n___________________\n\n"
                         "[1] Visualizza lo stato del pagamento di una contravvenzione\n"
                         "[2] Inserisci un pagamento\n[3] Modifica dati pagamento\n"
                         "[4] Elimina pagamento\n[5] Statistiche pagamenti\n"
                         "[6] Menu' principale\n\n>";
const std::string ESCI = MENU + "\f";
const std::string NON_ESISTE = "\nLa contravvenzione cercata non esiste.\n";

} // namespace

TEST_F(PaymentsMenu, EmptyLineAtTheNumberPromptsReadsFineZero) {
    multa({1, 3, 2007});
    ConsoleFinta c("1\n\n\n3\n\n\n4\n\n\n6\n");
    menu_pagam();
    const std::string atteso =
        MENU + "\f\n STATO PAGAMENTI\n_____________________\n" +
        "\nInserisci il codice della contravvenzione di cui si vuole sapere se e' stato "
        "\neffettuato il pagamento:\n>" +
        NON_ESISTE + PAUSA + "\f" + MENU + "\f\n MODIFICA PAGAMENTO\n______________________\n" +
        "\nInserisci il numero della contravvenzione a cui modificare la data di pagamento\n>" +
        NON_ESISTE + PAUSA + "\f" + MENU + "\f\n ELIMINA PAGAMENTO\n_____________________\n" +
        "\nInserisci il numero della contravvenzione a cui eliminare la data di pagamento\n>" +
        NON_ESISTE + PAUSA + "\f" + ESCI;
    EXPECT_EQ(c.testo(), atteso);
}

TEST_F(PaymentsMenu, StatisticsHaveTheirHeadingAndAPause) {
    multa({1, 3, 2007}, 41.0, nullptr, {2, 3, 2007});
    const std::string statistiche = stampato([] { bilancio(lista_contravv); });
    ConsoleFinta c("5\n\n6\n");
    menu_pagam();
    EXPECT_EQ(c.testo(), MENU + "\f\n STATISTICHE PAGAMENTI\n_______________________\n" +
                             statistiche + PAUSA + "\f" + ESCI);
}

TEST_F(PaymentsMenu, ChoiceOutOfRangeOnlyPromptsAgain) {
    ConsoleFinta c("7\n0\nx\n6\n");
    menu_pagam();
    EXPECT_EQ(c.testo(), MENU + ">>>\f");
}
