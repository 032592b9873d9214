// The program as a command: options, exit statuses, and the commands that
// export, import and check an archive, each run as a child process.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "support/driver.h"
#include "support/folder.h"
#include "support/notice_codes.h"
#include "support/record_text.h"
#include "support/texts.h"

namespace {

// Two owners and three fines, texts in code page 850 ("Forl\x8D" is
// Forli' with its accent, "velocit\x85" velocita'), a comma and quotes to
// be quoted, a fine without owner.
ARCHIVIO piccolo() {
    ARCHIVIO a;
    a.anagrafica = testo_anagraf({1,
                                  "ROSSI",
                                  "MARIO",
                                  {5, 3, 1970},
                                  "VIA ROMA 10",
                                  "Forl\x8D",
                                  "47121",
                                  "FC",
                                  "RSSMRA70C05F205Z",
                                  "FC1234567A"}) +
                   testo_anagraf({2,
                                  "BIANCHI",
                                  "ANNA",
                                  {1, 1, 1980},
                                  "PIAZZA \"DUOMO\" 1",
                                  "Roma",
                                  "00100",
                                  "RM",
                                  "BNCNNA80A41H501U",
                                  "RM7654321B"});
    a.contravvenzioni =
        testo_contravv({1,
                        {12, 3, 2026},
                        "Milano, via Po",
                        "AB123CD",
                        "Divieto di sosta",
                        41,
                        nullptr,
                        true,
                        {20, 3, 2026}},
                       1) +
        testo_contravv({2, {1, 4, 2026}, "Torino", "XY987ZT", "Eccesso di velocit\x85", 38.5}) +
        testo_contravv({3, {3, 4, 2026}, "Roma", "EF456GH", "Sosta", 167}, 2);
    return a;
}

Sessione comando(const Cartella& c, std::vector<std::string> argomenti) {
    OPZIONI o;
    o.argomenti = std::move(argomenti);
    return esegui_programma(c, "", o);
}

const std::string INTESTAZIONE =
    "Numero,Data verbale,Luogo,Targa,Infrazione,Importo,Pagata,Data pagamento,Codice "
    "proprietario,Cognome,Nome,Data di nascita,Indirizzo,Città,CAP,Provincia,Codice fiscale,"
    "Patente\r\n";
const std::string ROSSI =
    "1,ROSSI,MARIO,1970-03-05,VIA ROMA 10,Forlì,47121,FC,RSSMRA70C05F205Z,FC1234567A";
const std::string BIANCHI =
    "2,BIANCHI,ANNA,1980-01-01,\"PIAZZA \"\"DUOMO\"\" 1\",Roma,00100,RM,BNCNNA80A41H501U,"
    "RM7654321B";

} // namespace

