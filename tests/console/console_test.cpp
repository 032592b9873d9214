// The console conventions and the code page conversion.
#include <gtest/gtest.h>

#include "console/conventions.h"
#include "console/encoding.h"
#include "console/text.h"
#include "support/streams.h"

TEST(ConsoleChoice, OutOfRangeOnlyRepeatsThePrompt) {
    ConsoleFinta c("0\n8\na\n\n\n 3\n");
    EXPECT_EQ(leggi_scelta('1', '7'), '3');
    EXPECT_EQ(c.testo(), ">>>>");
}

TEST(ConsoleChoice, OnlyOneCharacterAfterTheChoiceIsDiscarded) {
    ConsoleFinta c("55\nrest\n");
    EXPECT_EQ(leggi_scelta('1', '7'), '5');
    EXPECT_EQ(leggi_linea(), ""); // the line end is still there
    EXPECT_EQ(leggi_linea(), "rest");
}

TEST(ConsoleChoice, EndOfInputStopsTheRead) {
    ConsoleFinta c("  \n\n");
    EXPECT_THROW(leggi_scelta('1', '7'), FineInput);
}

TEST(ConsoleQuestion, RepeatsUntilSOrN) {
    ConsoleFinta c("k\ny\nS\nn\n");
    EXPECT_TRUE(domanda_sn("Q? (s/n) "));
    EXPECT_FALSE(domanda_sn("Q? (s/n) "));
    EXPECT_EQ(c.testo(), "Q? (s/n) Q? (s/n) Q? (s/n) Q? (s/n) ");
}

TEST(ConsoleExitPrompt, OnlyExactlyXLeaves) {
    ConsoleFinta c("X\nx\nxx\n x\n\nX \n");
    EXPECT_TRUE(chiede_uscita("P "));
    EXPECT_TRUE(chiede_uscita("P "));
    EXPECT_FALSE(chiede_uscita("P "));
    EXPECT_FALSE(chiede_uscita("P "));
    EXPECT_FALSE(chiede_uscita("P "));
    EXPECT_FALSE(chiede_uscita("P "));
    EXPECT_EQ(c.testo(), "P P P P P P ");
}

TEST(ConsoleExitPrompt, OtherLetterComparesInBothCases) {
    EXPECT_TRUE(comando_e("m", 'M'));
    EXPECT_TRUE(comando_e("M", 'M'));
    EXPECT_FALSE(comando_e("Mm", 'M'));
    EXPECT_FALSE(comando_e("", 'M'));
}

TEST(ConsoleScreen, WithoutTerminalClearIsAFormFeedAndPauseReadsALine) {
    ConsoleFinta c("whatever is typed\nnext\n");
    cls();
    pausa();
    EXPECT_EQ(c.testo(), "\fPremere un tasto per continuare . . . \n");
    EXPECT_EQ(leggi_linea(), "next");
    pausa(); // input has ended: the pause returns at once
    EXPECT_EQ(c.testo(),
              "\fPremere un tasto per continuare . . . \nPremere un tasto per continuare . . . \n");
}

TEST(Encoding, ArchiveBytesAreShownInTheTerminalsSet) {
    const struct {
        std::string_view set;
        std::string cp850, mostrato;
    } casi[] = {
        {"UTF-8", "Citt\x85 \xdb", "Citt\xc3\xa0 \xe2\x96\x88"}, // the full block of the bars
        {"ISO-8859-1", "Citt\x85 \xdb", "Citt\xe0 #"},           // Latin-1 has no block
        {"ISO-8859-15", "Citt\x85", "Citt\xe0"},
        {SET_C, "Citt\x85 \xdb", "Citt\x85 \xdb"}, // the C locale: as they are
    };
    for (const auto& caso : casi)
        EXPECT_EQ(al_terminale(caso.set, caso.cp850), caso.mostrato) << caso.set;
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(dal_terminale("UTF-8", al_terminale("UTF-8", byte)), byte) << b;
    }
}

// What is typed, in the terminal's set, and what is kept of it; a line
// holding a character with no place in code page 850 is refused, naming it.
TEST(Encoding, TypedTextIsTransliteratedOrRefusedNeverGuessed) {
    const struct {
        std::string_view set;
        std::string digitato, tenuto, rifiutato;
    } casi[] = {
        {"UTF-8", "Citt\xc3\xa0", "Citt\x85", ""},
        {"ISO-8859-1", "Citt\xe0", "Citt\x85", ""},
        {"ISO-8859-15", "42 \xa4", "42 EUR", ""},
        {"UTF-8", "Multa da 42 \xe2\x82\xac", "Multa da 42 EUR", ""},
        {"UTF-8", "Milano \xe2\x80\x93 via \xe2\x80\x9cTorino\xe2\x80\x9d",
         "Milano - via \"Torino\"", ""},
        {SET_C, "Citt\xc3\xa0", "Citt\x85", ""},       // a terminal left in UTF-8
        {SET_C, "Citt\x85 \xc3", "Citt\x85 \xc3", ""}, // bytes that are no UTF-8 stay
        {"UTF-8", "\xe6\x97\xa5", "?", "il carattere \"\xe6\x97\xa5\" (U+65E5)"},
        {SET_C, "a\xf0\x9f\x98\x80", "a?", "il carattere \"\xf0\x9f\x98\x80\" (U+1F600)"},
        {"UTF-8", "e\xcc\x80", "e?", "il carattere \"\xcc\x80\" (U+0300)"}, // no accent dropped
        {"ISO-8859-1", "a\x85", "a?", "il carattere U+0085"}, // a control is not printed
        {"UTF-8", "\xff\xe6\x97\xa5", "??", "il byte 0xFF"},  // the first is named
        {"UTF-8", "a\xc3", "a?", "il byte 0xC3"},             // cut at the end
    };
    for (const auto& caso : casi) {
        std::string rifiutato;
        EXPECT_EQ(dal_terminale(caso.set, caso.digitato, &rifiutato), caso.tenuto) << caso.digitato;
        EXPECT_EQ(rifiutato, caso.rifiutato) << caso.digitato;
    }
}

TEST(Encoding, ACharacterCutBetweenTwoReadsIsWaitedFor) {
    Decodifica d("UTF-8");
    std::string tenuto;
    d.aggiungi("Citt\xc3", tenuto);
    d.aggiungi("\xa0\n", tenuto);
    EXPECT_EQ(tenuto, "Citt\x85\n");
    EXPECT_EQ(d.rifiutato, "");
}

TEST(TextFormat, TwoDecimalsWithAPoint) {
    EXPECT_EQ(fisso2(150), "150.00");
    EXPECT_EQ(fisso2(12.5), "12.50");
    EXPECT_EQ(fisso2(0), "0.00");
    EXPECT_EQ(fisso2(999999999999.99), "999999999999.99");
}
