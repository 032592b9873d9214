// sanzionario avvisi: the notices' PDF read back by programs no one here
// wrote (pdftotext finds every field, zbarimg decodes each QR code, whose
// check digits are recomputed here), which fines get one, and its refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "support/driver.h"
#include "support/external.h"
#include "support/folder.h"
#include "support/notice_codes.h"
#include "support/record_text.h"

namespace {

const std::string& UFFICIO = UFFICIO_CAMPIONE;
const std::string& CF_ENTE = CF_ENTE_CAMPIONE;

// Fine 1 paid, 2 without owner, 3 to 5 owed; "Forl\x8D" is Forli' with its
// accent, "velocit\x85" velocita', in code page 850.
ARCHIVIO archivio() {
    ARCHIVIO a;
    a.anagrafica = testo_anagraf({1, "ROSSI", "MARIO", {5, 3, 1970}, "VIA ROMA 10", "Forl\x8D",
                                  "47121", "FC", "RSSMRA70C05F205Z", "FC1234567A"}) +
                   testo_anagraf({2, "BIANCHI", "ANNA", {1, 1, 1980}, "PIAZZA DUOMO 1", "Roma",
                                  "00100", "RM", "BNCNNA80A41H501U", "RM7654321B"});
    a.contravvenzioni =
        testo_contravv({1, {12, 3, 2026}, "Milano", "AB123CD", "Divieto di sosta", 41, nullptr,
                        true, {20, 3, 2026}},
                       1) +
        testo_contravv({2, {1, 4, 2026}, "Torino", "XY987ZT", "Sosta", 38.5}) +
        testo_contravv({3, {3, 4, 2026}, "Roma", "EF456GH", "Sosta vietata", 167}, 2) +
        testo_contravv({4, {5, 4, 2026}, "Forl\x8D, corso della Repubblica", "GH789IJ",
                        "Eccesso di velocit\x85", 42},
                       1) +
        testo_contravv({5, {30, 4, 2026}, "Roma", "KL012MN", "Sosta vietata", 41.5}, 2);
    return a;
}

Sessione avvisi(const Cartella& c, std::vector<std::string> argomenti) {
    OPZIONI o;
    o.argomenti = {"avvisi", "--ufficio", UFFICIO};
    o.argomenti.insert(o.argomenti.end(), argomenti.begin(), argomenti.end());
    return esegui_programma(c, "", o);
}

// The text of each page, as pdftotext reads it.
std::vector<std::string> pagine(const Cartella& c, const std::string& pdf) {
    const auto testo = uscita_comando("pdftotext -enc UTF-8 '" + c.file(pdf) + "' - 2>/dev/null");
    std::vector<std::string> p;
    if (!testo) return p;
    std::istringstream s(*testo);
    for (std::string pagina; std::getline(s, pagina, '\f');)
        if (!pagina.empty()) p.push_back(pagina);
    return p;
}

struct ATTESO {
    std::string numero, data, luogo, targa, infrazione, destinatario;
    std::string ridotto, intero; // as printed
    long centesimi_ridotto, centesimi_intero;
};

} // namespace

