// Editing a fine: the confirmation, the field screen, the ticket date
// against the payment, and the owner and payment reached from it.
#include "fines/fines.h"
#include "owners/owners.h"
#include "payments/fixture.h"

using namespace prova_dialoghi;

namespace {

struct FinesEdit : ListeDialogo {};

const std::string CHIEDI_NUMERO =
    "\nInserire il numero della contravvenzione per visualizzarla ed\neventualmente modificarla\n>";
const std::string CONFERMA =
    "\nPremere INVIO per modificare i dati della contravvenzione, X per uscire... ";
const std::string CHIEDI_DATA =
    "\nInserire la data del verbale della contravvenzione (gg/mm/aaaa):\n> ";
const std::string DATA_RIFIUTATA =
    "\nImpossibile modificare: data non valida\nLa data di contravvenzione deve essere "
    "precedente a quella del pagamento.\nPrego reinserire la data della contravvenzione: ";
using testi::AGGIORNATI;

// The field screen of fine 1 made by multa(), with its prompt; `voci` are
// the items of its owner and payment.
std::string schermata(const std::string& verbale, const std::string& targa = "AB123CD",
                      const std::string& voci = "") {
    return "\f\n CONTRAVVENZIONE N.1\n\n[1] Data del verbale     : " + verbale +
           "\n[2] Luogo dell'infrazione: Roma, via Tuscolana"
           "\n[3] Targa del veicolo    : " +
           targa +
           "\n[4] Tipo di infrazione   : Sosta vietata"
           "\n[5] Importo della multa  : 41.00 euro\n" +
           voci + "\n\n[8] Fine modifiche\n\n\nSeleziona il campo da modificare [1-7, 8 fine]\n>";
}
const std::string PROPRIETARIO_E_PAGAMENTO =
    "\n[6] Modifica Dati anagrafici\n\n[7] Modifica la data di pagamento\n";

// The opening of the dialogue for fine 1: the number, the fine, the confirmation.
std::string apertura() {
    return CHIEDI_NUMERO + stampato([] { vis_contravv(lista_contravv, 1); }) + CONFERMA;
}

} // namespace

TEST_F(FinesEdit, UnknownNumberPausesAndXAtTheConfirmationLeavesAtOnce) {
    multa({1, 3, 2007});
    const std::string inizio = apertura();
    ConsoleFinta c("7\n\n1\nx\n");
    EXPECT_EQ(mod_contravv(lista_contravv), -1);
    EXPECT_EQ(mod_contravv(lista_contravv), 1);
    EXPECT_EQ(c.testo(), CHIEDI_NUMERO + "\nLa contravvenzione cercata non e' stata trovata.\n" +
                             PAUSA + inizio);
}

TEST_F(FinesEdit, ItemsSixAndSevenDoNothingWithoutOwnerOrPayment) {
    multa({1, 3, 2007});
    const std::string inizio = apertura();
    const std::string s = schermata("1/3/2007");
    ConsoleFinta c("1\n\n6\n7\n8\n\n");
    EXPECT_EQ(mod_contravv(lista_contravv), 0);
    EXPECT_EQ(c.testo(), inizio + s + "\n\n" + s + "\n\n\f" + s + "\n\n" + AGGIORNATI);
}

TEST_F(FinesEdit, PaidFineTakesATicketDateUpToThePaymentDate) {
    NODO_CONTRAVV* f = multa({1, 3, 2007}, 41.0, proprietario("ROSSI"), {10, 3, 2007});
    const std::string inizio = apertura();
    const std::string prima = schermata("1/3/2007", "AB123CD", PROPRIETARIO_E_PAGAMENTO);
    const std::string dopo = schermata("10/3/2007", "AB123CD", PROPRIETARIO_E_PAGAMENTO);
    ConsoleFinta c("1\n\n1\n11/03/2007\n10/03/2007\n8\n\n");
    EXPECT_EQ(mod_contravv(lista_contravv), 0);
    EXPECT_EQ(c.testo(),
              inizio + prima + "\n\n" + CHIEDI_DATA + DATA_RIFIUTATA + dopo + "\n\n" + AGGIORNATI);
    EXPECT_TRUE(stesso_giorno(f->data_verbale, {10, 3, 2007}));
}