TEST(Commands, OptionsHelpVersionAndUsageErrors) {
    Cartella c(piccolo());
    const Sessione versione = comando(c, {"--version"});
    EXPECT_EQ(versione.output, "sanzionario " SANZIONARIO_VERSIONE_TEST "\n");
    EXPECT_EQ(versione.stato, 0);
    const Sessione aiuto = comando(c, {"--help"});
    EXPECT_EQ(aiuto.output.rfind("Uso: sanzionario [OPZIONE]\n", 0), 0u);
    EXPECT_EQ(aiuto.stato, 0);
    struct CASO {
        std::vector<std::string> argomenti;
        std::string errore;
    };
    for (const CASO& k : std::vector<CASO>{
             {{"--nonsense"},
              "sanzionario: opzione non riconosciuta: --nonsense\nProvare 'sanzionario --help' "
              "per maggiori informazioni.\n"},
             {{"spedisci"},
              "sanzionario: comando sconosciuto: spedisci\nProvare 'sanzionario --help' per "
              "maggiori informazioni.\n"},
             {{"esporta", "-o"},
              "sanzionario esporta: l'opzione -o richiede un valore\nProvare 'sanzionario "
              "esporta --help' per maggiori informazioni.\n"},
             {{"importa-pagamenti"},
              "sanzionario importa-pagamenti: manca il file dei pagamenti\nProvare 'sanzionario "
              "importa-pagamenti --help' per maggiori informazioni.\n"},
             {{"avvisi"},
              "sanzionario avvisi: manca il file da scrivere (-o FILE.pdf)\nProvare 'sanzionario "
              "avvisi --help' per maggiori informazioni.\n"},
             {{"avvisi", "--dal", "31/02/2026", "-o", "a.pdf"},
              "sanzionario avvisi: data non valida: 31/02/2026\nProvare 'sanzionario avvisi "
              "--help' per maggiori informazioni.\n"},
             {{"avvisi", "--contravvenzione", "3x", "-o", "a.pdf"},
              "sanzionario avvisi: numero di contravvenzione non valido: 3x\nProvare 'sanzionario "
              "avvisi --help' per maggiori informazioni.\n"},
             {{"rapporto"},
              "sanzionario rapporto: manca il file da scrivere (-o FILE.pdf)\nProvare 'sanzionario "
              "rapporto --help' per maggiori informazioni.\n"},
             {{"rapporto", "--formato", "xls"},
              "sanzionario rapporto: formato sconosciuto: xls (pdf o csv)\nProvare 'sanzionario "
              "rapporto --help' per maggiori informazioni.\n"},
             {{"rapporto", "--formato", "csv", "--dal", "02/04/2026", "--al", "01/04/2026"},
              "sanzionario rapporto: la data --al precede la data --dal\nProvare 'sanzionario "
              "rapporto --help' per maggiori informazioni.\n"},
             // The database is the command's option, never read before it.
             {{"--database", "dbname=ufficio", "esporta"},
              "sanzionario: --database va indicato dopo il comando: sanzionario esporta "
              "--database ...\nProvare 'sanzionario --help' per maggiori informazioni.\n"},
             {{"esporta", "--database", "dbname=ufficio", "-c", "dati/c.txt"},
              "sanzionario esporta: --database indica l'archivio nel database: non vale insieme "
              "ai file dell'archivio\nProvare 'sanzionario esporta --help' per maggiori "
              "informazioni.\n"},
             {{"registro", "--database", "host=/x port"},
              "sanzionario registro: la stringa di collegamento al database non e' scritta "
              "correttamente\nProvare 'sanzionario registro --help' per maggiori "
              "informazioni.\n"}}) {
        const Sessione s = comando(c, k.argomenti);
        EXPECT_EQ(s.errori, k.errore);
        EXPECT_EQ(s.output, "");
        EXPECT_EQ(s.stato, 2);
    }
}

TEST(Commands, ExportInBothDialectsReadBackByPython) {
    Cartella c(piccolo());
    const Sessione s = comando(c, {"esporta"});
    EXPECT_EQ(s.output, INTESTAZIONE +
                            "1,2026-03-12,\"Milano, via Po\",AB123CD,Divieto di sosta,41.00,sì,"
                            "2026-03-20," +
                            ROSSI + "\r\n" +
                            "2,2026-04-01,Torino,XY987ZT,Eccesso di velocità,38.50,no,,,,,,,,,,,"
                            "\r\n3,2026-04-03,Roma,EF456GH,Sosta,167.00,no,," +
                            BIANCHI + "\r\n");
    EXPECT_EQ(s.stato, 0);
    EXPECT_EQ(s.errori, "");
    // Every field of both dialects as Python's csv module reads it back,
    // one per line, rows apart.
    const std::string leggi_python =
        "import csv, sys\n"
        "with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:\n"
        "    for riga in csv.reader(f, delimiter=sys.argv[2]):\n"
        "        print('\\n'.join(riga) + '\\n--')\n";
    c.scrivi("leggi.py", leggi_python);
    ASSERT_EQ(comando(c, {"esporta", "-o", "standard.csv"}).stato, 0);
    ASSERT_EQ(comando(c, {"esporta", "--foglio-italiano", "--uscita", "italiano.csv"}).stato, 0);
    EXPECT_EQ(c.leggi("italiano.csv").rfind("\xEF\xBB\xBFNumero;Data verbale;", 0), 0u);
    for (const auto& [file, sep, data, importo, pagamento] :
         {std::tuple{"standard.csv", ",", "2026-03-12", "41.00", "2026-03-20"},
          std::tuple{"italiano.csv", ";", "12/03/2026", "41,00", "20/03/2026"}}) {
        SCOPED_TRACE(file);
        const std::string comando_python =
            "cd '" + c.percorso + "' && python3 leggi.py " + file + " '" + sep + "' > letto.txt";
        ASSERT_EQ(std::system(comando_python.c_str()), 0);
        const std::string letto = c.leggi("letto.txt");
        const std::string nascita = std::string(sep) == "," ? "1970-03-05" : "05/03/1970";
        EXPECT_NE(letto.find(std::string("\n--\n1\n") + data +
                             "\nMilano, via Po\nAB123CD\nDivieto di sosta\n" + importo + "\nsì\n" +
                             pagamento + "\n1\nROSSI\nMARIO\n" + nascita +
                             "\nVIA ROMA 10\nForlì\n47121\nFC\nRSSMRA70C05F205Z\nFC1234567A\n--\n"),
                  std::string::npos)
            << letto;
        EXPECT_NE(letto.find("\nEccesso di velocità\n"), std::string::npos);
        EXPECT_NE(letto.find("\nPIAZZA \"DUOMO\" 1\n"), std::string::npos);
    }
}

