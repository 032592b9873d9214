// The reduced amount's rule at the cent where its rounding turns, and
// amounts as notices print them.
#include <gtest/gtest.h>

#include "notices/amounts.h"

TEST(NoticeAmounts, ReductionRoundsHalfUpToTheCent) {
    struct CASO {
        int64_t intero;
        int centesimi_percento;
        int64_t ridotto;
    };
    for (const CASO& k : {
             CASO{4200, 3000, 2940},   // 42,00 - 12,60
             CASO{16700, 3000, 11690}, // 167,00 - 50,10
             CASO{3850, 3000, 2695},   // 11,55 exactly
             CASO{5, 3000, 3},         // 0,015: half a cent, up to 0,02
             CASO{1, 3000, 1},         // 0,003: down to nothing
             CASO{15, 3000, 10},       // 0,045 up to 0,05
             CASO{1617, 3000, 1132},   // 4,851 down to 4,85
             CASO{4201, 2550, 3130},   // 25,5% of 42,01: 10,71255 down to 10,71
             CASO{4200, 0, 4200},      // no reduction
             CASO{4200, 10000, 0},     // all of it
             CASO{0, 3000, 0},
             CASO{-500, 3000, -500},   // a negative amount loaded anyway: left alone
             CASO{99999999999999, 3000, 69999999999999}, // the largest amount a record holds
         }) {
        SCOPED_TRACE(k.intero);
        EXPECT_EQ(importo_ridotto(k.intero, k.centesimi_percento), k.ridotto);
    }
    EXPECT_EQ(importo_dovuto(38.5, TIPO_IMPORTO::INTERO, 3000), 3850);
    EXPECT_EQ(importo_dovuto(38.5, TIPO_IMPORTO::RIDOTTO, 3000), 2695);
    EXPECT_EQ(centesimi(0.1 + 0.2), 30); // no drift from the binary fraction
}

TEST(NoticeAmounts, ItalianFormWithThousandsAndDecimalComma) {
    EXPECT_EQ(euro_italiano(0), "0,00");
    EXPECT_EQ(euro_italiano(5), "0,05");
    EXPECT_EQ(euro_italiano(117340), "1.173,40");
    EXPECT_EQ(euro_italiano(100000000), "1.000.000,00");
    EXPECT_EQ(euro_italiano(-4250), "-42,50");
}
