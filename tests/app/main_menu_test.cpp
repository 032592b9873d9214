// Whole sessions at the main menu: the first screen, the load gate, loading,
// saving and leaving, as a clerk types them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "support/driver.h"
#include "support/texts.h"

using namespace testi;

namespace {

using ArchivioCampione = CartellaCampione;

void atteso(const Sessione& s, const std::string& output) {
    EXPECT_EQ(s.output, output);
    EXPECT_EQ(s.errori, "");
    EXPECT_EQ(s.stato, 0);
}

} // namespace

TEST(AppSession, FirstScreenIsTheBannerWithTheMenuRightUnderIt) {
    Cartella c;
    atteso(esegui_programma(c, ""), BANNER + MENU);
    EXPECT_FALSE(c.esiste("dati"));
}

TEST(AppSession, LeavingBeforeAnyLoadOffersNoSave) {
    Cartella c;
    atteso(esegui_programma(c, "7\n\n"), BANNER + MENU + "\f" + CONGEDO);
}

TEST(AppSession, ChoicesOutOfRangeOnlyRepeatThePrompt) {
    Cartella c;
    atteso(esegui_programma(c, "0\n8\na\n\n \n 7\n\n"), BANNER + MENU + ">>>" + "\f" + CONGEDO);
}

TEST(AppSession, InputEndingAtAnyPromptEndsTheRunQuietly) {
    ArchivioCampione c;
    const std::string prima = c.leggi("dati/contravvenzioni.txt");
    atteso(esegui_programma(c, "5\n\n"), BANNER + MENU + "\f" + CARICA);
    atteso(esegui_programma(c, "5\n\n\n\n6\n"),
           BANNER + MENU + "\f" + CARICA + CARICATO + "\f" + MENU + "\f" + SALVA);
    EXPECT_EQ(c.leggi("dati/contravvenzioni.txt"), prima);
}

TEST(AppSession, SaveBeforeLoadRunsTheGateAndAFailedLoadKeepsItClosed) {
    Cartella c;
    atteso(esegui_programma(c, "6\n\n\n\n7\n\n"),
           BANNER + MENU + GATE + CARICA + ERRORE_APERTURA + "\f" + MENU + "\f" + CONGEDO);
}

TEST(AppSession, SaveBeforeLoadLoadsThenSavesAndTheArchiveComesBackByteForByte) {
    ArchivioCampione c;
    const std::string fc = c.leggi("dati/contravvenzioni.txt");
    const std::string fa = c.leggi("dati/anagrafica.txt");
    // The files are written anew from the lists: same bytes.
    std::remove(c.file("dati/contravvenzioni.txt").c_str());
    c.scrivi("copia/contravvenzioni.txt", fc);
    c.scrivi("copia/anagrafica.txt", fa);
    atteso(esegui_programma(
               c, "6\ncopia/contravvenzioni.txt\ncopia/anagrafica.txt\n\n2\n\n\n\n7\n3\n\n"),
           BANNER + MENU + GATE + CARICA + CARICATO + "\f" + SALVA + SALVA_C + SALVA_A + SALVATO +
               "\f" + MENU + USCITA + SALVA + "\f" + CONGEDO);
    EXPECT_EQ(c.leggi("dati/contravvenzioni.txt"), fc);
    EXPECT_EQ(c.leggi("dati/anagrafica.txt"), fa);
}

TEST(AppSession, FiftyFiveTakesFiveAndTheLineEndAnswersTheFirstPath) {
    ArchivioCampione c;
    atteso(esegui_programma(c, "55\n\n\n7\n3\n\n"), BANNER + MENU + "\f" + CARICA + CARICATO +
                                                        "\f" + MENU + USCITA + SALVA + "\f" +
                                                        CONGEDO);
}

TEST(AppSession, AFailedReloadKeepsTheGateOpen) {
    ArchivioCampione c;
    atteso(esegui_programma(c, "5\n\n\n\n5\nmissing.txt\n\n\n6\n3\n7\n3\n\n"),
           BANNER + MENU + "\f" + CARICA + CARICATO + "\f" + MENU + "\f" + CARICA +
               ERRORE_APERTURA + "\f" + MENU + "\f" + SALVA + "\f" + MENU + USCITA + SALVA + "\f" +
               CONGEDO);
}

TEST(AppSession, ExitWithSaveWritesTheCurrentFiles) {
    ArchivioCampione c;
    const std::string fc = c.leggi("dati/contravvenzioni.txt");
    c.scrivi("dati/contravvenzioni.txt", fc + "\n"); // an extra empty line is dropped on save
    atteso(esegui_programma(c, "5\n\n\n\n7\n1\n\n"), BANNER + MENU + "\f" + CARICA + CARICATO +
                                                         "\f" + MENU + USCITA + SALVA + SALVATO +
                                                         "\f" + CONGEDO);
    EXPECT_EQ(c.leggi("dati/contravvenzioni.txt"), fc);
}

