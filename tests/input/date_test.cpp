// Dates: calendar checks, printing and ordering.
#include <gtest/gtest.h>

#include "input/date.h"
#include "support/streams.h"

namespace {
const std::string MSG = "La data  inserita non e' corretta, prego riprovare (formato gg/mm/aaaa)\n";

// Feeds the candidate and then a valid date; true when the candidate was accepted.
bool accettata(const std::string& testo, DATA* d = nullptr) {
    ConsoleFinta c(testo + "\n01/01/2001\n");
    DATA letta{};
    ins_data(&letta);
    if (d) *d = letta;
    return c.testo().empty();
}
} // namespace

TEST(DateInput, LeapYearsFollowTheGregorianRule) {
    EXPECT_TRUE(accettata("29/02/2000"));
    EXPECT_TRUE(accettata("29/02/2004"));
    EXPECT_FALSE(accettata("29/02/1900"));
    EXPECT_FALSE(accettata("29/02/2007"));
    EXPECT_TRUE(accettata("01/01/0000")); // year 0 is a leap year by the rule
    EXPECT_TRUE(accettata("29/02/0000"));
}

TEST(DateInput, MonthLengthsAndRanges) {
    EXPECT_FALSE(accettata("31/04/2007"));
    EXPECT_TRUE(accettata("30/04/2007"));
    EXPECT_TRUE(accettata("31/12/2007"));
    EXPECT_TRUE(accettata("31/12/9999"));
    EXPECT_FALSE(accettata("00/01/2007"));
    EXPECT_FALSE(accettata("01/00/2007"));
    EXPECT_FALSE(accettata("01/13/2007"));
}

TEST(DateInput, ShapeMustBeExactlyGgMmAaaa) {
    for (const char* t :
         {"1/1/2007", "01-01-2007", "01/01/07", "01/01/2007 ", " 01/01/2007", "", "0a/01/2007"})
        EXPECT_FALSE(accettata(t)) << t;
}

TEST(DateInput, StoresTheValuesAndRepeatsTheSameMessage) {
    ConsoleFinta c("5/3/2007\n32/01/2007\n05/03/2007\n");
    DATA d{};
    ins_data(&d);
    EXPECT_EQ(c.testo(), MSG + MSG);
    EXPECT_EQ(d.gg, 5);
    EXPECT_EQ(d.mm, 3);
    EXPECT_EQ(d.aaaa, 2007);
}

TEST(DateDisplay, NoLeadingZerosAndLineEnd) {
    ConsoleFinta c;
    vis_data(DATA{7, 11, 2006});
    vis_data(DATA{5, 3, 999});
    EXPECT_EQ(c.testo(), "7/11/2006\n5/3/999\n");
}

TEST(DateOrder, EarlierSameLater) {
    EXPECT_EQ(ordine_data({31, 12, 2006}, {1, 1, 2007}), 0);
    EXPECT_EQ(ordine_data({1, 1, 2007}, {31, 12, 2006}), 1);
    EXPECT_EQ(ordine_data({1, 1, 2007}, {1, 1, 2007}), -1);
    EXPECT_EQ(ordine_data({10, 3, 2007}, {9, 3, 2007}), 1);
    EXPECT_EQ(ordine_data({10, 3, 2007}, {10, 4, 2007}), 0);
}

TEST(DateValidity, OnlyRealCalendarDates) {
    EXPECT_TRUE(data_valida({29, 2, 2000}));
    EXPECT_TRUE(data_valida({1, 1, 0}));
    EXPECT_FALSE(data_valida({0, 0, 0}));
    EXPECT_FALSE(data_valida({29, 2, 1900}));
    EXPECT_FALSE(data_valida({99, 99, 9999}));
    EXPECT_FALSE(data_valida({1, 1, -5}));
}
