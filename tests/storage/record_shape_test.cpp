// Which hand edits of a record the reader takes as they were meant, and
// which it would misread: one line changed at a time.
#include <gtest/gtest.h>

#include "storage/fines_file.h"
#include "storage/owners_file.h"

namespace {

const std::string REGOLA_C(87, '_'), REGOLA_A(88, '_');

const RIGHE_RECORD MULTA = {"",        "1",   "12/03/2026 Milano",           "AB123CD",
                            "Eccesso", "* 1", "          41.00 * 20/03/2026", REGOLA_C};
const RIGHE_RECORD PERSONA = {
    "",           "1",  "ROSSI                           MARIO",
    "05/03/1970", "VIA ROMA 10                     Milano                          20100 MI",
    "RSSMRA70C05F205Z", "MI1234567A", REGOLA_A};

struct RITOCCO {
    std::size_t riga; // from 1
    std::string testo;
};

RIGHE_RECORD ritoccato(const RIGHE_RECORD& r, const RITOCCO& t) {
    RIGHE_RECORD nuovo = r;
    nuovo[t.riga - 1] = t.testo;
    return nuovo;
}

} // namespace

TEST(RecordShape, HandEditsTheReaderTakesAsMeantRaiseNoQuestion) {
    const std::string oltre(4000, 'x');
    const RITOCCO multe[] = {
        {1, "nota a mano"},                      // first line: never looked at
        {8, "fine"},                             // rule line: never looked at
        {8, ""},
        {2, " 7 "},
        {2, "+7"},
        {2, "4294967295"},
        {3, " 5/ 3/2026 Torino"},                // blank-padded day and month
        {3, "12-03-2026      Torino"},           // separators are not looked at
        {3, "12/03/0042 X"},                     // "0042" is a year
        {3, "12/03/2026" + oltre},               // the place takes what it can
        {6, ""},                                 // no owner
        {6, "   "},
        {6, "- 4"},
        {6, "x"},
        {6, "*\t12"},
        {6, "*   12  "},
        {7, "          41.00 - 20/03/2026"},     // a date left after "-"
        {7, "          41.00 ? "},               // any unpaid mark
        {7, "41.00"},                            // no mark at all: unpaid
        {7, "            .50 - "},
        {7, "        +41.00 - "},
        {7, "          -3.00 - "},
        {7, "999999999999.99 * 20/03/2026"},     // the widest amount
        {7, "          41.00 * 20/03/2026" + oltre}, // beyond the payment date
    };
    for (const auto& t : multe)
        EXPECT_TRUE(forma_contravv(ritoccato(MULTA, t))) << t.riga << ": " << t.testo.substr(0, 40);
    const RITOCCO persone[] = {
        {1, "x"}, {8, "---"}, {2, "  12"}, {4, " 5/ 3/1970"}, {4, "05.03.1970 nato a Roma"},
        {6, ""},  {6, "RSS MRA"}, {7, "?"},
    };
    for (const auto& t : persone)
        EXPECT_TRUE(forma_anagraf(ritoccato(PERSONA, t))) << t.riga << ": " << t.testo;
}

TEST(RecordShape, WhatTheReaderWouldMisreadIsAsked) {
    const RITOCCO multe[] = {
        {2, ""},                                  // no number
        {2, "uno"},
        {2, "-3"},
        {2, "4294967296"},                        // beyond the fine numbers
        {2, "99999999999999999999"},
        {3, "Milano 12/03/2026"},
        {3, "20/03/26 Milano"},                   // a two-digit year
        {3, "12/03/ 026 Milano"},
        {3, "36/03/2026 Milano"},                 // day out of range
        {3, "29/02/2026 Milano"},
        {3, "12/13/2026 Milano"},
        {3, "  /03/2026 Milano"},
        {6, "*13"},                               // read from column 3: owner 3
        {6, "*1"},                                // read from column 3: no owner
        {6, "*"},
        {6, "* "},
        {6, "* -4"},
        {6, "* 4294967296"},
        {6, "* 9999999999999999999"},
        {6, "  * 1"},                             // a mark the reader does not see
        {7, "quaranta euro"},
        {7, "                41.00 - "},          // the amount beyond its columns
        {7, "1000000000000.0 - "},                // 10^12: too wide to write back
        {7, "-999999999999.9 - "},
        {7, "          41.00 * "},                // paid, no date
        {7, "          41.00 * 20/03/26"},
        {7, "          41.00 * 31/04/2026"},
    };
    for (const auto& t : multe)
        EXPECT_FALSE(forma_contravv(ritoccato(MULTA, t))) << t.riga << ": " << t.testo;
    const RITOCCO persone[] = {
        {2, ""}, {2, "-1"}, {2, "12345678901"}, {4, "5 marzo 1970"}, {4, "05/03/70"}, {4, "00/00/0"},
    };
    for (const auto& t : persone)
        EXPECT_FALSE(forma_anagraf(ritoccato(PERSONA, t))) << t.riga << ": " << t.testo;
}

TEST(RecordShape, AFileOfOneKindIsNoFileOfTheOther) {
    EXPECT_TRUE(forma_contravv(MULTA));
    EXPECT_TRUE(forma_anagraf(PERSONA));
    EXPECT_FALSE(forma_anagraf(MULTA)); // its line 4 is a plate
    EXPECT_FALSE(forma_contravv(PERSONA));
    EXPECT_FALSE(forma_contravv({"", "", "", "", "", "", "", ""}));
    EXPECT_FALSE(forma_anagraf({"", "", "", "", "", "", "", ""}));
}
