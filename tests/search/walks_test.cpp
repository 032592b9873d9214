// The guided walks over fines without owner data and over unpaid fines.
#include "search/helpers.h"
#include "search/search.h"

using SearchWalks = ListeVuote;

TEST_F(SearchWalks, NothingMissingShowsOnlyTheEndMessage) {
    NODO_ANAGRAF* a = aggiungi_anagraf(1);
    aggiungi_contravv(1, a, DATA{20, 3, 2008});
    aggiungi_contravv(2, a, DATA{21, 3, 2008});
    ConsoleFinta c("\n\n");
    EXPECT_EQ(cerca_no_anagraf(lista_contravv), 1);
    EXPECT_EQ(cerca_no_pagam(lista_contravv), 1);
    EXPECT_EQ(c.testo(), FINE_ANAGRAF + FINE_PAGAM);
}

TEST_F(SearchWalks, PaymentWalkPassesOverThePaidFine) {
    NODO_ANAGRAF* a = aggiungi_anagraf(1);
    const std::string uno = blocco(aggiungi_contravv(1, a));
    aggiungi_contravv(2, a, DATA{20, 3, 2008});
    const std::string tre = blocco(aggiungi_contravv(3, a));
    ConsoleFinta c("\n\n\n");
    EXPECT_EQ(cerca_no_pagam(lista_contravv), 1);
    EXPECT_EQ(c.testo(), uno + PROMPT_PAGAM + tre + PROMPT_PAGAM + FINE_PAGAM);
}

TEST_F(SearchWalks, OwnerEnteredWithMAndTheWalkGoesOn) {
    NODO_CONTRAVV* uno = aggiungi_contravv(1);
    aggiungi_contravv(2);
    ConsoleFinta c("M\n" + ROSSI_DIGITATO + "\n\n");
    EXPECT_EQ(cerca_no_anagraf(lista_contravv), 1);
    EXPECT_EQ(c.testo(), blocco_senza_anagraf(1) + PROMPT_ANAGRAF + FORM_ANAGRAF + "\f" +
                             blocco_senza_anagraf(2) + PROMPT_ANAGRAF + FINE_ANAGRAF);
    EXPECT_TRUE(uno->con_anagraf);
    EXPECT_EQ(uno->anagraf, lista_anagraf);
    EXPECT_FALSE(uno->next->con_anagraf);
}

TEST_F(SearchWalks, PaymentEnteredWithMAndTheWalkGoesOn) {
    NODO_ANAGRAF* a = aggiungi_anagraf(1);
    NODO_CONTRAVV* uno = aggiungi_contravv(1, a);
    const std::string primo = blocco(uno), secondo = blocco(aggiungi_contravv(2, a));
    const std::string rossi = scheda(a);
    ConsoleFinta c("m\n20/03/2008\n\n\n\n");
    EXPECT_EQ(cerca_no_pagam(lista_contravv), 1);
    EXPECT_EQ(c.testo(), primo + PROMPT_PAGAM + "\f\nLa contravvenzione deve essere pagata da \n" +
                             rossi +
                             "\nInserire la data del pagamento:  \n\nPagamento aggiunto.\n" +
                             PAUSA + "\f" + secondo + PROMPT_PAGAM + FINE_PAGAM);
    EXPECT_TRUE(uno->pagata);
    EXPECT_EQ(uno->data_pagamento.gg, 20);
    EXPECT_FALSE(uno->next->pagata);
}

TEST_F(SearchWalks, XAtTheFirstFineEndsAtOnce) {
    aggiungi_contravv(1);
    aggiungi_contravv(2);
    ConsoleFinta c("x\nX\n");
    EXPECT_EQ(cerca_no_anagraf(lista_contravv), 0);
    EXPECT_EQ(cerca_no_pagam(lista_contravv), 0);
    EXPECT_EQ(c.testo(),
              blocco_senza_anagraf(1) + PROMPT_ANAGRAF + blocco_senza_anagraf(1) + PROMPT_PAGAM);
}

TEST_F(SearchWalks, PaymentRefusedWithoutOwnerAndTheWalkGoesOn) {
    NODO_CONTRAVV* uno = aggiungi_contravv(1);
    const std::string due = blocco(aggiungi_contravv(2, aggiungi_anagraf(1)));
    ConsoleFinta c("M\n\n\n\n");
    EXPECT_EQ(cerca_no_pagam(lista_contravv), 1);
    EXPECT_EQ(c.testo(), blocco_senza_anagraf(1) + PROMPT_PAGAM +
                             "\f\nNon e' possibile registrare il pagamento in quanto non e' stato "
                             "ancora inserito un proprietario\n" +
                             PAUSA + "\f" + due + PROMPT_PAGAM + FINE_PAGAM);
    EXPECT_FALSE(uno->pagata);
}

TEST_F(SearchWalks, TwoFinesSharingANumberAreEachShownAndCompleted) {
    NODO_CONTRAVV* primo = aggiungi_contravv(4, nullptr, DATA{0, 0, 0}, "Via Alfa");
    NODO_CONTRAVV* secondo = aggiungi_contravv(4, nullptr, DATA{0, 0, 0}, "Via Beta");
    ConsoleFinta c("\nm\n" + ROSSI_DIGITATO + "\n" + "\nm\n20/03/2008\n\n\n");
    EXPECT_EQ(cerca_no_anagraf(lista_contravv), 1);
    EXPECT_FALSE(primo->con_anagraf);
    EXPECT_EQ(secondo->anagraf, lista_anagraf);
    const std::string atteso = blocco_senza_anagraf(4, "Via Alfa") + PROMPT_ANAGRAF +
                               blocco_senza_anagraf(4, "Via Beta") + PROMPT_ANAGRAF + FORM_ANAGRAF +
                               "\f" + FINE_ANAGRAF;
    EXPECT_EQ(c.testo(), atteso);

    primo->anagraf = secondo->anagraf;
    primo->con_anagraf = true;
    EXPECT_EQ(cerca_no_pagam(lista_contravv), 1);
    EXPECT_FALSE(primo->pagata);
    EXPECT_TRUE(secondo->pagata);
    EXPECT_NE(c.testo().find("Luogo dell'infrazione: Via Beta", atteso.size()), std::string::npos);
}
