// Telling a record of the fines file or of the owners file from anything else.
#include <gtest/gtest.h>

#include "storage/record_shape.h"

namespace {

const std::string REGOLA_C(87, '_'), REGOLA_A(88, '_'), REGOLA_C_BLANK = REGOLA_C + " ";

RIGHE_RECORD multa(std::string_view riga3 = "12/03/2026 Milano",
                   std::string_view riga6 = "* 1",
                   std::string_view riga7 = "          41.00 * 20/03/2026") {
    return {"", "1", riga3, "AB123CD", "Eccesso di velocita", riga6, riga7, REGOLA_C};
}

RIGHE_RECORD persona(std::string_view riga4 = "05/03/1970",
                     std::string_view riga6 = "RSSMRA70C05F205Z") {
    return {"",     "1",    "ROSSI                           MARIO",
            riga4,  "VIA ROMA 10                     Milano                          20100 MI",
            riga6, "MI1234567A", REGOLA_A};
}

} // namespace

TEST(RecordShape, FinesAsWrittenAndAsEditedByHandAreFines) {
    const RIGHE_RECORD buone[] = {
        multa(),
        multa("01/04/2026      Torino", "- ", "          38.50 - "),
        multa("01/04/2026", "-", "          38.50 -"),   // trailing blanks gone
        multa("01-04-2026 Torino", "*   12  ", "  7.5           * 01/05/2026  "),
        {" ", " 7 ", "12/03/2026 X", "", "", "- ", "          -3.00 - ", REGOLA_C_BLANK},
    };
    for (const auto& r : buone) EXPECT_TRUE(forma_contravv(r)) << r[1] << "|" << r[6];
}

TEST(RecordShape, WhatTheReaderWouldTurnIntoZerosIsNoFine) {
    const RIGHE_RECORD cattive[] = {
        multa("Milano 12/03/2026"),                          // no date first
        multa("12/03/2026 Milano", "* "),                     // a link without code
        multa("12/03/2026 Milano", "x 1"),                    // neither mark
        multa("12/03/2026 Milano", "- 4"),                    // no link, yet a code
        multa("12/03/2026 Milano", "* 1", "quaranta euro"),   // no amount
        multa("12/03/2026 Milano", "* 1", "          41.00 ? "),
        multa("12/03/2026 Milano", "* 1", "          41.00 * "), // paid, no date
        {"", "", "12/03/2026 X", "", "", "- ", "          41.00 - ", REGOLA_C}, // no number
        {"x", "1", "12/03/2026 X", "", "", "- ", "          41.00 - ", REGOLA_C},
        {"", "1", "12/03/2026 X", "", "", "- ", "          41.00 - ", "fine"},
        {"", "", "", "", "", "", "", ""}, // a record of empty lines
        persona(),                        // an owner is no fine
    };
    for (const auto& r : cattive) EXPECT_FALSE(forma_contravv(r)) << r[2] << "|" << r[6];
}

TEST(RecordShape, OwnersAsWrittenAreOwnersAndNothingElseIs) {
    EXPECT_TRUE(forma_anagraf(persona()));
    EXPECT_TRUE(forma_anagraf(persona("05/03/1970", "")));  // no tax code
    EXPECT_FALSE(forma_anagraf(persona("5 marzo 1970")));
    EXPECT_FALSE(forma_anagraf(persona("05/03/1970", "RSS MRA")));
    EXPECT_FALSE(forma_anagraf(multa())); // a fine is no owner: its line 4 is a plate
    EXPECT_FALSE(forma_anagraf({"", "", "", "", "", "", "", ""}));
}
