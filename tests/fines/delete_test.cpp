// Deleting a fine: the dialogue, and the deletion of the fine's own owner.
#include "fines/fines.h"
#include "fines/fixtures.h"

namespace {
const std::string CHIEDI_NUMERO =
    "\nInserire il numero della contravvenzione per visualizzarla ed\neventualmente eliminarla\n>";
const std::string CONFERMA =
    "\nPremere INVIO per eliminare i dati della contravvenzione, X per uscire... ";
const std::string D_ANAGRAF =
    "\nEliminare anche i dati anagrafici connessi a questa contravvenzione? (s/n)\n";
} // namespace

using FinesDelete = ListeVuote;

TEST_F(FinesDelete, WithoutOwnerAfterRepeatedQuestion) {
    aggiungi_contravv(1);
    aggiungi_contravv(2);
    ConsoleFinta c("2\n\ny\ns\n\n");
    EXPECT_EQ(canc_contravv(), 0);
    EXPECT_EQ(c.testo(), CHIEDI_NUMERO + blocco_senza_anagraf(2) + CONFERMA + D_ANAGRAF +
                             D_ANAGRAF + "\n --- Contravvenzione eliminata ---\n" + PAUSA);
    EXPECT_EQ(lista_contravv->next, nullptr);
}

TEST_F(FinesDelete, OwnerSharedWithASecondPaidFineGoesAndTheSecondLosesItsPayment) {
    NODO_ANAGRAF* a = aggiungi_anagraf(1);
    aggiungi_contravv(1, a, DATA{20, 3, 2008});
    aggiungi_contravv(2, a, DATA{21, 3, 2008});
    {
        ConsoleFinta c("1\n \ns\n\n");
        EXPECT_EQ(canc_contravv(), 0);
    }
    EXPECT_EQ(lista_anagraf, nullptr);
    ConsoleFinta c;
    vis_contravv(lista_contravv, 2);
    EXPECT_EQ(c.testo(), blocco_senza_anagraf(2));
}

TEST_F(FinesDelete, YesDeletesTheFinesOwnOwnerNotTheFirstWithItsCode) {
    NODO_ANAGRAF* primo = aggiungi_anagraf(4);
    aggiungi_contravv(1, aggiungi_anagraf(4, "BIANCHI"));
    ConsoleFinta c("1\n\nS\n\n");
    EXPECT_EQ(canc_contravv(), 0);
    EXPECT_EQ(lista_anagraf, primo);
    EXPECT_EQ(primo->next, nullptr);
    EXPECT_EQ(lista_contravv, nullptr);
}

TEST_F(FinesDelete, XKeepsEverythingAndUnknownNumberPauses) {
    NODO_ANAGRAF* a = aggiungi_anagraf(1);
    aggiungi_contravv(1, a);
    ConsoleFinta c("1\nx\n9\n\n");
    EXPECT_EQ(canc_contravv(), 1);
    EXPECT_EQ(canc_contravv(), -1);
    EXPECT_NE(lista_contravv, nullptr);
    EXPECT_EQ(lista_contravv->anagraf, a);
    const std::string fine =
        CONFERMA + CHIEDI_NUMERO + "\nLa contravvenzione cercata non e' stata trovata.\n" + PAUSA;
    EXPECT_TRUE(c.testo().ends_with(fine)) << c.testo();
}
