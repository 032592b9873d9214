// Recording a fine: the whole form dialogue with its two questions,
// amounts, and the numbering of new fines.
#include <charconv>

#include "console/text.h"
#include "fines/fines.h"
#include "fines/fixtures.h"
#include "owners/owners.h"

namespace {

const std::string FORM =
    "\n\nInserire la data del verbale della contravvenzione (gg/mm/aaaa):\n> "
    "\nInserire il luogo in cui e' stata commessa l'infrazione (citta', via):\n> "
    "\nInserire la targa del veicolo multato:\n> "
    "\nInserire il tipo di infrazione:\n> "
    "\nInserire l'importo della multa in euro:\n> ";
const std::string DATI = "12/03/2008\nMilano, viale Monza\nab123cdxy\nSosta\n41\n";
const std::string D_PROP = "\n\nInserire subito i dati del proprietario? (s/n) ";
const std::string D_PAG = "\nInserire subito i dati dell'avvenuto pagamento? (s/n) ";
const std::string OWNER_FORM =
    "\n\n----------------------------------------------------------"
    "\n\nInserire i dati anagrafici del proprietario del veicolo\nCognome: Nome   : Data di "
    "nascita: "
    "\nInserire i dati relativi alla residenza del proprietario del veicolo\n"
    "Indirizzo:  Citta'   :  CAP      :  Provincia:  "
    "\nInserire il codice fiscale del proprietario:\n> "
    "\nInserire il numero della patente del guidatore:\n> ";
const std::string MSG_NUM =
    "Il valore numerico inserito contiene caratteri non validi, prego riprovare\n";

std::string fine_ok(uint32_t n) {
    return "\nContravvenzione n." + std::to_string(n) + " inserita correttamente. \n";
}

// Records a fine without owner and gives back its number.
uint32_t registra() {
    ConsoleFinta c(DATI + "n\n");
    EXPECT_EQ(ins_contravv(lista_contravv), 0);
    return coda(lista_contravv)->numero;
}

} // namespace

using FinesEntry = ListeVuote;

TEST_F(FinesEntry, NoOwnerAfterRepeatedQuestion) {
    ConsoleFinta c(DATI + "k\nN\n");
    EXPECT_EQ(ins_contravv(lista_contravv), 0);
    EXPECT_EQ(c.testo(), FORM + D_PROP + D_PROP + fine_ok(1));
    const NODO_CONTRAVV* f = lista_contravv;
    EXPECT_STREQ(f->targa, "AB123CD");
    EXPECT_STREQ(f->luogo, "Milano, viale Monza");
    EXPECT_FALSE(f->con_anagraf);
    EXPECT_FALSE(f->pagata);
}

TEST_F(FinesEntry, OwnerWithoutPayment) {
    ConsoleFinta c(DATI + "s\n" + ROSSI_DIGITATO + "x\nn\n");
    EXPECT_EQ(ins_contravv(lista_contravv), 0);
    EXPECT_EQ(c.testo(), FORM + D_PROP + OWNER_FORM + D_PAG + D_PAG + fine_ok(1));
    EXPECT_EQ(lista_contravv->anagraf, lista_anagraf);
    EXPECT_TRUE(lista_contravv->con_anagraf);
    EXPECT_FALSE(lista_contravv->pagata);
}

TEST_F(FinesEntry, PaymentOnTheTicketDayAfterOneDayBeforeIsRefused) {
    ConsoleFinta c(DATI + "S\n" + ROSSI_DIGITATO + "S\n11/03/2008\n12/03/2008\n");
    EXPECT_EQ(ins_contravv(lista_contravv), 0);
    EXPECT_EQ(c.testo(), FORM + D_PROP + OWNER_FORM + D_PAG +
                             "\nInserire la data del pagamento:  "
                             "\nData non valida \nLa data di pagamento deve essere successiva a "
                             "quella della contravvenzione.\nPrego reinserire la data del "
                             "pagamento: " +
                             fine_ok(1));
    EXPECT_TRUE(lista_contravv->pagata);
    EXPECT_EQ(ordine_data(lista_contravv->data_pagamento, DATA{12, 3, 2008}), -1);
}