TEST(Commands, ImportRecordsTheValidRowsAndListsTheOthers) {
    Cartella c(piccolo());
    c.scrivi("pagamenti.csv", "\xEF\xBB\xBFNumero;Data pagamento;Importo\r\n"
                              "3;10/04/2026;167,00\r\n"
                              "1;2026-04-01;41.00\r\n"
                              "2;05/04/2026;38,50\r\n"
                              "9;01/05/2026;1,00\r\n"
                              "3;11/04/2026;167\r\n"
                              "4\x1b[2J;01/05/2026;1\r\n");
    const std::string prima = c.leggi(DATI_C);
    const auto tabella = [](const std::string& fatto) {
        return "Righe scartate: 5\nriga 2: " + fatto +
               " il pagamento della contravvenzione n.3 (10/04/2026, 167,00)\n"
                                "riga 3: la contravvenzione n.1 e' gia' pagata (20/03/2026)\n"
                                "riga 4: la contravvenzione n.2 non ha i dati anagrafici del "
                                "proprietario\n"
                                "riga 5: la contravvenzione n.9 non esiste\n"
                                "riga 6: la contravvenzione n.3 compare gia' alla riga 2\n"
                                "riga 7: numero della contravvenzione non valido: \"4?[2J\"\n";
    };
    const Sessione prova = comando(c, {"importa-pagamenti", "--prova", "pagamenti.csv"});
    EXPECT_EQ(prova.output, "Righe lette: 6\nPagamenti da registrare: 1\n" + tabella("da registrare") +
                                "Prova: nessuna modifica all'archivio.\n");
    EXPECT_EQ(prova.stato, 1);
    EXPECT_EQ(c.leggi(DATI_C), prima);
    const Sessione s = comando(c, {"importa-pagamenti", "pagamenti.csv"});
    EXPECT_EQ(s.output, "Righe lette: 6\nPagamenti registrati: 1\n" + tabella("registrato") +
                            "Archivio salvato.\n");
    EXPECT_EQ(s.stato, 1);
    EXPECT_NE(comando(c, {"esporta"})
                  .output.find("\r\n3,2026-04-03,Roma,EF456GH,Sosta,167.00,sì,"
                               "2026-04-10,"),
              std::string::npos);
    EXPECT_FALSE(c.esiste(DATI_C + ".giornale"));
}

