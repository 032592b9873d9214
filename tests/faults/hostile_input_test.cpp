// Hostile input at every kind of prompt of the real program: NUL bytes,
// control characters, invalid UTF-8, lines of a megabyte, and input that
// ends in the middle of a form, in the C locale and in C.UTF-8. The program
// never crashes or hangs, writes nothing on standard error, ends with
// status 0, shows the prompt's own message where a line is refused, and
// touches no data file when the clerk does not save.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "faults/fault_support.h"
#include "faults/list_check.h"
#include "model/lists.h"
#include "session/dialogs.h"
#include "storage/archive_files.h"
#include "support/texts.h"

namespace {

using namespace guasti;
using testi::MSG_CF;
using testi::MSG_DATA;
using testi::MSG_NUMERO;
using testi::MSG_PATENTE;
using testi::MSG_TESTO;

const std::string CARICA = "5\n\n\n\n";
const std::string USCITA = "7\n3\n\n"; // leave without saving, then the farewell pause
const std::string FORM_CONTRAVV = CARICA + "1\n2\n";
const std::vector<std::string> CONTRAVV = {"12/03/2008", "Via Roma", "ab123cd", "Sosta", "41"};
const std::vector<std::string> ANAGRAF = {"Rossi",     "Mario", "05/03/1970", "Via Roma 10",
                                          "Milano",    "20100", "MI",         "RSSMRA70C05F205Z",
                                          "MI1234567A"};
// After the fine's form: the pause of the fines menu, back to the main menu, leave.
const std::string DOPO_CONTRAVV = "\n5\n" + USCITA;

std::string righe(const std::vector<std::string>& v, std::size_t da, std::size_t a) {
    std::string s;
    for (std::size_t i = da; i < a && i < v.size(); ++i) s += v[i] + "\n";
    return s;
}

// One prompt: the input that leads to it, a valid answer, the input that
// then ends the run without saving, and what it prints when it refuses a
// line. `per_carattere` prompts read single characters, not lines.
struct DOMANDA {
    const char* nome;
    std::string prima;
    std::string risposta;
    std::string dopo;
    std::string rifiuto;
    bool per_carattere = false;
    // For each hostile line (NUL, control, UTF-8, MB of letters, MB of
    // digits): R refused with `rifiuto`, A accepted, O open error (a path),
    // L too long (a path), - checked elsewhere.
    const char* attese;
};

// The fine's form up to field `k`, with the owner's data when k is beyond it.
std::string fino_a_contravv(std::size_t k) {
    return FORM_CONTRAVV + righe(CONTRAVV, 0, k);
}
std::string dopo_contravv(std::size_t k) {
    return righe(CONTRAVV, k + 1, 9) + "n\n" + DOPO_CONTRAVV;
}
std::string fino_ad_anagraf(std::size_t k) {
    return fino_a_contravv(5) + "s\n" + righe(ANAGRAF, 0, k);
}
std::string dopo_anagraf(std::size_t k) {
    return righe(ANAGRAF, k + 1, 99) + "n\n" + DOPO_CONTRAVV;
}

std::vector<DOMANDA> domande() {
    const std::string sn = "\n\nInserire subito i dati del proprietario? (s/n) ";
    return {
        {"menu choice", "", "7", "\n", "[7] Esci\n\n>>", true, "RRRRR"},
        {"s/n question", fino_a_contravv(5), "n", DOPO_CONTRAVV, sn + sn, true, "RRRRR"},
        {"free text (place)", fino_a_contravv(1), CONTRAVV[1], dopo_contravv(1), "", false,
         "AAAAA"},
        {"amount", fino_a_contravv(4), CONTRAVV[4], dopo_contravv(4), MSG_NUMERO, false, "RRRRR"},
        {"date", fino_a_contravv(0), CONTRAVV[0], dopo_contravv(0), MSG_DATA, false, "RRRRR"},
        {"text (surname)", fino_ad_anagraf(0), ANAGRAF[0], dopo_anagraf(0), MSG_TESTO, false,
         "RRRAR"},
        {"digits (postal code)", fino_ad_anagraf(5), ANAGRAF[5], dopo_anagraf(5), MSG_NUMERO, false,
         "ARRRA"},
        {"tax code", fino_ad_anagraf(7), ANAGRAF[7], dopo_anagraf(7), MSG_CF, false, "ARRRR"},
        {"licence", fino_ad_anagraf(8), ANAGRAF[8], dopo_anagraf(8), MSG_PATENTE, false, "ARRRR"},
        {"number (fine to show)", CARICA + "1\n1\n", "1", "\n5\n" + USCITA, MSG_NUMERO, false,
         "RRRRR"},
        {"path", "5\n", "", "\n\n" + USCITA, testi::PERCORSO_LUNGO, false, "-OOLL"},
    };
}

// A megabyte; under AddressSanitizer, where every byte read costs far
// more, 128 KiB: still hundreds of times the longest line kept.
constexpr std::size_t LUNGA = SANITIZZATO ? std::size_t{1} << 17 : std::size_t{1} << 20;

const char* const NOMI_OSTILI[] = {"NUL byte", "control characters", "invalid UTF-8",
                                   "a megabyte of letters", "a megabyte of digits"};

// The hostile line number `i` for a prompt, line end included. The NUL
// byte follows a valid answer, so that it is what stands between the
// answer and the rest of the line.
std::string ostile(const DOMANDA& d, int i) {
    switch (i) {
    case 0:
        return (d.per_carattere ? std::string() : d.risposta) + std::string("\0zz", 3) + "\n";
    case 1:
        return "\x01\x02\x1b[H\x7f\b\x0b\x0c\r\t\n";
    case 2:
        return "\xff\xfe\xc3\x28\xe2\x82\xc0\xaf\xed\xa0\x80\n";
    case 3:
        return std::string(LUNGA, 'x') + "\n";
    default:
        return std::string(LUNGA, '9') + "\n";
    }
}

// Runs the program and checks what every run must give; the output.
std::string controlla(const CartellaCampione& c, const std::string& input,
                      const std::string& locale, bool fino_alla_fine) {
    const ISTANTANEA prima = istantanea(c.percorso);
    const Sessione s = esegui_programma(c, input, {.locale = locale});
    EXPECT_EQ(s.stato, 0) << "crashed, hung or failed";
    EXPECT_EQ(s.errori, "");
    EXPECT_EQ(differenze(prima, istantanea(c.percorso)), "");
    if (fino_alla_fine) {
        EXPECT_GE(s.output.size(), testi::CONGEDO.size());
        EXPECT_EQ(
            s.output.substr(s.output.size() - std::min(s.output.size(), testi::CONGEDO.size())),
            testi::CONGEDO)
            << "the dialogue did not go on to its end";
    }
    return s.output;
}

} // namespace