TEST_F(FinesEntry, OwnerAlreadyOnFileIsSharedAndItsAttemptCodeGivenAgain) {
    NODO_ANAGRAF* rossi = aggiungi_anagraf(1);
    ConsoleFinta c(DATI + "s\n" + ROSSI_DIGITATO + "n\n");
    EXPECT_EQ(ins_contravv(lista_contravv), 0);
    EXPECT_EQ(lista_contravv->anagraf, rossi);
    EXPECT_EQ(rossi->next, nullptr);
    EXPECT_EQ(nuovo_codice(lista_anagraf), 2u);
}

TEST_F(FinesEntry, NoMemoryForTheOwnerSkipsThePaymentQuestion) {
    guasto_allocazione(2);
    ConsoleFinta c(DATI + "s\n\n");
    EXPECT_EQ(ins_contravv(lista_contravv), 0);
    EXPECT_EQ(c.testo(), FORM + D_PROP +
                             "\n\n----------------------------------------------------------"
                             "\n\n ! ATTENZIONE: Memoria esaurita.\n\n"
                             "Impossibile allocare ulteriore memoria\n\n" +
                             PAUSA + fine_ok(1));
    EXPECT_FALSE(lista_contravv->con_anagraf);
    EXPECT_EQ(lista_anagraf, nullptr);
}

TEST_F(FinesEntry, AmountsBeyondTheFileAreRefusedAndCentsAreRounded) {
    ConsoleFinta c("12/03/2008\n\n\n\n1000000000000\n999999999999.995\n12,3\n12.345\nn\n");
    EXPECT_EQ(ins_contravv(lista_contravv), 0);
    EXPECT_EQ(c.testo(), FORM + MSG_NUM + MSG_NUM + MSG_NUM + D_PROP + fine_ok(1));
    const double importo = lista_contravv->importo;
    const std::string testo = fisso2(importo);
    EXPECT_EQ(testo, "12.35");
    double riletto = 0;
    std::from_chars(testo.data(), testo.data() + testo.size(), riletto);
    EXPECT_EQ(riletto, importo); // a save and load leaves it as it is
}

TEST_F(FinesEntry, LargestAmountThatFitsIsKept) {
    ConsoleFinta c("12/03/2008\n\n\n\n999999999999.994\nn\n");
    ins_contravv(lista_contravv);
    EXPECT_EQ(fisso2(lista_contravv->importo), "999999999999.99");
}

using FinesNumbering = ListeVuote;

TEST_F(FinesNumbering, FirstFineOfAnEmptyListIsOneAndTheHead) {
    EXPECT_EQ(registra(), 1u);
    ConsoleFinta c;
    EXPECT_EQ(vis_contravv(lista_contravv, 1), 0);
}

TEST_F(FinesNumbering, FollowsTheTailNotTheHighest) {
    aggiungi_contravv(9);
    aggiungi_contravv(7);
    EXPECT_EQ(registra(), 8u);
}

TEST_F(FinesNumbering, TailPlusOneInUseGivesOneMoreThanTheHighest) {
    aggiungi_contravv(2);
    aggiungi_contravv(1);
    EXPECT_EQ(registra(), 3u);
}

TEST_F(FinesNumbering, DeletingTheLastReusesItsNumberAMiddleOneLeavesAGap) {
    for (uint32_t n = 1; n <= 3; ++n) aggiungi_contravv(n);
    {
        ConsoleFinta c("3\n\nn\n\n");
        EXPECT_EQ(canc_contravv(), 0);
    }
    EXPECT_EQ(registra(), 3u);
    {
        ConsoleFinta c("2\n\nn\n\n");
        EXPECT_EQ(canc_contravv(), 0);
    }
    EXPECT_EQ(registra(), 4u);
}

TEST_F(FinesNumbering, NoNumberLeftIsRefused) {
    aggiungi_contravv(4294967295u);
    ConsoleFinta c("\n");
    EXPECT_EQ(ins_contravv(lista_contravv), -1);
    EXPECT_EQ(c.testo(), "\n\nATTENZIONE: numerazione delle contravvenzioni esaurita.\n\n"
                         "Impossibile inserire nuove contravvenzioni\n\n" +
                             PAUSA);
    EXPECT_EQ(lista_contravv->next, nullptr);
}
