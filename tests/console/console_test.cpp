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

TEST(Encoding, AccentedLettersRoundTrip) {
    EXPECT_EQ(utf8_a_cp850("Citt\xc3\xa0"), "Citt\x85");
    EXPECT_EQ(cp850_a_utf8("Citt\x85"), "Citt\xc3\xa0");
    EXPECT_EQ(cp850_a_utf8("\xdb"), "\xe2\x96\x88"); // the full block
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(utf8_a_cp850(cp850_a_utf8(byte)), byte) << b;
    }
}

TEST(Encoding, MissingOrBrokenCharactersBecomeARefusedByte) {
    EXPECT_EQ(utf8_a_cp850("\xe2\x82\xac"), "?"); // the euro sign is not in the code page
    EXPECT_EQ(utf8_a_cp850("a\xc3"), "a?");       // cut at the end
    EXPECT_EQ(utf8_a_cp850("\xc3"
                           "b"),
              "?b");                                    // cut in the middle
    EXPECT_EQ(utf8_a_cp850("\xff\xfe"), "??");          // never UTF-8
    EXPECT_EQ(utf8_a_cp850("\xf0\x9f\x98\x80!"), "?!"); // outside the code page
}

TEST(TextFormat, TwoDecimalsWithAPoint) {
    EXPECT_EQ(fisso2(150), "150.00");
    EXPECT_EQ(fisso2(12.5), "12.50");
    EXPECT_EQ(fisso2(0), "0.00");
    EXPECT_EQ(fisso2(999999999999.99), "999999999999.99");
}