TEST(FaultInput, HostileLinesAtEveryKindOfPrompt) {
    CartellaCampione c;
    for (const char* locale : {"C", "C.UTF-8"}) {
        for (const DOMANDA& d : domande()) {
            for (int i = 0; i < 5; ++i) {
                // In UTF-8 a line that is no UTF-8 is refused at every line
                // prompt, before the prompt's own check (a path aside).
                const bool non_utf8 = i == 2 && std::string(locale) == "C.UTF-8" &&
                                      !d.per_carattere && d.attese[i] != 'O';
                const char attesa = non_utf8 ? 'R' : d.attese[i];
                const std::string& rifiuto = non_utf8 ? testi::MSG_BYTE_FF : d.rifiuto;
                if (attesa == '-') continue;
                SCOPED_TRACE(std::string(d.nome) + ", " + NOMI_OSTILI[i] + ", LANG=" + locale);
                std::string seguito = d.risposta + "\n" + d.dopo; // refused: answered again
                if (attesa == 'A') seguito = d.dopo;
                if (attesa == 'O') seguito = "\n\n7\n\n"; // the other path, the pause, leave
                const std::string output =
                    controlla(c, d.prima + ostile(d, i) + seguito, locale, true);
                if (attesa == 'R' && d.per_carattere) {
                    EXPECT_NE(output.find(rifiuto), std::string::npos) << "no prompt again";
                } else if (attesa == 'R' || attesa == 'L') {
                    EXPECT_EQ(volte(output, rifiuto), 1u) << "message: " << rifiuto;
                } else if (attesa == 'O') {
                    EXPECT_NE(output.find(testi::ERRORE_APERTURA), std::string::npos);
                } else if (!rifiuto.empty()) {
                    EXPECT_EQ(volte(output, rifiuto), 0u) << "message: " << rifiuto;
                }
            }
        }
    }
}

