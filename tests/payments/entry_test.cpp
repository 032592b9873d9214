// Recording a payment: refusals, the owner shown, the date checked
// against the ticket.
#include "owners/owners.h"
#include "payments/fixture.h"
#include "payments/payments.h"

using namespace prova_dialoghi;

namespace {

struct PaymentsEntry : ListeDialogo {};

const std::string DATA_RIFIUTATA =
    "\nData non valida: \nLa data di pagamento deve essere successiva "
    "a quella della contravvenzione.\nPrego reinserire la data del "
    "pagamento: ";

} // namespace

TEST_F(PaymentsEntry, EmptyListAndUnknownNumberAreReported) {
    {
        ConsoleFinta c("\n");
        EXPECT_EQ(ins_pagam(1), -1);
        EXPECT_EQ(c.testo(), "\nErrore: non e' presente alcuna contravvenzione.\n" + PAUSA);
    }
    multa({10, 3, 2007});
    ConsoleFinta c("\n");
    EXPECT_EQ(ins_pagam(2), -1);
    EXPECT_EQ(c.testo(), "\nLa contravvenzione cercata non esiste.\n" + PAUSA);
}

TEST_F(PaymentsEntry, PaidFineShowsWhoPaidUntilThePauseAndKeepsItsDate) {
    NODO_ANAGRAF* a = proprietario("ROSSI");
    NODO_CONTRAVV* f = multa({10, 3, 2007}, 41.0, a, {12, 3, 2007});
    const std::string blocco = stampato([&] { vis_anagraf(lista_anagraf, a); });
    ConsoleFinta c("\n");
    EXPECT_EQ(ins_pagam(1), 1);
    EXPECT_EQ(c.testo(), "\nLa contravvenzione e' gia' stata pagata dal Sig./dalla Sig.ra.\n" +
                             blocco + PAUSA);
    EXPECT_TRUE(f->pagata);
    EXPECT_TRUE(stesso_giorno(f->data_pagamento, {12, 3, 2007}));
}

TEST_F(PaymentsEntry, FineWithoutOwnerIsRefused) {
    NODO_CONTRAVV* f = multa({10, 3, 2007});
    ConsoleFinta c("\n");
    EXPECT_EQ(ins_pagam(1), 1);
    EXPECT_EQ(c.testo(), "\nNon e' possibile registrare il pagamento in quanto non e' stato "
                         "ancora inserito un proprietario\n" +
                             PAUSA);
    EXPECT_FALSE(f->pagata);
}

TEST_F(PaymentsEntry, DateBeforeTheTicketIsAskedAgainAndTheSameDayIsAccepted) {
    NODO_ANAGRAF* a = proprietario("ROSSI");
    NODO_CONTRAVV* f = multa({10, 3, 2007}, 41.0, a);
    const std::string blocco = stampato([&] { vis_anagraf(lista_anagraf, a); });
    ConsoleFinta c("09/03/2007\n10/03/2007\n\n");
    EXPECT_EQ(ins_pagam(1), 0);
    EXPECT_EQ(c.testo(), "\nLa contravvenzione deve essere pagata da \n" + blocco +
                             "\nInserire la data del pagamento:  " + DATA_RIFIUTATA +
                             "\n\nPagamento aggiunto.\n" + PAUSA);
    EXPECT_TRUE(f->pagata);
    EXPECT_TRUE(stesso_giorno(f->data_pagamento, {10, 3, 2007}));
}

TEST_F(PaymentsEntry, ATicketDateThatIsNoDateNeverBlocksThePayment) {
    // A hand-edited file may hold 99/99/9999: every payment date would precede it.
    NODO_CONTRAVV* f = multa({99, 99, 9999}, 41.0, proprietario("ROSSI"));
    ConsoleFinta c("01/01/2026\n\n");
    EXPECT_EQ(ins_pagam_record(f), 0);
    EXPECT_TRUE(f->pagata);
    EXPECT_TRUE(stesso_giorno(f->data_pagamento, {1, 1, 2026}));
}