TEST(Commands, ImportMatchesPaymentsByNoticeCode) {
    ARCHIVIO a = piccolo();
    a.contravvenzioni += testo_contravv({4, {5, 4, 2026}, "Forl\x8D", "GH789IJ", "Sosta", 42}, 1) +
                         testo_contravv({5, {6, 4, 2026}, "Roma", "KL012MN", "Sosta", 41.5}, 2);
    Cartella c(a);
    const std::string r3 = codice_avviso_campione(3, true), i4 = codice_avviso_campione(4, false),
                      i5 = codice_avviso_campione(5, false);
    std::string sbagliato = codice_avviso_campione(5, true);
    sbagliato[17] = sbagliato[17] == '9' ? '0' : static_cast<char>(sbagliato[17] + 1);
    // The reduced amount by the column, the full one by the bank's reason.
    c.scrivi("pagopa.csv", "Data pagamento;Importo;Causale;Codice avviso\n"
                           "10/04/2026;116,90;;" + r3 + "\n"
                           "10/04/2026;29,40;;" + i4 + "\n"
                           "11/04/2026;42,00;/RFB/" + i4.substr(0, 9) + " " + i4.substr(9) +
                           "/42.00;\n"
                           "11/04/2026;29,05;;" + sbagliato + "\n"
                           "11/04/2026;40,00;pagoPA " + i5 + ";\n"
                           "11/04/2026;41,50;bonifico verbale 5;\n");
    const Sessione s = comando(c, {"importa-pagamenti", "--ufficio", UFFICIO_CAMPIONE, "pagopa.csv"});
    EXPECT_EQ(s.output,
              "Righe lette: 6\nPagamenti registrati: 3\nRighe scartate: 3\n"
              "riga 2: registrato il pagamento della contravvenzione n.3 con il codice avviso " +
                  r3 +
                  ", importo ridotto 116,90 (la data della notifica non e' nell'archivio: il "
                  "pagamento entro 5 giorni non e' verificato)\n"
              "riga 3: l'importo ridotto 29,40 e' pagato con il codice avviso " + i4 +
                  " dell'importo intero (42,00)\n"
              "riga 4: registrato il pagamento della contravvenzione n.4 con il codice avviso " +
                  i4 + ", importo intero 42,00\n"
              "riga 5: codice avviso non riconosciuto: \"" + sbagliato + "\"\n"
              "riga 6: importo 40,00 diverso da quello del codice avviso " + i5 +
                  " (intero 41,50)\n"
              // No code, but the reason names the fine and the amount is its own.
              "riga 7: registrato il pagamento della contravvenzione n.5 (11/04/2026, 41,50)\n"
              "Archivio salvato.\n");
    EXPECT_EQ(s.errori, "");
    EXPECT_EQ(s.stato, 1);
    const std::string esportato = comando(c, {"esporta"}).output;
    EXPECT_NE(esportato.find("\r\n3,2026-04-03,Roma,EF456GH,Sosta,167.00,sì,2026-04-10,"),
              std::string::npos);
    EXPECT_NE(esportato.find("\r\n4,2026-04-05,Forlì,GH789IJ,Sosta,42.00,sì,2026-04-11,"),
              std::string::npos);
    // The register's entry names each code and amount.
    const std::string registro = c.leggi(DATI_C + ".registro");
    for (const std::string& nota :
         {"pagamento della contravvenzione n.3 con il codice avviso " + r3 + ", importo ridotto 116,90",
          "pagamento della contravvenzione n.4 con il codice avviso " + i4 + ", importo intero 42,00"})
        EXPECT_NE(registro.find(nota), std::string::npos) << nota;
}

TEST(Commands, CheckReportsWhatAnAdministratorMustKnow) {
    ARCHIVIO a = piccolo();
    EXPECT_EQ(comando(Cartella(a), {"controlla"}).stato, 0);
    // A fine naming owner 7, a second owner 2, a paid fine without owner.
    a.anagrafica += testo_anagraf({2,
                                   "VERDI",
                                   "LUCA",
                                   {2, 2, 1990},
                                   "VIA PO 1",
                                   "Roma",
                                   "00100",
                                   "RM",
                                   "VRDLCU90B02H501X",
                                   "RM1111111C"});
    a.contravvenzioni +=
        testo_contravv({4, {3, 4, 2026}, "Roma", "EF456GH", "Sosta", 42}, 7) +
        testo_contravv(
            {5, {3, 4, 2026}, "Roma", "EF456GH", "Sosta", 42, nullptr, true, {4, 4, 2026}});
    Cartella c(a);
    const Sessione s = comando(c, {"controlla"});
    EXPECT_EQ(s.output,
              "Archivio: dati/contravvenzioni.txt, dati/anagrafica.txt\n"
              "Contravvenzioni: 5\nDati anagrafici: 3\n"
              "Contravvenzioni che il programma non legge come scritte: nessuna\n"
              "Dati anagrafici che il programma non legge come scritti: nessuno\n"
              "Contravvenzioni collegate a dati anagrafici mancanti: 1 (la prima: n.4)\n"
              "Numeri di contravvenzione ripetuti: nessuno\n"
              "Codici anagrafici ripetuti: 1 (il primo: 2)\n"
              "Contravvenzioni pagate senza dati anagrafici: 1\n"
              "Giornale di recupero (dati/contravvenzioni.txt.giornale): nessuna modifica in "
              "sospeso\n"
              "Salvataggio interrotto: no\n"
              "Registro delle modifiche: assente\n"
              "Esito: 3 problemi trovati.\n");
    EXPECT_EQ(s.stato, 1);
}