TEST(FaultInput, InputEndingAtEveryKindOfPrompt) {
    CartellaCampione c;
    for (const char* locale : {"C", "C.UTF-8"}) {
        for (const DOMANDA& d : domande()) {
            SCOPED_TRACE(std::string(d.nome) + ", LANG=" + locale);
            controlla(c, d.prima, locale, false);
            // ... also in the middle of a line, after a part of the answer.
            controlla(c, d.prima + (d.risposta.empty() ? "x" : d.risposta.substr(0, 1)), locale,
                      false);
        }
    }
}

TEST(FaultInput, LinesEndingInCarriageReturnAndLineFeed) {
    // Input prepared on another system: every line ends in CR LF. A whole
    // fine with its owner is recorded and saved as if the lines ended in LF.
    CartellaCampione c;
    const std::string lf =
        fino_a_contravv(5) + "s\n" + righe(ANAGRAF, 0, 9) + "n\n\n5\n6\n1\n\n" + USCITA;
    std::string crlf;
    for (char ch : lf) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    CartellaCampione lf_cartella;
    const Sessione attesa = esegui_programma(lf_cartella, lf);
    const Sessione s = esegui_programma(c, crlf);
    EXPECT_EQ(s.errori, "");
    EXPECT_EQ(s.stato, 0);
    EXPECT_EQ(s.output, attesa.output);
    EXPECT_EQ(c.leggi(DATI_C), lf_cartella.leggi(DATI_C));
    EXPECT_EQ(c.leggi(DATI_A), lf_cartella.leggi(DATI_A));
}

TEST(FaultInput, ControlCharactersInFreeTextAreSavedAndLoadBack) {
    // Free text takes what it is given; a save keeps the file loadable, with
    // every record, whatever bytes the fields hold.
    CartellaCampione c;
    std::vector<std::string> campi = CONTRAVV;
    campi[1] = "Via\x01\x1b[2J\x7f\t\xff Roma";
    campi[3] = std::string(200, '\x07');
    const std::string input = FORM_CONTRAVV + righe(campi, 0, 5) + "n\n\n5\n6\n1\n\n" + USCITA;
    const Sessione s = esegui_programma(c, input);
    EXPECT_EQ(s.errori, "");
    EXPECT_EQ(s.stato, 0);
    libera_liste();
    ASSERT_EQ(carica_archivio(c.file(DATI_C).c_str(), c.file(DATI_A).c_str()), 0);
    EXPECT_EQ(difetto_liste(), "");
    ASSERT_EQ(conta(lista_contravv), 21);
    EXPECT_STREQ(coda(lista_contravv)->luogo, campi[1].c_str());
    EXPECT_EQ(std::string(coda(lista_contravv)->tipo), std::string(127, '\x07'));
    libera_liste();
}

TEST(FaultInput, APathWithANulByteIsRefusedNeverCut) {
    CartellaCampione c;
    // Cut at its NUL byte, the path would name a file the clerk did not type.
    const std::string nul = std::string("\0zz", 3);
    const std::string rifiuto =
        "Il percorso inserito contiene caratteri non validi, prego riprovare\n>";
    const std::string output = controlla(c, "5\n" + DATI_C + nul + "\n\n\n\n7\n3\n\n", "C", true);
    EXPECT_NE(output.find(testi::CARICA_C + rifiuto + testi::CARICA_A), std::string::npos);
    const std::string nuovo = "dati/nuovo.txt";
    const Sessione salvato =
        esegui_programma(c, CARICA + "6\n2\n" + nuovo + nul + "\n" + nuovo + "\n\n\n" + USCITA);
    EXPECT_NE(salvato.output.find(testi::SALVA_C + rifiuto + testi::SALVA_A), std::string::npos);
    EXPECT_EQ(c.leggi(nuovo), c.leggi(DATI_C)); // the path typed whole the second time
}