TEST(CommandNotices, EveryFieldAndQrCodeReadBackByOtherPrograms) {
    for (const char* p : {"pdftotext", "pdftoppm", "zbarimg"})
        if (!programma_presente(p))
            GTEST_SKIP() << "SKIPPED LOUDLY: " << p
                         << " is not installed (Debian poppler-utils, zbar-tools): the notices "
                            "are not read back";
    Cartella c(archivio());
    const Sessione s = avvisi(c, {"-o", "avvisi.pdf"});
    EXPECT_EQ(s.output, "Avvisi scritti in avvisi.pdf: 3\n");
    EXPECT_EQ(s.errori,
              "sanzionario avvisi: la contravvenzione n.2 non ha i dati anagrafici del "
              "proprietario.\n");
    EXPECT_EQ(s.stato, 0);
    const std::vector<ATTESO> attesi = {
        {"3", "03/04/2026", "Roma", "EF456GH", "Sosta vietata",
         "BIANCHI ANNA\nPIAZZA DUOMO 1\n00100 Roma (RM)", "116,90", "167,00", 11690, 16700},
        {"4", "05/04/2026", "Forlì, corso della Repubblica", "GH789IJ", "Eccesso di velocità",
         "ROSSI MARIO\nVIA ROMA 10\n47121 Forlì (FC)", "29,40", "42,00", 2940, 4200},
        // 30% of 41,50 is 12,45: nothing to round.
        {"5", "30/04/2026", "Roma", "KL012MN", "Sosta vietata",
         "BIANCHI ANNA\nPIAZZA DUOMO 1\n00100 Roma (RM)", "29,05", "41,50", 2905, 4150},
    };
    const std::vector<std::string> testi = pagine(c, "avvisi.pdf");
    ASSERT_EQ(testi.size(), attesi.size());
    ASSERT_TRUE(uscita_comando("cd '" + c.percorso + "' && pdftoppm -r 150 -png avvisi.pdf pag"));
    for (std::size_t i = 0; i < attesi.size(); ++i) {
        const ATTESO& a = attesi[i];
        SCOPED_TRACE("contravvenzione " + a.numero);
        const std::string& t = testi[i];
        const auto numero = static_cast<uint32_t>(std::stoul(a.numero));
        for (const std::string& campo : std::vector<std::string>{
             "Comune di Esempio", "Polizia Locale - Ufficio Verbali",
              "AVVISO DI PAGAMENTO", "Verbale di contravvenzione n. " + a.numero + " del " + a.data,
              a.destinatario, a.luogo, a.targa, a.infrazione, "IMPORTO RIDOTTO",
              "da pagare entro 5 giorni dalla notifica del verbale", "€ " + a.ridotto,
              "IMPORTO INTERO", "da pagare entro 60 giorni dalla notifica del verbale",
              "€ " + a.intero, CF_ENTE, "Come pagare.", "pagoPA"})
            EXPECT_NE(t.find(campo), std::string::npos) << campo << "\n" << t;
        // The codes as printed (in groups of four) and as the QR codes hold them.
        std::vector<std::string> qr_attesi;
        for (const auto& [ridotto, centesimi] :
             {std::pair{true, a.centesimi_ridotto}, std::pair{false, a.centesimi_intero}}) {
            const std::string codice = codice_avviso_campione(numero, ridotto);
            std::string a_gruppi;
            for (std::size_t k = 0; k < codice.size(); ++k)
                a_gruppi += (k > 0 && k % 4 == 0 ? " " : "") + codice.substr(k, 1);
            EXPECT_NE(t.find(a_gruppi), std::string::npos) << a_gruppi;
            qr_attesi.push_back("PAGOPA|002|" + codice + "|" + CF_ENTE + "|" +
                                std::to_string(centesimi));
        }
        const auto letti = uscita_comando("zbarimg -q --raw '" + c.file("pag-" + std::to_string(i + 1) +
                                                                         ".png") + "' 2>/dev/null");
        ASSERT_TRUE(letti.has_value());
        std::vector<std::string> qr;
        std::istringstream righe(*letti);
        for (std::string r; std::getline(righe, r);) qr.push_back(r);
        std::sort(qr.begin(), qr.end());
        EXPECT_EQ(qr, qr_attesi);
    }
    // The fonts are in the file: a printer or another computer need not have them.
    const auto font = uscita_comando("pdffonts '" + c.file("avvisi.pdf") + "' 2>/dev/null");
    ASSERT_TRUE(font.has_value());
    EXPECT_NE(font->find("DejaVuSans"), std::string::npos) << *font;
    EXPECT_EQ(font->find(" no  "), std::string::npos) << *font;
}

