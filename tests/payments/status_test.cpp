// The payment of one fine: status, change of date and removal.
#include "owners/owners.h"
#include "payments/fixture.h"
#include "payments/payments.h"

using namespace prova_dialoghi;

namespace {

struct PaymentsStatus : ListeDialogo {
    void SetUp() override {
        ListeDialogo::SetUp();
        rossi = proprietario("ROSSI");
        pagata = multa({10, 3, 2007}, 41.0, rossi, {12, 3, 2007});
        con_proprietario = multa({10, 3, 2007}, 38.5, rossi);
        senza_proprietario = multa({10, 3, 2007}, 120.0);
        blocco_pagamento = stampato([this] { vis_anagraf(lista_anagraf, rossi); });
        blocco_pagamento = "\nLa contravvenzione e' stata pagata in data 12/3/2007\n"
                           "dal Sig./dalla Sig.ra\n" +
                           blocco_pagamento;
    }
    NODO_ANAGRAF* rossi = nullptr;
    NODO_CONTRAVV* pagata = nullptr;
    NODO_CONTRAVV* con_proprietario = nullptr;
    NODO_CONTRAVV* senza_proprietario = nullptr;
    std::string blocco_pagamento;
};

const std::string CONFERMA_MODIFICA =
    "\nPremere INVIO per modificare la data di pagamento, X per uscire... ";
const std::string CONFERMA_ELIMINA =
    "\nPremere INVIO per eliminare la data del pagamento, X per uscire... ";

} // namespace

TEST_F(PaymentsStatus, ShowsDateAndOwnerOrWhatIsMissing) {
    ConsoleFinta c;
    EXPECT_EQ(vis_pagam(lista_contravv, 1), 0);
    EXPECT_EQ(vis_pagam(lista_contravv, 2), 1);
    EXPECT_EQ(vis_pagam(lista_contravv, 3), 1);
    EXPECT_EQ(vis_pagam(lista_contravv, 4), -1);
    EXPECT_EQ(c.testo(), blocco_pagamento +
                             "\nMulta non ancora pagata, ma sono gia' stati inseriti i dati "
                             "anagrafici.\n"
                             "\nMulta non ancora pagata\n"
                             "\nLa contravvenzione cercata non esiste.\n");
}

TEST_F(PaymentsStatus, ChangeDeclinedWithXLeavesTheDate) {
    ConsoleFinta c("X\n");
    EXPECT_EQ(mod_pagam(lista_contravv, 1), 1);
    EXPECT_EQ(c.testo(), blocco_pagamento + CONFERMA_MODIFICA);
    EXPECT_TRUE(stesso_giorno(pagata->data_pagamento, {12, 3, 2007}));
}

TEST_F(PaymentsStatus, ChangeRefusesADateBeforeTheTicket) {
    ConsoleFinta c("\n09/03/2007\n11/03/2007\n\n");
    EXPECT_EQ(mod_pagam(lista_contravv, 1), 0);
    EXPECT_EQ(c.testo(), blocco_pagamento + CONFERMA_MODIFICA +
                             "\nInserire la nuova data di pagamento:  "
                             "\nData non valida: \nLa data di pagamento deve essere successiva a "
                             "quella della contravvenzione.\nPrego reinserire la data del "
                             "pagamento: "
                             "\n --- Data del pagamento modificata ---\n\n" +
                             PAUSA);
    EXPECT_TRUE(pagata->pagata);
    EXPECT_TRUE(stesso_giorno(pagata->data_pagamento, {11, 3, 2007}));
}

TEST_F(PaymentsStatus, ChangeOfAnUnpaidFineIsRefused) {
    ConsoleFinta c("\n");
    EXPECT_EQ(mod_pagam(lista_contravv, 2), 1);
    EXPECT_EQ(c.testo(), "\nImpossibile modificare: multa non ancora pagata\n\n" + PAUSA);
}

TEST_F(PaymentsStatus, RemovalDeclinedWithXOrRefusedForAnUnpaidFine) {
    ConsoleFinta c("x\n\n");
    EXPECT_EQ(canc_pagam(lista_contravv, 1), 1);
    EXPECT_EQ(canc_pagam(lista_contravv, 3), -1);
    EXPECT_EQ(c.testo(),
              blocco_pagamento + CONFERMA_ELIMINA + "\nMulta non ancora pagata\n" + PAUSA);
    EXPECT_TRUE(pagata->pagata);
}

TEST_F(PaymentsStatus, RemovalKeepsTheOwnerAndTheFineCanBePaidAgain) {
    ConsoleFinta c("\n\n10/03/2007\n\n");
    EXPECT_EQ(canc_pagam(lista_contravv, 1), 0);
    EXPECT_EQ(c.testo(),
              blocco_pagamento + CONFERMA_ELIMINA + "\n --- Pagamento eliminato ---\n" + PAUSA);
    EXPECT_FALSE(pagata->pagata);
    EXPECT_TRUE(stesso_giorno(pagata->data_pagamento, {0, 0, 0}));
    EXPECT_EQ(pagata->anagraf, rossi);
    EXPECT_TRUE(pagata->con_anagraf);
    EXPECT_EQ(ins_pagam(1), 0);
    EXPECT_TRUE(pagata->pagata);
    EXPECT_TRUE(stesso_giorno(pagata->data_pagamento, {10, 3, 2007}));
}
