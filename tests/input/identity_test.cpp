// Tax codes and licence numbers: shape checks.
#include <gtest/gtest.h>

#include "input/identity.h"
#include "support/streams.h"

namespace {
const std::string MSG_CF = "Il formato del codice fiscale non e' valido, prego riprovare\n";
const std::string MSG_PAT = "Il formato del numero della patente non e' valido, prego riprovare\n";
} // namespace

TEST(IdentityInput, TaxCodeShapeIsCheckedPositionByPosition) {
    EXPECT_TRUE(forma_codice_fiscale("RSSMRA70C05F205Z"));
    EXPECT_TRUE(forma_codice_fiscale("rssmra70c05f205z"));
    EXPECT_FALSE(forma_codice_fiscale("RSSMRA70C05F205"));  // 15 characters
    EXPECT_FALSE(forma_codice_fiscale("RSSMRA70C05F2052")); // digit at 15
    EXPECT_FALSE(forma_codice_fiscale("RSSMRAL0C05F205Z")); // letter at 6
    EXPECT_FALSE(forma_codice_fiscale("RSSMRA70C05 205Z"));
    EXPECT_FALSE(forma_codice_fiscale("RSSMRA7LCLMFLMNZ")); // letters standing for digits
    EXPECT_FALSE(forma_codice_fiscale(""));
}

TEST(IdentityInput, TaxCodeKeepsTheFirst16OfALongerLine) {
    ConsoleFinta c("\nRSSMRA70C05F205\nrssmra70c05f205zXYZ\n");
    char s[18];
    ins_cf(s);
    EXPECT_STREQ(s, "rssmra70c05f205z");
    EXPECT_EQ(c.testo(), MSG_CF + MSG_CF);
}

TEST(IdentityInput, LicenceShape) {
    EXPECT_TRUE(forma_patente("AB1234567C"));
    EXPECT_FALSE(forma_patente("AB123456C"));
    EXPECT_FALSE(forma_patente("A11234567C"));
    ConsoleFinta c("AB123456C\nAB12345678C\nAB1234567CD\n");
    char s[11];
    ins_pat(s);
    EXPECT_STREQ(s, "AB1234567C");
    EXPECT_EQ(c.testo(), MSG_PAT + MSG_PAT);
}