TEST_F(FinesEdit, PaymentDateThatIsNoDateDoesNotLockTheTicketDate) {
    // A paid mark without a date, as a hand-edited data file may hold.
    NODO_CONTRAVV* f = multa({1, 3, 2007}, 41.0, proprietario("ROSSI"));
    f->pagata = true;
    ConsoleFinta c("1\n\n1\n02/03/2007\n8\n\n");
    EXPECT_EQ(mod_contravv(lista_contravv), 0);
    EXPECT_TRUE(stesso_giorno(f->data_verbale, {2, 3, 2007}));
}

TEST_F(FinesEdit, TicketDateIsCheckedAgainstThePaymentDateJustChanged) {
    NODO_ANAGRAF* a = proprietario("ROSSI");
    NODO_CONTRAVV* f = multa({1, 3, 2007}, 41.0, a, {10, 3, 2007});
    const std::string inizio = apertura();
    const std::string prima = schermata("1/3/2007", "AB123CD", PROPRIETARIO_E_PAGAMENTO);
    const std::string pagamento = "\nLa contravvenzione e' stata pagata in data 10/3/2007\n"
                                  "dal Sig./dalla Sig.ra\n" +
                                  stampato([&] { vis_anagraf(lista_anagraf, a); });
    const std::string dopo = schermata("5/3/2007", "AB123CD", PROPRIETARIO_E_PAGAMENTO);
    ConsoleFinta c("1\n\n7\n\n05/03/2007\n\n1\n06/03/2007\n05/03/2007\n8\n\n");
    EXPECT_EQ(mod_contravv(lista_contravv), 0);
    EXPECT_EQ(c.testo(), inizio + prima + "\n\n\f" + pagamento +
                             "\nPremere INVIO per modificare la data di pagamento, X per uscire... "
                             "\nInserire la nuova data di pagamento:  "
                             "\n --- Data del pagamento modificata ---\n\n" +
                             PAUSA + prima + "\n\n" + CHIEDI_DATA + DATA_RIFIUTATA + dopo + "\n\n" +
                             AGGIORNATI);
    EXPECT_TRUE(stesso_giorno(f->data_pagamento, {5, 3, 2007}));
    EXPECT_TRUE(stesso_giorno(f->data_verbale, {5, 3, 2007}));
}

TEST_F(FinesEdit, PlateIsStoredInUpperCase) {
    NODO_CONTRAVV* f = multa({1, 3, 2007});
    const std::string inizio = apertura();
    const std::string prima = schermata("1/3/2007");
    ConsoleFinta c("1\n\n3\nxy987zw\n8\n\n");
    mod_contravv(lista_contravv);
    EXPECT_STREQ(f->targa, "XY987ZW");
    EXPECT_EQ(c.testo(), inizio + prima + "\n\n\nInserire la targa del veicolo multato:\n> " +
                             schermata("1/3/2007", "XY987ZW") + "\n\n" + AGGIORNATI);
}

TEST_F(FinesEdit, ItemSixEditsTheFinesOwnOwnerWhenItsCodeIsShared) {
    NODO_ANAGRAF* primo = proprietario("ROSSI", 3);
    NODO_ANAGRAF* secondo = proprietario("VERDI", 3);
    multa({1, 3, 2007}, 41.0, secondo);
    ConsoleFinta c("1\n\n6\n1\nneri\nmario\n7\n\n8\n\n");
    EXPECT_EQ(mod_contravv(lista_contravv), 0);
    EXPECT_STREQ(secondo->cognome, "NERI");
    EXPECT_STREQ(primo->cognome, "ROSSI");
}
