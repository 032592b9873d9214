// The commands' doors in and out, tried as an attacker on the same machine
// and as a clerk with a real spreadsheet and a real bank export: where an
// export may write, what a spreadsheet reads in it, the payment lists
// banks write, and the register's pager.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "commands/payment_list.h"
#include "support/driver.h"
#include "support/folder.h"
#include "support/record_text.h"

namespace {

Sessione comando(const Cartella& c, std::vector<std::string> argomenti, std::string locale = "C") {
    OPZIONI o;
    o.argomenti = std::move(argomenti);
    o.locale = std::move(locale);
    return esegui_programma(c, "", o);
}

// Owners 1 and 2; fines 3 (167 euro), 4 (1,173), 5, 6 and 12 (42 each),
// all unpaid with owner data; texts a spreadsheet would read as formulas.
ARCHIVIO banca() {
    ARCHIVIO a;
    a.anagrafica = testo_anagraf({1, "ROSSI", "MARIO", {5, 3, 1970}, "@SUM(A1)", "Forl\x8D",
                                  "47121", "FC", "RSSMRA70C05F205Z", "FC1234567A"}) +
                   testo_anagraf({2, "BIANCHI", "ANNA", {1, 1, 1980}, "VIA PO 1", "Roma",
                                  "00184", "RM", "BNCNNA80A41H501U", "RM7654321B"});
    a.contravvenzioni =
        testo_contravv({3, {3, 4, 2026}, "=HYPERLINK(\"http://x\")", "EF456GH", "Sosta", 167}, 2) +
        testo_contravv({4, {3, 4, 2026}, "Roma", "+AB123", "-Velocit\x85", 1173}, 1) +
        testo_contravv({5, {3, 4, 2026}, "Roma", "GH789IJ", "Sosta", 42}, 1) +
        testo_contravv({6, {3, 4, 2026}, "Roma", "GH789IJ", "Sosta", 42}, 2) +
        testo_contravv({12, {3, 4, 2026}, "Roma", "GH789IJ", "Sosta", 42}, 2);
    return a;
}

} // namespace

