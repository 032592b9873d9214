// Entering owner data: codes, merging with an owner already on file, and
// the tidying of blanks in names and addresses.
#include "fines/fixtures.h"
#include "owners/form.h"
#include "owners/owners.h"

namespace {

NODO_ANAGRAF* inserisci(const std::string& digitato) {
    ConsoleFinta c(digitato);
    return ins_anagraf(lista_anagraf);
}

// ROSSI_DIGITATO with one answer (0 surname ... 8 licence) replaced.
std::string con_risposta(int campo, const std::string& risposta) {
    std::string righe[9] = {"rossi", "mario", "05/03/1970",       "VIA ROMA 10", "Milano",
                            "20100", "mi",    "rssmra70c05f205z", "ab1234567c"};
    righe[campo] = risposta;
    std::string s;
    for (const std::string& r : righe) s += r + "\n";
    return s;
}

} // namespace

using OwnersEntry = ListeVuote;

TEST_F(OwnersEntry, FirstOwnerIsCodeOneAndTheHead) {
    NODO_ANAGRAF* p = inserisci(ROSSI_DIGITATO);
    EXPECT_EQ(p, lista_anagraf);
    EXPECT_EQ(p->codice, 1u);
    EXPECT_STREQ(p->cognome, "ROSSI");
    EXPECT_STREQ(p->citta, "Milano");
    EXPECT_STREQ(p->codice_fiscale, "RSSMRA70C05F205Z");
}

TEST_F(OwnersEntry, EqualDataReturnTheOwnerOnFileAndFreeTheCodeAgain) {
    aggiungi_anagraf(1, "BIANCHI");
    NODO_ANAGRAF* rossi = aggiungi_anagraf(2);
    aggiungi_anagraf(5, "VERDI");
    EXPECT_EQ(inserisci(ROSSI_DIGITATO), rossi);
    EXPECT_EQ(conta(lista_anagraf), 3);
    EXPECT_EQ(inserisci(con_risposta(0, "neri"))->codice, 6u);
}

TEST_F(OwnersEntry, CaseKeepsApartOnlyCityAndAddress) {
    NODO_ANAGRAF* rossi = aggiungi_anagraf(1);
    const std::pair<int, const char*> stesso[] = {
        {0, "Rossi"}, {1, "MARIO"}, {6, "Mi"}, {7, "RSSMRA70C05F205Z"}, {8, "AB1234567C"}};
    for (const auto& [campo, risposta] : stesso)
        EXPECT_EQ(inserisci(con_risposta(campo, risposta)), rossi) << risposta;
    EXPECT_NE(inserisci(con_risposta(4, "MILANO")), rossi);
    EXPECT_NE(inserisci(con_risposta(3, "via roma 10")), rossi);
    EXPECT_NE(inserisci(con_risposta(5, "20121")), rossi);
    EXPECT_EQ(conta(lista_anagraf), 4);
}

TEST_F(OwnersEntry, BlanksAreTidiedBeforeUpperCaseAndComparison) {
    NODO_ANAGRAF* rossi = aggiungi_anagraf(1);
    NODO_ANAGRAF* p = inserisci(con_risposta(0, "  De   Luca "));
    EXPECT_STREQ(p->cognome, "DE LUCA");
    EXPECT_EQ(inserisci(con_risposta(3, " VIA  ROMA   10  ")), rossi);
    EXPECT_EQ(inserisci(con_risposta(4, "  Milano")), rossi);
}

TEST_F(OwnersEntry, NoCodeLeftIsRefused) {
    aggiungi_anagraf(4294967295u);
    ConsoleFinta c("\n");
    EXPECT_EQ(ins_anagraf(lista_anagraf), nullptr);
    EXPECT_EQ(c.testo(), "\n\n ! ATTENZIONE: codici dei dati anagrafici esauriti.\n\n"
                         "Impossibile inserire nuovi dati anagrafici\n\n" +
                             PAUSA);
    EXPECT_EQ(conta(lista_anagraf), 1);
}
