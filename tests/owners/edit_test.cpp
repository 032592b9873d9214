// Editing an owner record: the numbered screen, the groups of fields, and
// the merge into an identical record.
#include "model/lists.h"
#include "owners/owners.h"
#include "payments/fixture.h"

using namespace prova_dialoghi;

namespace {

struct OwnersEdit : ListeDialogo {};

using testi::AGGIORNATI;

// The editing screen of an owner made by proprietario(), with its prompt.
std::string schermata(int codice, const std::string& proprietario,
                      const std::string& residenza = "Roma 00100 RM") {
    return "\f\n DATI ANAGRAFICI COD." + std::to_string(codice) +
           "\n\n[1] Proprietario:             " + proprietario +
           "\n[2] Data di nascita:          5/3/1970"
           "\n[3] Indirizzo:                Via Appia 12"
           "\n[4] Citta', CAP e provincia:  " +
           residenza +
           "\n[5] Codice fiscale:           RSSMRA70C05H501U"
           "\n[6] Numero patente guidatore: RM1234567X"
           "\n\n[7] Fine modifiche\n\n\nSeleziona il campo da modificare [1-6, 7 fine]\n>";
}

} // namespace

TEST_F(OwnersEdit, FinishingAtOnceStillConfirmsAndPauses) {
    NODO_ANAGRAF* a = proprietario("ROSSI");
    ConsoleFinta c("7\n\n");
    EXPECT_EQ(mod_anagraf(lista_anagraf, 9), -1);
    EXPECT_EQ(c.testo(), "");
    EXPECT_EQ(mod_anagraf(lista_anagraf, 1), 0);
    EXPECT_EQ(c.testo(), schermata(1, "ROSSI MARIO") + "\n\n" + AGGIORNATI);
    EXPECT_EQ(lista_anagraf, a);
}

TEST_F(OwnersEdit, ChoiceOutOfRangeOnlyPromptsAgain) {
    proprietario("ROSSI");
    ConsoleFinta c("8\n0\n7\n\n");
    mod_anagraf(lista_anagraf, 1);
    EXPECT_EQ(c.testo(), schermata(1, "ROSSI MARIO") + ">>\n\n" + AGGIORNATI);
}

TEST_F(OwnersEdit, GroupsOfFieldsAreAskedTogetherAndBothFinesSeeTheChange) {
    NODO_ANAGRAF* a = proprietario("ROSSI");
    NODO_CONTRAVV* f1 = multa({1, 3, 2007}, 41.0, a);
    NODO_CONTRAVV* f2 = multa({2, 3, 2007}, 38.5, a);
    const std::string schermo1 = schermata(1, "ROSSI MARIO");
    const std::string schermo2 = schermata(1, "VERDI LUIGI");
    const std::string schermo3 = schermata(1, "VERDI LUIGI", "Milano 20100 MI");

    ConsoleFinta c("1\nverdi\nluigi\n4\nMilano\n20100\nmi\n7\n\n");
    EXPECT_EQ(mod_anagraf(lista_anagraf, 1), 0);
    EXPECT_EQ(c.testo(), schermo1 + "\n\n\nCognome: Nome   : " + schermo2 +
                             "\n\nCitta'   :  CAP      :  Provincia:  " + schermo3 + "\n\n" +
                             AGGIORNATI);
    EXPECT_EQ(f1->anagraf, a);
    EXPECT_EQ(f2->anagraf, a);
    EXPECT_STREQ(a->cognome, "VERDI");
    EXPECT_STREQ(a->citta, "Milano");
    EXPECT_STREQ(a->provincia, "MI");
}

TEST_F(OwnersEdit, OwnerMadeEqualToAnotherIsMergedIntoIt) {
    proprietario("BIANCHI", 1);
    NODO_ANAGRAF* due = proprietario("ROSSI", 2);
    NODO_ANAGRAF* cinque = proprietario("VERDI", 5);
    NODO_CONTRAVV* pagata = multa({1, 3, 2007}, 41.0, cinque, {12, 3, 2007});
    NODO_CONTRAVV* non_pagata = multa({2, 3, 2007}, 38.5, cinque);
    const std::string schermo1 = schermata(5, "VERDI MARIO");
    const std::string schermo2 = schermata(5, "ROSSI MARIO");

    ConsoleFinta c("1\nRossi\nMario\n7\n\n");
    EXPECT_EQ(mod_anagraf(lista_anagraf, 5), 0);
    EXPECT_EQ(c.testo(), schermo1 + "\n\n\nCognome: Nome   : " + schermo2 + "\n\n" + AGGIORNATI);
    EXPECT_EQ(pagata->anagraf, due);
    EXPECT_EQ(non_pagata->anagraf, due);
    EXPECT_TRUE(pagata->con_anagraf && non_pagata->con_anagraf);
    EXPECT_TRUE(pagata->pagata);
    EXPECT_TRUE(stesso_giorno(pagata->data_pagamento, {12, 3, 2007}));
    EXPECT_EQ(trova_anagraf(lista_anagraf, 5), nullptr);
    EXPECT_EQ(conta(lista_anagraf), 2);
}

TEST_F(OwnersEdit, CityDifferingOnlyInCaseKeepsTheRecordsApart) {
    NODO_ANAGRAF* due = proprietario("ROSSI", 2, "Roma");
    NODO_ANAGRAF* tre = proprietario("VERDI", 3, "ROMA");
    NODO_CONTRAVV* f = multa({1, 3, 2007}, 41.0, tre);
    ConsoleFinta c("1\nrossi\nmario\n7\n\n");
    mod_anagraf(lista_anagraf, 3);
    EXPECT_EQ(f->anagraf, tre);
    EXPECT_EQ(lista_anagraf, due);
    EXPECT_EQ(due->next, tre);
}

TEST_F(OwnersEdit, SameCodeTwiceEditsAndMergesOnlyTheIntendedRecord) {
    NODO_ANAGRAF* primo = proprietario("ROSSI", 3);
    NODO_ANAGRAF* bianchi = proprietario("BIANCHI", 4);
    NODO_ANAGRAF* secondo = proprietario("VERDI", 3);
    NODO_CONTRAVV* f1 = multa({1, 3, 2007}, 41.0, primo, {2, 3, 2007});
    NODO_CONTRAVV* f2 = multa({1, 3, 2007}, 41.0, secondo, {3, 3, 2007});

    ConsoleFinta c("1\nneri\nmario\n7\n\n"
                   "1\nbianchi\nmario\n7\n\n");
    mod_anagraf(lista_anagraf, 3); // a typed code: the first record with it
    EXPECT_STREQ(primo->cognome, "NERI");
    EXPECT_STREQ(secondo->cognome, "VERDI");

    mod_anagraf_record(secondo); // now equal to BIANCHI: merged, and only it removed
    EXPECT_EQ(lista_anagraf, primo);
    EXPECT_EQ(primo->next, bianchi);
    EXPECT_EQ(bianchi->next, nullptr);
    EXPECT_EQ(f1->anagraf, primo);
    EXPECT_TRUE(f1->pagata);
    EXPECT_EQ(f2->anagraf, bianchi);
    EXPECT_TRUE(f2->pagata);
}