TEST(CommandDoors, ExportNeverWritesOntoTheArchiveThroughALinkOrIntoAFifo) {
    Cartella c(banca());
    const std::vector<std::string> propri = {DATI_C,           DATI_A,
                                             DATI_C + ".bak",  DATI_A + ".bak",
                                             DATI_C + ".giornale", DATI_C + ".blocco",
                                             DATI_C + ".registro", "dati/.contravvenzioni.txt.tmp-Ab12Cd"};
    for (const std::string& nome : propri)
        if (!c.esiste(nome)) c.scrivi(nome, "intatto\n");
    ASSERT_EQ(link(c.file(DATI_C + ".giornale").c_str(), c.file("altro_nome").c_str()), 0);
    std::vector<std::string> bersagli = propri;
    bersagli.push_back("altro_nome");
    for (const std::string& nome : bersagli) {
        SCOPED_TRACE(nome);
        const std::string prima = c.leggi(nome);
        const Sessione s = comando(c, {"esporta", "-o", nome});
        EXPECT_EQ(s.stato, 1);
        EXPECT_NE(s.errori.find(nome + " e' "), std::string::npos) << s.errori;
        EXPECT_NE(s.errori.find("un comando non scrive mai sui file dell'archivio"), std::string::npos);
        if (!nome.ends_with(".blocco")) { // the lock file holds the pid of the last taker
            EXPECT_EQ(c.leggi(nome), prima);
        }
    }
    // A link, to a file or to nowhere yet, a FIFO (refused at once), a folder.
    ASSERT_EQ(symlink("bersaglio.csv", c.file("collegamento.csv").c_str()), 0);
    ASSERT_EQ(mkfifo(c.file("fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(c.file("cartella"));
    for (const auto& [nome, motivo] :
         {std::pair{"collegamento.csv", "e' un collegamento simbolico, che non viene seguito"},
          std::pair{"fifo", "e' una FIFO: si scrive solo in un file regolare"},
          std::pair{"cartella", "e' una cartella"}}) {
        const Sessione s = comando(c, {"esporta", "-o", nome});
        EXPECT_EQ(s.stato, 1);
        EXPECT_NE(s.errori.find(std::string(nome) + " " + motivo), std::string::npos) << s.errori;
    }
    EXPECT_FALSE(c.esiste("bersaglio.csv"));
    // Under umask 022 the file is its owner's alone, and nothing is left beside it.
    const mode_t umask_prima = umask(022);
    const Sessione s = comando(c, {"esporta", "-o", "archivio.csv"});
    umask(umask_prima);
    EXPECT_EQ(s.stato, 0);
    EXPECT_EQ(permessi(c.file("archivio.csv")), 0600u);
    for (const auto& voce : std::filesystem::directory_iterator(c.percorso))
        EXPECT_EQ(voce.path().filename().string().find(".tmp-"), std::string::npos);
    // A link another user planted in a folder everybody may write to.
    if (geteuid() != 0) {
        std::cout << "[ SKIPPED  ] the link of another user needs root to be planted\n";
        return;
    }
    std::filesystem::create_directory(c.file("condivisa"));
    chmod(c.file("condivisa").c_str(), 01777);
    std::filesystem::create_directory(c.file("altrove"));
    ASSERT_EQ(symlink(c.file("altrove").c_str(), c.file("condivisa/piantato").c_str()), 0);
    ASSERT_EQ(lchown(c.file("condivisa/piantato").c_str(), 65534, 65534), 0);
    const Sessione p = comando(c, {"esporta", "-o", "condivisa/piantato/archivio.csv"});
    EXPECT_EQ(p.stato, 1);
    EXPECT_NE(p.errori.find("il percorso passa per ./condivisa/piantato, un collegamento "
                            "simbolico di un altro utente"),
              std::string::npos)
        << p.errori;
    EXPECT_FALSE(c.esiste("altrove/archivio.csv"));
}

TEST(CommandDoors, ExportDisarmsFormulasInBothDialectsUnlessAskedRaw) {
    Cartella c(banca());
    const std::string standard = comando(c, {"esporta"}).output;
    EXPECT_NE(standard.find("\r\n3,2026-04-03,\"'=HYPERLINK(\"\"http://x\"\")\",EF456GH,"),
              std::string::npos) << standard;
    EXPECT_NE(standard.find("\r\n4,2026-04-03,Roma,'+AB123,'-Velocità,1173.00,"), std::string::npos);
    EXPECT_NE(standard.find(",'@SUM(A1),Forlì,"), std::string::npos);
    const std::string italiano = comando(c, {"esporta", "--foglio-italiano"}).output;
    EXPECT_NE(italiano.find("\r\n4;03/04/2026;Roma;'+AB123;'-Velocità;1173,00;"), std::string::npos);
    EXPECT_NE(italiano.find(";'@SUM(A1);Forlì;"), std::string::npos);
    EXPECT_NE(italiano.find(";\"'=HYPERLINK(\"\"http://x\"\")\";"), std::string::npos) << italiano;
    const std::string grezzo = comando(c, {"esporta", "--formule-grezze"}).output;
    EXPECT_NE(grezzo.find(",Roma,+AB123,-Velocità,1173.00,"), std::string::npos);
    EXPECT_NE(grezzo.find(",@SUM(A1),Forlì,"), std::string::npos);
}

TEST(CommandDoors, TheSpreadsheetFileReadBackByOpenpyxl) {
    // Debian's own Python, where python3-openpyxl installs the module.
    if (std::system("/usr/bin/python3 -c 'import openpyxl' 2>/dev/null") != 0) {
        std::cout << "[ SKIPPED  ] *** python3-openpyxl is not installed: the xlsx file is not "
                     "read back (apt-get install python3-openpyxl) ***\n";
        GTEST_SKIP();
    }
    Cartella c(banca());
    ASSERT_EQ(comando(c, {"esporta", "--formato", "xlsx", "-o", "archivio.xlsx"}).stato, 0);
    EXPECT_EQ(permessi(c.file("archivio.xlsx")), 0600u);
    c.scrivi("leggi.py",
             "import openpyxl, sys\n"
             "ws = openpyxl.load_workbook(sys.argv[1]).active\n"
             "print(ws.freeze_panes, ws.auto_filter.ref)\n"
             "for riga in ws.iter_rows(min_row=1, max_row=3):\n"
             "    print('|'.join('%s:%s:%s' % (type(x.value).__name__, x.value, x.number_format)\n"
             "                   for x in riga))\n");
    ASSERT_EQ(std::system(("cd '" + c.percorso + "' && /usr/bin/python3 leggi.py archivio.xlsx "
                           "> letto.txt").c_str()),
              0);
    const std::string letto = c.leggi("letto.txt");
    EXPECT_EQ(letto.rfind("A2 A1:R6\nstr:Numero:General|str:Data verbale:General|", 0), 0u) << letto;
    // Row 2: fine 3, owner 2; row 3: fine 4, owner 1.
    for (const char* cella :
         {"\nint:3:General|datetime:2026-04-03 00:00:00:dd/mm/yyyy|str:=HYPERLINK(\"http://x\"):@|"
          "str:EF456GH:@|str:Sosta:@|int:167:#,##0.00 [$€-410]|str:no:@|NoneType:None:General|"
          "int:2:General|str:BIANCHI:@|",
          "|str:VIA PO 1:@|str:Roma:@|str:00184:@|str:RM:@|str:BNCNNA80A41H501U:@|",
          "\nint:4:General|", "|str:+AB123:@|str:-Velocità:@|int:1173:#,##0.00 [$€-410]|",
          "|datetime:1970-03-05 00:00:00:dd/mm/yyyy|str:@SUM(A1):@|str:Forlì:@|str:47121:@|"})
        EXPECT_NE(letto.find(cella), std::string::npos) << cella << "\n" << letto;
}

TEST(CommandDoors, AmountsAndReasonsAsBanksWriteThem) {
    for (const auto& [testo, centesimi] :
         std::vector<std::pair<const char*, int64_t>>{{"42", 4200},
                                                      {"42,5", 4250},
                                                      {"42.50", 4250},
                                                      {"1.173,00", 117300},
                                                      {"1,173.00", 117300},
                                                      {"1.173", 117300},
                                                      {"1 173,00", 117300},
                                                      {"1\xC2\xA0" "173,00", 117300},
                                                      {"1.234.567,89", 123456789},
                                                      {"42,00 \xE2\x82\xAC", 4200},
                                                      {"\xE2\x82\xAC 42,00", 4200},
                                                      {"EUR 1.173,00", 117300},
                                                      {"+42,00", 4200}})
        EXPECT_EQ(leggi_importo_elenco(testo), centesimi) << testo;
    for (const char* sbagliato : {"", "-42,00", "42,", ",50", "42,5050", "1.17,00", "1.173.00,5",
                                  "1,173,00.0", "12.34.56", "quaranta", "42 EUR 42"})
        EXPECT_FALSE(leggi_importo_elenco(sbagliato).has_value()) << sbagliato;
    EXPECT_EQ(numeri_nella_causale("Verbale n. 123 targa AB123CD del 12/03/2026"),
              std::vector<uint32_t>{123});
    EXPECT_EQ(numeri_nella_causale("Pagamento 123 importo 41,00"), std::vector<uint32_t>{123});
    EXPECT_EQ(numeri_nella_causale("Verbali n.6 e n\xC2\xB0 12, rata 2"),
              (std::vector<uint32_t>{6, 12}));
    EXPECT_TRUE(numeri_nella_causale("Bonifico da ROSSI MARIO AB123CD").empty());
    EXPECT_EQ(numeri_nella_causale("VERBALE N. 123/2026 DEL 12/03/2026"), std::vector<uint32_t>{123});
    EXPECT_EQ(numeri_nella_causale("sanzione 45/2025"), std::vector<uint32_t>{45});
}

TEST(CommandDoors, ImportReadsABankListAndReportsEveryRowByItsLine) {
    Cartella c(banca());
    c.scrivi("banca.csv",
             "\xEF\xBB\xBF" "Data valuta;Causale;Importo accreditato\r\n"
             "10/04/2026;Verbale n. 3 targa EF456GH del 03/04/2026;\xE2\x82\xAC 167,00\r\n"
             "\r\n"
             "11/04/2026;\"Pagamento contravvenzione 4; saldo\";1.173,00\r\n"
             "12/04/2026;Verbale n. 5;42,00 \xE2\x82\xAC\r\n"
             "12/04/2026;Bonifico da ROSSI MARIO;42,00\r\n"
             "12/04/2026;Verbali n. 6 e n. 12;84,00\r\n"
             "12/04/2026;Verbale n. 77;1,00\r\n"
             "12/04/2026;Verbale n. 6 Forl\xC3\xAC;42 pi\xC3\xB9 IVA\r\n");
    const std::string corpo =
        "riga 2: registrato il pagamento della contravvenzione n.3 (10/04/2026, 167,00)\n"
        "riga 4: registrato il pagamento della contravvenzione n.4 (11/04/2026, 1173,00)\n"
        "riga 5: registrato il pagamento della contravvenzione n.5 (12/04/2026, 42,00)\n"
        "riga 6: la causale non nomina il numero di una contravvenzione: \"Bonifico da ROSSI "
        "MARIO\"\n"
        "riga 7: la causale nomina piu' contravvenzioni (n.6, n.12)\n"
        "riga 8: la causale nomina il numero 77, che non e' di una contravvenzione\n"
        "riga 9: importo non valido: \"42 pi";
    const Sessione s = comando(c, {"importa-pagamenti", "banca.csv"}, "C.UTF-8");
    EXPECT_EQ(s.output, "Righe lette: 7\nPagamenti registrati: 3\nRighe scartate: 4\n" + corpo +
                            "\xC3\xB9 IVA\"\nArchivio salvato.\n");
    EXPECT_EQ(s.stato, 1);
    // The register's entry: compact, one line a payment, found by fine and plate.
    OPZIONI o;
    o.argomenti = {"registro", "--targa", "+ab123"};
    const std::string storia = esegui_programma(c, "", o).output;
    EXPECT_NE(storia.find("Importazione di 3 pagamenti dal file " +
                          std::filesystem::canonical(c.file("banca.csv")).string() +
                          "\n  Contravvenzione n.3 (targa EF456GH, 167.00 euro), pagata il "
                          "10/04/2026\n  Contravvenzione n.4 (targa +AB123, 1173.00 euro), "
                          "pagata il 11/04/2026\n"),
              std::string::npos)
        << storia;
    // In the C locale a character beyond ASCII is echoed as '?'.
    c.scrivi("banca.csv", "Data valuta,Causale,Importo accreditato\n"
                          "12/04/2026,Verbale n. 6,42 pi\xC3\xB9\n");
    EXPECT_NE(comando(c, {"importa-pagamenti", "--prova", "banca.csv"}).output.find(
                  "riga 2: importo non valido: \"42 pi?\"\n"),
              std::string::npos);
    // Other names, given.
    c.scrivi("altri.csv", "Rif;Quando;Euro\n6;12/04/2026;42\n");
    EXPECT_EQ(comando(c, {"importa-pagamenti", "--prova", "altri.csv"}).stato, 1);
    const Sessione n = comando(c, {"importa-pagamenti", "--prova", "--colonne",
                                   "numero=Rif,data=Quando,importo=Euro", "altri.csv"});
    EXPECT_EQ(n.output, "Righe lette: 1\nPagamenti da registrare: 1\nRighe scartate: 0\nriga 2: "
                        "da registrare il pagamento della contravvenzione n.6 (12/04/2026, "
                        "42,00)\nProva: nessuna modifica all'archivio.\n");
    EXPECT_EQ(n.stato, 0);
}

TEST(CommandDoors, ImportRefusesAFifoAndAnOversizedListAtOnce) {
    Cartella c(banca());
    ASSERT_EQ(mkfifo(c.file("fifo.csv").c_str(), 0600), 0);
    const Sessione f = comando(c, {"importa-pagamenti", "fifo.csv"});
    EXPECT_EQ(f.errori, "sanzionario importa-pagamenti: fifo.csv non e' un file regolare (e' una "
                        "FIFO): l'elenco si legge da un file o dall'ingresso standard (-).\n");
    EXPECT_EQ(f.stato, 1);
    // A gigabyte of zeros (a sparse file: no disk used) is no list, and is
    // not held in memory to find that out.
    const int fd = open(c.file("zeri.csv").c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, off_t{1} << 30), 0);
    close(fd);
    const Sessione z = comando(c, {"importa-pagamenti", "zeri.csv"});
    EXPECT_EQ(z.errori, "sanzionario importa-pagamenti: zeri.csv non e' un elenco di pagamenti: "
                        "la riga 1 ha un campo di piu' di 65536 byte.\n");
    EXPECT_EQ(z.stato, 1);
}

TEST(CommandDoors, RegisterSaysWhenItsPagerCannotStart) {
    Cartella c(banca());
    c.scrivi("p.csv", "Numero,Data pagamento,Importo\n5,2026-04-10,42\n");
    ASSERT_EQ(comando(c, {"importa-pagamenti", "p.csv"}).stato, 0);
    OPZIONI o;
    o.terminale = true;
    o.argomenti = {"registro"};
    o.ambiente = {{"PAGER", "/nonexistent/pager"}};
    const Sessione s = esegui_programma(c, "", o);
    EXPECT_NE(s.output.find("impossibile avviare il programma di paginazione "
                            "\"/nonexistent/pager\" (PAGER): No such file or directory; il testo "
                            "segue senza."),
              std::string::npos)
        << s.output;
    EXPECT_NE(s.output.find("Importazione di 1 pagamento dal file "), std::string::npos);
    EXPECT_EQ(s.stato, 1);
}