TEST(CommandNotices, WhichFinesGetANoticeAndWhyNot) {
    if (!programma_presente("pdftotext"))
        GTEST_SKIP() << "SKIPPED LOUDLY: pdftotext is not installed (Debian poppler-utils)";
    const std::string nessuno = "sanzionario avvisi: nessun avviso da scrivere: a.pdf non e' "
                                "stato creato.\n";
    struct CASO {
        std::vector<std::string> argomenti;
        std::string errori;
        int stato;
        std::vector<std::string> numeri; // the pages' fines, in order
    };
    for (const CASO& k : std::vector<CASO>{
             {{"--contravvenzione", "4", "--contravvenzione", "1", "--contravvenzione", "2",
               "--contravvenzione", "9", "--contravvenzione", "3", "--contravvenzione", "4"},
              "sanzionario avvisi: la contravvenzione n.1 e' gia' pagata (20/03/2026).\n"
              "sanzionario avvisi: la contravvenzione n.2 non ha i dati anagrafici del "
              "proprietario.\n"
              "sanzionario avvisi: la contravvenzione n.9 non esiste.\n",
              0,
              {"4", "3"}},
             // Both ends of the period included.
             {{"--dal", "05/04/2026", "--al", "30/04/2026"}, "", 0, {"4", "5"}},
             {{"--dal", "03/04/2026", "--al", "03/04/2026", "--contravvenzione", "4"},
              "sanzionario avvisi: la contravvenzione n.4 ha il verbale del 05/04/2026, fuori "
              "dal periodo.\n" + nessuno,
              1,
              {}},
             {{"--contravvenzione", "1"},
              "sanzionario avvisi: la contravvenzione n.1 e' gia' pagata (20/03/2026).\n" + nessuno,
              1,
              {}},
             {{"--al", "31/12/2025"}, nessuno, 1, {}},
         }) {
        Cartella c(archivio());
        std::vector<std::string> argomenti = k.argomenti;
        argomenti.insert(argomenti.end(), {"-o", "a.pdf"});
        const Sessione s = avvisi(c, argomenti);
        SCOPED_TRACE(s.errori);
        EXPECT_EQ(s.errori, k.errori);
        EXPECT_EQ(s.stato, k.stato);
        if (k.numeri.empty()) {
            EXPECT_FALSE(c.esiste("a.pdf"));
            continue;
        }
        const std::vector<std::string> testi = pagine(c, "a.pdf");
        ASSERT_EQ(testi.size(), k.numeri.size());
        for (std::size_t i = 0; i < testi.size(); ++i)
            EXPECT_NE(testi[i].find("Verbale di contravvenzione n. " + k.numeri[i] + " del"),
                      std::string::npos);
    }
}

TEST(CommandNotices, RefusedWithoutSettingsOverTheArchiveOrOnAFullDisk) {
    Cartella c(archivio());
    const std::string prima = c.leggi(DATI_C);
    OPZIONI o;
    o.argomenti = {"avvisi", "--ufficio", "manca.conf", "-o", "a.pdf"};
    Sessione s = esegui_programma(c, "", o);
    EXPECT_EQ(s.errori, "sanzionario avvisi: impossibile leggere le impostazioni dell'ufficio "
                        "manca.conf (si indicano con --ufficio FILE).\n");
    EXPECT_EQ(s.stato, 1);
    EXPECT_FALSE(c.esiste("a.pdf"));
    s = avvisi(c, {"--contravvenzione", "3", "-o", DATI_C});
    EXPECT_EQ(s.errori, "sanzionario avvisi: " + DATI_C +
                            " e' il file delle contravvenzioni dell'archivio (" + DATI_C +
                            "): un comando non scrive mai sui file dell'archivio.\n");
    EXPECT_EQ(s.stato, 1);
    EXPECT_EQ(c.leggi(DATI_C), prima);
    // A disk that fills up while the PDF is written: told, no file left.
    o.argomenti = {"avvisi", "--ufficio", UFFICIO, "--contravvenzione", "3", "-o", "pieno.pdf"};
    o.limite_file = 4096;
    s = esegui_programma(c, "", o);
    EXPECT_EQ(s.errori, "sanzionario avvisi: impossibile scrivere pieno.pdf: File too large.\n");
    EXPECT_FALSE(c.esiste("pieno.pdf"));
    EXPECT_EQ(temporanei(c.percorso), 0);
    EXPECT_EQ(s.stato, 1);
}
