// Accented letters typed by the clerk: stored as code page 850 bytes in the
// owners file, shown back in the terminal's own character set.
#include <gtest/gtest.h>

#include <chrono>
#include <sys/wait.h>
#include <thread>

#include "support/driver.h"
#include "support/locale.h"
#include "support/terminal.h"

namespace {

// Recording one fine of kind `tipo` with its owner living in `citta`, from
// the fines menu up to the pause that follows.
std::string nuova_multa(const std::string& citta, const std::string& tipo = "Sosta vietata") {
    return "2\n01/02/2026\nRoma\nab123cd\n" + tipo + "\n41\ns\n" +              // the fine
           "Rossi\nMario\n05/03/1970\nVia Roma 1\n" + citta + "\n00100\nrm\n" + // its owner
           "RSSMRA70C05H501Z\nRM1234567A\nn\n";                                 // no payment
}

// A session that records that fine, shows it, and saves on exit.
std::string sessione_con_citta(const std::string& citta,
                               const std::string& tipo = "Sosta vietata") {
    return "1\n\n\n\n" +                     // gate: load the empty archive
           nuova_multa(citta, tipo) + "\n" + // and the pause after it
           "1\n1\n\n5\n"                     // view it, back to the main menu
           "7\n1\n\n\n";                     // save on exit
}

// The same on a terminal, where each pause takes one key, with a look at the
// statistics (one unpaid fine: a whole bar) before saving. A key is typed
// once the pause has begun, and nothing more until the screen after it shows.
void sessione_su_terminale(Terminale& t, const std::string& citta) {
    const std::string pausa = "Premere un tasto per continuare . . . ";
    const auto tasto = [&t](const std::string& poi) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return t.digita("k", poi);
    };
    // Load, record, view the fine, the statistics, save on exit; each step
    // ends in a pause, the last one followed by the farewell's.
    const std::string passi[] = {"1\n\n\n", nuova_multa(citta), "1\n1\n", "5\n3\n5\n", "6\n7\n1\n"};
    for (const std::string& passo : passi) {
        ASSERT_TRUE(t.digita(passo, pausa)) << passo;
        ASSERT_TRUE(tasto(&passo == std::end(passi) - 1 ? pausa : ">")) << passo;
    }
    tasto("");
    const int stato = t.termina();
    EXPECT_TRUE(WIFEXITED(stato) && WEXITSTATUS(stato) == 0);
}

struct ArchivioVuoto : Cartella {
    ArchivioVuoto() : Cartella(ARCHIVIO{}) {}
};

} // namespace

TEST(AppEncoding, Utf8TerminalTypesAndSeesCittaStoredAsOneByte) {
    // A UTF-8 locale that this system may not have installed is UTF-8 all the same.
    for (const char* locale : {"C.UTF-8", "it_IT.UTF-8"}) {
        SCOPED_TRACE(locale);
        ArchivioVuoto c;
        const Sessione s =
            esegui_programma(c, sessione_con_citta("Citt\xc3\xa0"), {.locale = locale});
        EXPECT_EQ(s.errori, "");
        EXPECT_EQ(s.stato, 0);
        EXPECT_NE(c.leggi("dati/anagrafica.txt").find("Citt\x85 "), std::string::npos);
        EXPECT_NE(s.output.find("Citta', CAP e provincia:  Citt\xc3\xa0 00100 RM\n"),
                  std::string::npos);
        EXPECT_EQ(s.output.find('\x85'),
                  std::string::npos); // no raw code page byte reaches the terminal
    }
}

TEST(AppEncoding, CLocalePassesTheCodePageByteUnchanged) {
    ArchivioVuoto c;
    const Sessione s = esegui_programma(c, sessione_con_citta("Citt\x85"), {.locale = "C"});
    EXPECT_EQ(s.errori, "");
    EXPECT_NE(c.leggi("dati/anagrafica.txt").find("Citt\x85 "), std::string::npos);
    EXPECT_NE(s.output.find("Citta', CAP e provincia:  Citt\x85 00100 RM\n"), std::string::npos);
}

TEST(AppEncoding, ACharacterTheCodePageLacksIsTransliteratedOrRefused) {
    ArchivioVuoto c;
    // The euro sign becomes "EUR"; a Japanese letter has no likeness in code
    // page 850: the city is asked again, and no "?" is ever stored.
    const Sessione s = esegui_programma(
        c, sessione_con_citta("Citt\xe6\x97\xa5\nCitt\xc3\xa0", "Multa da 42 \xe2\x82\xac"),
        {.locale = "C.UTF-8"});
    EXPECT_NE(s.output.find("Citta'   :  Il testo inserito contiene il carattere \"\xe6\x97\xa5\" "
                            "(U+65E5), che non puo' essere registrato, prego riprovare\n"),
              std::string::npos);
    EXPECT_NE(c.leggi("dati/contravvenzioni.txt").find("\nMulta da 42 EUR\n"), std::string::npos);
    EXPECT_NE(c.leggi("dati/anagrafica.txt").find("Citt\x85 "), std::string::npos);
}

// A Latin-1 terminal: typed text decoded from it, archive text shown in it,
// the statistics bars drawn with '#' (Latin-1 has no block).
TEST(AppEncoding, Latin1TerminalTypesAndSeesItsOwnSet) {
    ArchivioVuoto c;
    const auto latin1 = locale_in(c, "it_IT.ISO-8859-1");
    if (!latin1) GTEST_SKIP() << "localedef cannot make it_IT.ISO-8859-1 (Debian package locales)";
    Terminale t(c, *latin1);
    sessione_su_terminale(t, "Citt\xe0");
    EXPECT_NE(c.leggi("dati/anagrafica.txt").find("Citt\x85 "), std::string::npos);
    EXPECT_NE(t.schermo.find("Citta', CAP e provincia:  Citt\xe0 00100 RM"), std::string::npos);
    EXPECT_NE(t.schermo.find(std::string(60, '#') + " 100.00%"), std::string::npos);
    EXPECT_EQ(t.schermo.find('\x85'), std::string::npos);
}

// The C locale, on a terminal left in UTF-8 (as after "su -"): the UTF-8
// letter is stored as code page 850, and archive bytes are shown as they are.
TEST(AppEncoding, CLocaleTerminalLeftInUtf8StoresTheCodePageByte) {
    ArchivioVuoto c;
    Terminale t(c);
    sessione_su_terminale(t, "Citt\xc3\xa0");
    EXPECT_NE(c.leggi("dati/anagrafica.txt").find("Citt\x85 "), std::string::npos);
    EXPECT_NE(t.schermo.find("Citta', CAP e provincia:  Citt\x85 00100 RM"), std::string::npos);
    EXPECT_NE(t.schermo.find(std::string(60, '\xdb') + " 100.00%"), std::string::npos);
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