TEST(AppSession, ExitWithoutSavingLeavesTheFilesAlone) {
    ArchivioCampione c;
    const std::string fc = c.leggi("dati/contravvenzioni.txt") + "\n";
    c.scrivi("dati/contravvenzioni.txt", fc);
    atteso(esegui_programma(c, "5\n\n\n\n7\n3\n\n"), BANNER + MENU + "\f" + CARICA + CARICATO +
                                                         "\f" + MENU + USCITA + SALVA + "\f" +
                                                         CONGEDO);
    EXPECT_EQ(c.leggi("dati/contravvenzioni.txt"), fc);
}

TEST(AppSession, ExitSavingUnderOtherNamesMakesNewPrivateFiles) {
    ArchivioCampione c;
    atteso(esegui_programma(c, "5\n\n\n\n7\n2\nc.txt\na.txt\n\n\n"),
           BANNER + MENU + "\f" + CARICA + CARICATO + "\f" + MENU + USCITA + SALVA + SALVA_C +
               SALVA_A + SALVATO + "\f" + CONGEDO);
    EXPECT_EQ(c.leggi("c.txt"), c.leggi("dati/contravvenzioni.txt"));
    EXPECT_EQ(c.leggi("a.txt"), c.leggi("dati/anagrafica.txt"));
    struct stat st {};
    ASSERT_EQ(stat(c.file("a.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(AppSession, TypedPathsAtLoadingAndAPathTooLongIsAskedAgain) {
    ArchivioCampione c;
    const std::string lungo(128, 'p');
    atteso(esegui_programma(c, "5\n" + lungo +
                                   "\ndati/contravvenzioni.txt\ndati/anagrafica.txt\n\n7\n3\n\n"),
           BANNER + MENU + "\f" + CARICA_C + PERCORSO_LUNGO + CARICA_A + CARICATO + "\f" + MENU +
               USCITA + SALVA + "\f" + CONGEDO);
}

TEST(AppSession, AFailedSaveOnExitAsksAgainUntilSavedOrDeclined) {
    ArchivioCampione c;
    const std::string fc = c.leggi("dati/contravvenzioni.txt");
    // "[3]" after two failures ends the run without writing anything.
    atteso(esegui_programma(c, "5\n\n\n\n7\n2\nnessuna/c.txt\nnessuna/a.txt\n\n1\n\n3\n\n"),
           BANNER + MENU + "\f" + CARICA + CARICATO + "\f" + MENU + USCITA + SALVA + SALVA_C +
               SALVA_A + ERRORE_SALVATAGGIO + USCITA + SALVA + ERRORE_SALVATAGGIO + USCITA + SALVA +
               "\f" + CONGEDO);
    EXPECT_EQ(c.leggi("dati/contravvenzioni.txt"), fc);
    // A later save under the default names succeeds and ends the run.
    atteso(esegui_programma(c, "5\n\n\n\n7\n2\nnessuna/c.txt\n\n\n2\n\n\n\n\n"),
           BANNER + MENU + "\f" + CARICA + CARICATO + "\f" + MENU + USCITA + SALVA + SALVA_C +
               SALVA_A + ERRORE_SALVATAGGIO + USCITA + SALVA + SALVA_C + SALVA_A + SALVATO + "\f" +
               CONGEDO);
    EXPECT_EQ(c.leggi("dati/contravvenzioni.txt"), fc);
}

TEST(AppSession, EachSubMenuOpensRightAfterTheGateLoad) {
    const struct {
        char voce;
        char ultima;
        const std::string& menu;
    } casi[] = {{'1', '5', MENU_CONTRAVV},
                {'2', '5', MENU_ANAGRAF},
                {'3', '6', MENU_PAGAM},
                {'4', '5', MENU_CERCA}};
    for (const auto& caso : casi) {
        ArchivioCampione c;
        const std::string input =
            std::string(1, caso.voce) + "\n\n\n\n" + caso.ultima + "\n7\n3\n\n";
        atteso(esegui_programma(c, input), BANNER + MENU + GATE + CARICA + CARICATO + "\f" +
                                               caso.menu + "\f\f" + MENU + USCITA + SALVA + "\f" +
                                               CONGEDO);
    }
}

TEST(AppSession, AFailedGateLoadNeverOpensTheSubMenu) {
    for (char voce : {'1', '2', '3', '4'}) {
        Cartella c;
        atteso(esegui_programma(c, std::string(1, voce) + "\n\n\n\n7\n\n"),
               BANNER + MENU + GATE + CARICA + ERRORE_APERTURA + "\f" + MENU + "\f" + CONGEDO);
    }
}
