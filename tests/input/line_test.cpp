// Line, text and number input, fed through string streams.
#include <gtest/gtest.h>

#include "input/line.h"
#include "support/streams.h"

namespace {
const std::string MSG_TESTO = "Il testo inserito contiene caratteri non validi, prego riprovare\n";
const std::string MSG_NUM =
    "Il valore numerico inserito contiene caratteri non validi, prego riprovare\n";
} // namespace

TEST(InputStr, KeepsFirstCharactersAndConsumesTheLine) {
    ConsoleFinta c("xyz\n\nnext\n");
    char s[3];
    ins_str(s, 2);
    EXPECT_STREQ(s, "xy");
    ins_str(s, 2);
    EXPECT_STREQ(s, "");
    ins_str(s, 2);
    EXPECT_STREQ(s, "ne");
    EXPECT_EQ(c.testo(), "");
}

TEST(InputStr, OverlongLineIsCutAt510AndItsRestNeverAnswersTheNextPrompt) {
    ConsoleFinta c(std::string(600, 'a') + "\nsecond\n");
    char s[511];
    ins_str(s, 510);
    EXPECT_EQ(std::string(s), std::string(510, 'a'));
    ins_str(s, 510);
    EXPECT_STREQ(s, "second");
}

TEST(InputStr, LastLineWithoutLineEndCountsThenInputEnds) {
    ConsoleFinta c("end");
    char s[10];
    ins_str(s, 9);
    EXPECT_STREQ(s, "end");
    EXPECT_THROW(ins_str(s, 9), FineInput);
}

TEST(InputTxt, AcceptsLettersBlanksAndAccentedLettersOfTheCodePage) {
    ConsoleFinta c("Maria Luisa\nCitt\x85\n\n  due  blank \n");
    char s[32];
    ins_txt(s, 31);
    EXPECT_STREQ(s, "Maria Luisa");
    ins_txt(s, 31);
    EXPECT_STREQ(s, "Citt\x85");
    ins_txt(s, 31);
    EXPECT_STREQ(s, "");
    ins_txt(s, 31);
    EXPECT_STREQ(s, "  due  blank ");
    EXPECT_EQ(c.testo(), "");
}

TEST(InputTxt, RefusesApostropheDigitUmlautAndTabWithOneMessageEach) {
    ConsoleFinta c("D'Amico\nRossi2\nM\x81ller\nA\tB\nRossi\n");
    char s[32];
    ins_txt(s, 31);
    EXPECT_STREQ(s, "Rossi");
    EXPECT_EQ(c.testo(), MSG_TESTO + MSG_TESTO + MSG_TESTO + MSG_TESTO);
}

TEST(InputTxt, ChecksOnlyTheKeptCharacters) {
    ConsoleFinta c("Roma\nM1\nMI\n");
    char s[3];
    ins_txt(s, 2);
    EXPECT_STREQ(s, "Ro");
    ins_txt(s, 2);
    EXPECT_STREQ(s, "MI");
    EXPECT_EQ(c.testo(), MSG_TESTO);
}

TEST(InputNum, DigitsOnlyEmptyAccepted) {
    ConsoleFinta c("1 2\n00100\n\n");
    char s[6];
    ins_num(s, 5);
    EXPECT_STREQ(s, "00100");
    ins_num(s, 5);
    EXPECT_STREQ(s, "");
    EXPECT_EQ(c.testo(), MSG_NUM);
}

TEST(InputInt, ReadsDigitStringsAndRefusesEverythingElse) {
    ConsoleFinta c("-5\n 7\n7 \n007\n\n");
    uint32_t v = 99;
    ins_int(&v);
    EXPECT_EQ(v, 7u);
    ins_int(&v);
    EXPECT_EQ(v, 0u);
    EXPECT_EQ(c.testo(), MSG_NUM + MSG_NUM + MSG_NUM);
}

TEST(InputInt, ValuesBeyond32BitsAreRefusedNeverWrapped) {
    ConsoleFinta c("4294967296\n99999999999999999999\n4294967295\n");
    uint32_t v = 0;
    ins_int(&v);
    EXPECT_EQ(v, 4294967295u);
    EXPECT_EQ(c.testo(), MSG_NUM + MSG_NUM);
}

TEST(InputInt, LongZeroPaddedNumberKeepsItsValue) {
    ConsoleFinta c(std::string(63, '0') + "7123\n");
    uint32_t v = 0;
    ins_int(&v);
    EXPECT_EQ(v, 7123u);
}

TEST(InputDouble, LongestLeadingNumberIsTaken) {
    ConsoleFinta c("12,50\n1e3\n12.50\n1.2.3\n.\n\n");
    double v = -1;
    ins_double(&v);
    EXPECT_DOUBLE_EQ(v, 12.5);
    ins_double(&v);
    EXPECT_DOUBLE_EQ(v, 1.2);
    ins_double(&v);
    EXPECT_DOUBLE_EQ(v, 0.0);
    ins_double(&v);
    EXPECT_DOUBLE_EQ(v, 0.0);
    EXPECT_EQ(c.testo(), MSG_NUM + MSG_NUM);
}

TEST(InputDouble, NumberTooLargeToHoldIsRefused) {
    ConsoleFinta c(std::string(400, '9') + "\n3\n");
    double v = 0;
    ins_double(&v);
    EXPECT_DOUBLE_EQ(v, 3.0);
    EXPECT_EQ(c.testo(), MSG_NUM);
}

TEST(TextHelpers, MaiuscTouchesOnlyAtoZ) {
    char s[] = "via roma 1 \x8a";
    maiusc(s);
    EXPECT_STREQ(s, "VIA ROMA 1 \x8a");
}

TEST(TextHelpers, TrnkStrCutsAtFirstPairOfBlanks) {
    char a[40] = "ROSSI                          ";
    trnk_str(a, 31);
    EXPECT_STREQ(a, "ROSSI");
    char b[40] = "DE  LUCA";
    trnk_str(b, 31);
    EXPECT_STREQ(b, "DE");
    std::string lungo = "ABCDEFGHIJ ABCDEFGHIJ ABCDEFGHI ";
    ASSERT_EQ(lungo.size(), 32u);
    char c[40];
    std::copy(lungo.begin(), lungo.end(), c);
    c[32] = '\0';
    trnk_str(c, 31);
    EXPECT_EQ(std::string(c), lungo.substr(0, 31));
    char d[40] = "VIA ROMA 10 ";
    trnk_str(d, 31);
    EXPECT_STREQ(d, "VIA ROMA 10 ");
}

TEST(InputStr, CrLfLineEndsAndACarriageReturnLeftByTheCut) {
    ConsoleFinta c("abc\r\nABCDEF\rXYZ\n");
    char s[8];
    ins_str(s, 7);
    EXPECT_STREQ(s, "abc");
    ins_str(s, 7);
    EXPECT_STREQ(s, "ABCDEF"); // never a field that ends in CR: the file would lose it
}
