// Editing an owner record: the numbered screen, the groups of fields, and
// the merge into an identical record.
#include "model/lists.h"
#include "owners/owners.h"
#include "payments/fixture.h"

using namespace prova_dialoghi;

namespace {

struct OwnersEdit : ListeDialogo {};

const std::string FINE = "\n\n ---- Dati aggiornati. ----\n\n" + PAUSA;

// The editing screen as it shows the record, with its prompt.
std::string schermata(const NODO_ANAGRAF& a) {
    return std::string("\f\n DATI ANAGRAFICI COD.") + std::to_string(a.codice) + "\n" +
           "\n[1] Proprietario:             " + a.cognome + " " + a.nome + "\n" +
           "[2] Data di nascita:          " + data(a.data_nascita) + "\n" +
           "[3] Indirizzo:                " + a.indirizzo + "\n" +
           "[4] Citta', CAP e provincia:  " + a.citta + " " + a.cap + " " + a.provincia + "\n" +
           "[5] Codice fiscale:           " + a.codice_fiscale + "\n" +
           "[6] Numero patente guidatore: " + a.patente +
           "\n\n[7] Fine modifiche\n\n\nSeleziona il campo da modificare [1-6, 7 fine]\n>";
}

int conta(const NODO_ANAGRAF* p) {
    int n = 0;
    for (; p != nullptr; p = p->next) ++n;
    return n;
}

} // namespace

TEST_F(OwnersEdit, FinishingAtOnceStillConfirmsAndPauses) {
    NODO_ANAGRAF* a = proprietario("ROSSI");
    const NODO_ANAGRAF prima = *a;
    ConsoleFinta c("7\n\n");
    EXPECT_EQ(mod_anagraf(lista_anagraf, 9), -1);
    EXPECT_EQ(c.testo(), "");
    EXPECT_EQ(mod_anagraf(lista_anagraf, 1), 0);
    EXPECT_EQ(c.testo(), schermata(prima) + "\n\n" + FINE);
    EXPECT_EQ(lista_anagraf, a);
}

TEST_F(OwnersEdit, ChoiceOutOfRangeOnlyPromptsAgain) {
    NODO_ANAGRAF* a = proprietario("ROSSI");
    ConsoleFinta c("8\n0\n7\n\n");
    mod_anagraf(lista_anagraf, 1);
    EXPECT_EQ(c.testo(), schermata(*a) + ">>\n\n" + FINE);
}

TEST_F(OwnersEdit, GroupsOfFieldsAreAskedTogetherAndBothFinesSeeTheChange) {
    NODO_ANAGRAF* a = proprietario("ROSSI");
    NODO_CONTRAVV* f1 = multa({1, 3, 2007}, 41.0, a);
    NODO_CONTRAVV* f2 = multa({2, 3, 2007}, 38.5, a);
    NODO_ANAGRAF atteso = *a;
    const std::string schermo1 = schermata(atteso);
    copia_campo(atteso.cognome, "VERDI");
    copia_campo(atteso.nome, "LUIGI");
    const std::string schermo2 = schermata(atteso);
    copia_campo(atteso.citta, "Milano");
    copia_campo(atteso.cap, "20100");
    copia_campo(atteso.provincia, "MI");
    const std::string schermo3 = schermata(atteso);

    ConsoleFinta c("1\nverdi\nluigi\n4\nMilano\n20100\nmi\n7\n\n");
    EXPECT_EQ(mod_anagraf(lista_anagraf, 1), 0);
    EXPECT_EQ(c.testo(), schermo1 + "\n\n\nCognome: Nome   : " + schermo2 +
                             "\n\nCitta'   :  CAP      :  Provincia:  " + schermo3 + "\n\n" + FINE);
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
    NODO_ANAGRAF atteso = *cinque;
    const std::string schermo1 = schermata(atteso);
    copia_campo(atteso.cognome, "ROSSI");
    const std::string schermo2 = schermata(atteso);

    ConsoleFinta c("1\nRossi\nMario\n7\n\n");
    EXPECT_EQ(mod_anagraf(lista_anagraf, 5), 0);
    EXPECT_EQ(c.testo(), schermo1 + "\n\n\nCognome: Nome   : " + schermo2 + "\n\n" + FINE);
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
