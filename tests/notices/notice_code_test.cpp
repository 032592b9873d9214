// Notice codes: their shape for each auxiliary digit, check digits
// recomputed here from the platform's rule, the code read back to its fine,
// and a code found in the free text of a bank's reason.
#include <gtest/gtest.h>

#include <string>

#include "notices/notice_code.h"

namespace {

// The check digits by the platform's rule, as its documents state it: the
// remainder of the 16 digits before them, as one number, divided by 93.
std::string controllo(const std::string& codice) {
    const unsigned long long n = std::stoull(codice.substr(0, 16));
    const unsigned resto = static_cast<unsigned>(n % 93);
    return std::string(1, static_cast<char>('0' + resto / 10)) +
           static_cast<char>('0' + resto % 10);
}

const REGOLA_AVVISI SEGREGAZIONE{3, "01"};
const REGOLA_AVVISI APPLICAZIONE{0, "12"};
const REGOLA_AVVISI SENZA_CONTROLLO{1, ""};

} // namespace

TEST(NoticeCode, ShapeCheckDigitsAndReadingBack) {
    struct CASO {
        REGOLA_AVVISI regola;
        uint32_t numero;
        TIPO_IMPORTO tipo;
        std::string inizio; // the digits before the check digits
    };
    for (const CASO& k : {
             CASO{SEGREGAZIONE, 3, TIPO_IMPORTO::RIDOTTO, "3011000000000003"},
             CASO{SEGREGAZIONE, 3, TIPO_IMPORTO::INTERO, "3012000000000003"},
             CASO{SEGREGAZIONE, 4294967295u, TIPO_IMPORTO::INTERO, "3012004294967295"},
             CASO{APPLICAZIONE, 21, TIPO_IMPORTO::RIDOTTO, "0121000000000021"},
             CASO{SENZA_CONTROLLO, 77, TIPO_IMPORTO::INTERO, "120000000000000077"},
         }) {
        const std::string codice = codice_avviso(k.regola, k.numero, k.tipo);
        SCOPED_TRACE(codice);
        ASSERT_EQ(codice.size(), 18u);
        EXPECT_EQ(codice.substr(0, k.inizio.size()), k.inizio);
        if (k.regola.cifra_ausiliaria != 1) {
            EXPECT_EQ(codice.substr(16), controllo(codice));
        }
        // Always the same code, and it names its fine and amount back.
        EXPECT_EQ(codice_avviso(k.regola, k.numero, k.tipo), codice);
        const auto letto = leggi_codice_avviso(k.regola, codice);
        ASSERT_TRUE(letto.has_value());
        EXPECT_EQ(letto->numero, k.numero);
        EXPECT_EQ(letto->tipo, k.tipo);
    }
    EXPECT_EQ(codice_a_gruppi("301100000000000350"), "3011 0000 0000 0003 50");
    EXPECT_EQ(testo_qr("301100000000000350", "00606620409", 11690),
              "PAGOPA|002|301100000000000350|00606620409|11690");
}

TEST(NoticeCode, RefusesWhatTheOfficeDidNotMake) {
    const std::string buono = codice_avviso(SEGREGAZIONE, 3, TIPO_IMPORTO::RIDOTTO);
    std::string cifra_cambiata = buono;
    cifra_cambiata[15] = cifra_cambiata[15] == '9' ? '0' : static_cast<char>(cifra_cambiata[15] + 1);
    for (const std::string& codice : {
             cifra_cambiata,                                          // a digit mistyped
             buono.substr(0, 17),                                     // one short
             buono + "0",                                             // one more
             codice_avviso({3, "02"}, 3, TIPO_IMPORTO::RIDOTTO),      // another segregation code
             codice_avviso(APPLICAZIONE, 3, TIPO_IMPORTO::RIDOTTO),   // another kind of code
             std::string("3013000000000003") + controllo("3013000000000003"), // no such amount
             std::string("3010999999999999") + controllo("3010999999999999"), // no such kind
             std::string("3011999999999999") + controllo("3011999999999999"), // beyond a fine number
             std::string("30110000000000a3") + "50",
         }) {
        SCOPED_TRACE(codice);
        EXPECT_FALSE(leggi_codice_avviso(SEGREGAZIONE, codice).has_value());
    }
}

TEST(NoticeCode, FoundInAFreeTextReason) {
    const std::string codice = codice_avviso(SEGREGAZIONE, 1234, TIPO_IMPORTO::INTERO);
    const std::string a_gruppi = codice_a_gruppi(codice);
    struct CASO {
        std::string testo;
        bool trovato;
    };
    for (const CASO& k : {
             CASO{"PAGOPA " + codice + " VERBALE 1234", true},
             CASO{"/RFB/" + codice + "/42.00", true},
             CASO{"avviso " + a_gruppi + " del 03/04/2026", true},
             CASO{"verbale 12 " + a_gruppi, true}, // a number just before, one blank apart
             CASO{codice, true},
             CASO{"9" + codice, false}, // part of a longer number
             CASO{codice + "0", false},
             CASO{"verbale 1234 del 03/04/2026, importo 42,00", false},
             CASO{"", false},
         }) {
        SCOPED_TRACE(k.testo);
        const auto trovato = trova_codice_avviso(SEGREGAZIONE, k.testo);
        ASSERT_EQ(trovato.has_value(), k.trovato);
        if (!trovato) continue;
        EXPECT_EQ(trovato->codice, codice);
        EXPECT_EQ(trovato->avviso.numero, 1234u);
        EXPECT_EQ(trovato->avviso.tipo, TIPO_IMPORTO::INTERO);
    }
}
