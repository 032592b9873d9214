// Accented letters typed by the clerk: stored as code page 850 bytes in the
// owners file, shown back in the terminal's own character set.
#include <gtest/gtest.h>

#include "support/driver.h"

namespace {

// A session that records one fine with its owner living in `citta`, shows
// it, and saves on exit.
std::string sessione_con_citta(const std::string& citta) {
    return "1\n\n\n\n"                                            // gate: load the empty archive
           "2\n01/02/2026\nRoma\nab123cd\nSosta vietata\n41\ns\n" // record a fine
           "Rossi\nMario\n05/03/1970\nVia Roma 1\n" +
           citta +
           "\n00100\nrm\n"
           "RSSMRA70C05H501Z\nRM1234567A\nn\n\n" // its owner, no payment
           "1\n1\n\n5\n"                         // view it, back to the main menu
           "7\n1\n\n\n";                         // save on exit
}

struct ArchivioVuoto : Cartella {
    ArchivioVuoto() : Cartella(ARCHIVIO{}) {}
};

} // namespace

TEST(AppEncoding, Utf8TerminalTypesAndSeesCittaStoredAsOneByte) {
    ArchivioVuoto c;
    const Sessione s = esegui_programma(c, sessione_con_citta("Citt\xc3\xa0"),
                                        {.locale = "it_IT.UTF-8"});
    EXPECT_EQ(s.errori, "");
    EXPECT_EQ(s.stato, 0);
    EXPECT_NE(c.leggi("dati/anagrafica.txt").find("Citt\x85 "), std::string::npos);
    EXPECT_NE(s.output.find("Citta', CAP e provincia:  Citt\xc3\xa0 00100 RM\n"),
              std::string::npos);
    EXPECT_EQ(s.output.find('\x85'),
              std::string::npos); // no raw code page byte reaches the terminal
}

TEST(AppEncoding, CLocalePassesTheCodePageByteUnchanged) {
    ArchivioVuoto c;
    const Sessione s = esegui_programma(c, sessione_con_citta("Citt\x85"), {.locale = "C"});
    EXPECT_EQ(s.errori, "");
    EXPECT_NE(c.leggi("dati/anagrafica.txt").find("Citt\x85 "), std::string::npos);
    EXPECT_NE(s.output.find("Citta', CAP e provincia:  Citt\x85 00100 RM\n"), std::string::npos);
}

TEST(AppEncoding, ACharacterTheCodePageLacksIsRefusedAtATextPrompt) {
    ArchivioVuoto c;
    // The euro sign has no place in code page 850: the city is asked again.
    const Sessione s = esegui_programma(c, sessione_con_citta("Citt\xe2\x82\xac\nCitt\xc3\xa0"),
                                        {.locale = "C.UTF-8"});
    EXPECT_NE(s.output.find(
                  "Citta'   :  Il testo inserito contiene caratteri non validi, prego riprovare\n"),
              std::string::npos);
    EXPECT_NE(c.leggi("dati/anagrafica.txt").find("Citt\x85 "), std::string::npos);
}

TEST(AppEncoding, PathsAreFileNamesAndKeepTheBytesTyped) {
    ArchivioVuoto c;
    // Saved under names with letters code page 850 has (à) and has not (€,
    // 日本), then loaded back from them: each name is the one typed.
    const std::string citta = "citt\xc3\xa0.txt", euro = "\xe2\x82\xac.txt",
                      giappone = "\xe6\x97\xa5\xe6\x9c\xac.txt";
    const Sessione s =
        esegui_programma(c,
                         "6\n\n\n\n2\n" + citta + "\n" + euro + "\n\n" + "5\n" + citta + "\n" +
                             euro + "\n\n6\n2\n" + giappone + "\n" + citta + "\n\n7\n3\n\n",
                         {.locale = "C.UTF-8"});
    EXPECT_EQ(s.errori, "");
    EXPECT_EQ(s.output.find("Errore"), std::string::npos) << s.output;
    for (const std::string& nome : {citta, euro, giappone}) EXPECT_TRUE(c.esiste(nome)) << nome;
    EXPECT_FALSE(c.esiste("?.txt"));
}