TEST(Commands, AHeldArchiveIsReadWithItsHoldersConfirmedWorkAndOnlyTheImportIsRefused) {
    Cartella c(piccolo());
    c.scrivi("pagamenti.csv", "Numero,Data pagamento,Importo\n3,2026-04-10,167\n");
    Programma sessione(c.percorso);
    ASSERT_TRUE(sessione.digita("5\n\n\n\n1\n2\n01/02/2026\nRoma\nzz999zz\nSosta\n50\nn\n",
                                "Contravvenzione n.4 inserita correttamente."));
    const auto su_disco = c.contenuto();
    const std::string tenuto =
        ": l'archivio e' in uso in un'altra sessione" + testi::chi_tiene(sessione.pid);
    const std::string letto =
        tenuto + ": i dati comprendono le sue modifiche confermate e non ancora salvate.\n";
    const std::string rifiutato = ": L'archivio e' gia' in uso in un'altra sessione" +
                                  testi::chi_tiene(sessione.pid) +
                                  ".\nChiudere l'altra sessione e riprovare.\n";
    const struct {
        std::vector<std::string> argomenti;
        std::string errori;
        int stato;
        std::string nell_uscita; // the holder's unsaved fine, as each shows it
    } casi[] = {
        {{"esporta"}, "sanzionario esporta" + letto, 0, "\r\n4,2026-02-01,Roma,ZZ999ZZ,Sosta,"},
        {{"controlla"},
         "sanzionario controlla" + letto,
         0,
         "1 modifiche confermate della sessione in corso"},
        {{"registro"},
         "sanzionario registro" + tenuto +
             ": il registro comprende le sue operazioni confermate.\n",
         0,
         "ZZ999ZZ"},
        // The notices and the report of a held archive include its unsaved fine 4.
        {{"avvisi", "--ufficio", UFFICIO_CAMPIONE, "-o", "-"},
         "sanzionario avvisi" + letto +
             "sanzionario avvisi: la contravvenzione n.2 non ha i dati anagrafici del "
             "proprietario.\nsanzionario avvisi: la contravvenzione n.4 non ha i dati "
             "anagrafici del proprietario.\n",
         0,
         "%PDF-"},
        {{"rapporto", "--formato", "csv"}, "sanzionario rapporto" + letto, 0,
         "\r\nMese,2026-02,1,0,50.00,0.00,50.00\r\n"},
        {{"importa-pagamenti", "--prova", "pagamenti.csv"},
         "sanzionario importa-pagamenti" + rifiutato,
         1,
         ""},
        {{"importa-pagamenti", "pagamenti.csv"},
         "sanzionario importa-pagamenti" + rifiutato,
         1,
         ""},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.argomenti.front() + " " + caso.argomenti.back());
        const Sessione s = comando(c, caso.argomenti);
        EXPECT_EQ(s.errori, caso.errori);
        EXPECT_EQ(s.stato, caso.stato);
        EXPECT_NE(s.output.find(caso.nell_uscita), std::string::npos) << s.output;
        EXPECT_EQ(c.contenuto(), su_disco) << "a reader writes nothing";
    }
}

TEST(Commands, AnArchiveReachedThroughALinkIsTheArchiveItselfForEveryCommand) {
    Cartella c(piccolo());
    c.scrivi("pagamenti.csv", "Numero,Data pagamento,Importo\n3,2026-04-10,167\n");
    // A session that ended without saving: its journal beside the real fines file.
    Programma p(c.percorso);
    ASSERT_TRUE(p.digita("5\n\n\n\n1\n2\n01/02/2026\nRoma\nzz999zz\nSosta\n50\nn\n",
                         "Contravvenzione n.4 inserita correttamente."));
    p.uccidi(SIGKILL);
    std::filesystem::create_directory(c.file("altrove"));
    std::filesystem::create_symlink("../dati/contravvenzioni.txt", c.file("altrove/c.txt"));
    const Sessione k = comando(c, {"controlla", "-c", "altrove/c.txt"});
    EXPECT_NE(k.output.find("1 modifiche non salvate di una sessione interrotta"),
              std::string::npos)
        << k.output;
    EXPECT_EQ(k.stato, 1);
    // The trial and the import take the same decision, in the same words.
    const Sessione prova =
        comando(c, {"importa-pagamenti", "--prova", "-c", "altrove/c.txt", "pagamenti.csv"});
    const Sessione vera = comando(c, {"importa-pagamenti", "-c", "altrove/c.txt", "pagamenti.csv"});
    EXPECT_NE(prova.errori.find("di una sessione interrotta"), std::string::npos) << prova.errori;
    EXPECT_EQ(prova.errori, vera.errori);
    EXPECT_EQ(prova.output, vera.output);
    EXPECT_EQ(prova.stato, 1);
    EXPECT_EQ(vera.stato, 1);
    // One file given for both is refused as such, naming no process.
    const Sessione stesso = comando(c, {"controlla", "-a", "altrove/c.txt"});
    EXPECT_EQ(stesso.errori, "sanzionario controlla: dati/contravvenzioni.txt e altrove/c.txt sono "
                             "lo stesso file: le contravvenzioni e i dati anagrafici sono in due "
                             "file diversi.\n");
    EXPECT_EQ(stesso.stato, 1);
}
