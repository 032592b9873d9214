// Loading: what the reader tolerates in a file, and the load dialogue.
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "session/dialogs.h"
#include "storage/archive_files.h"
#include "storage/file_read.h"
#include "storage/list_load.h"
#include "storage_fixture.h"

namespace {

using namespace prova_archivio;

const std::string TITOLO = "\n CARICA DA FILE\n_________________\n\n";
const std::string DOMANDA_C = "Inserire il nome del file contenente i dati delle contravvenzioni:\n"
                              "(premere INVIO per caricare il file di default)\n>";
const std::string DOMANDA_A = "\n\nInserisci il nome del file contenente i dati anagrafici:\n"
                              "(premere INVIO per caricare il file di default)\n>";
const std::string TROPPO_LUNGO =
    "Il percorso inserito e' troppo lungo (al massimo 127 caratteri), prego riprovare\n>";
const std::string CARICATO = "\n\nCaricamento avvenuto correttamente.\n\n" + PAUSA;
const std::string ERRORE_APERTURA =
    "\n\n\n ! ATTENZIONE\n\nErrore nell'apertura dei file\nVerificare il percorso o il nome "
    "dei file e assicurarsi di avere i permessi per accedere ad essi\n\n" +
    PAUSA;
const std::string MEMORIA = "\n\nATTENZIONE: Memoria disponibile insufficiente.\n\n"
                            "I dati non sono stati caricati correttamente\n\n" +
                            PAUSA;

// One fine record of the fines file, with the given owner and amount lines.
std::string contravv(const std::string& numero, const std::string& proprietario,
                     const std::string& importo) {
    return record_contravv({numero, "01/04/2008 Roma", "AA111AA", "Sosta", proprietario, importo});
}

using LoadArchive = AmbienteArchivio;

TEST_F(LoadArchive, CrlfFilesLoadLikeLineFeedFiles) {
    scrivi_file("c.txt", esempio_contravvenzioni());
    scrivi_file("a.txt", esempio_anagrafica());
    ASSERT_EQ(carica_archivio("c.txt", "a.txt"), 0);
    const std::string a = descrivi(*lista_anagraf->next), c = descrivi(*lista_contravv);
    scrivi_file("c.txt", esempio_contravvenzioni("\r\n"));
    scrivi_file("a.txt", esempio_anagrafica("\r\n"));
    ASSERT_EQ(carica_archivio("c.txt", "a.txt"), 0);
    EXPECT_EQ(descrivi(*lista_anagraf->next), a);
    EXPECT_EQ(descrivi(*lista_contravv), c);
    EXPECT_EQ(conta(lista_contravv), 2);
}

TEST_F(LoadArchive, EmptyLinesAtTheEndMakeNoRecordButARecordWithContentIsKept) {
    scrivi_file("c.txt", esempio_contravvenzioni() + "\n3\n05/05/2008 Pisa");
    scrivi_file("a.txt", esempio_anagrafica() + "\n\n\n");
    ASSERT_EQ(carica_archivio("c.txt", "a.txt"), 0);
    EXPECT_EQ(conta(lista_anagraf), 2);
    ASSERT_EQ(conta(lista_contravv), 3);
    EXPECT_EQ(descrivi(*lista_contravv->next->next),
              "3|5/5/2008|Pisa|||0.0000|no owner|unpaid 0/0/0");
}

TEST_F(LoadArchive, LongLinesAreReadWholeAndCutToTheirFields) {
    const std::string lungo = riga('x', 200);
    scrivi_file("c.txt", "\n1\n01/04/2008 " + lungo + "\n" + lungo + "\n" + lungo + "\n* 1\n" +
                             riga(' ', 10) + "41.00 * 20/03/2008" + lungo + "\n" + lungo + "\n");
    scrivi_file("a.txt", "\n1\nROSSI" + riga(' ', 26) + " " + lungo + "\n05/03/1970\n" + lungo +
                             "\n" + lungo + "\n" + lungo + "\n" + lungo + "\n");
    ASSERT_EQ(carica_archivio("c.txt", "a.txt"), 0);
    EXPECT_EQ(descrivi(*lista_contravv), "1|1/4/2008|" + riga('x', 63) + "|" + riga('x', 7) + "|" +
                                             riga('x', 127) + "|41.0000|owner 1|paid 20/3/2008");
    EXPECT_EQ(descrivi(*lista_anagraf), "1|ROSSI|" + riga('x', 31) + "|5/3/1970|" + riga('x', 31) +
                                            "|" + riga('x', 31) + "|xxxxx|xx|" + riga('x', 17) +
                                            "|" + riga('x', 10));
}

// An owner record of the owners file with the given code.
std::string anagraf(const std::string& codice) {
    return record_anagraf({codice, "ROSSI" + riga(' ', 26) + " MARIO", "05/03/1970", "", "", ""});
}

TEST_F(LoadArchive, FinesLinkToTheFirstOwnerWithTheirCodeAndKeepThePaidMark) {
    // Codes as this system gives them (a table by code finds them), and
    // codes far apart (a sorted index does).
    for (const std::string alto : {"2", "4000000000"}) {
        scrivi_file("a.txt", anagraf("1") + anagraf(alto) + anagraf("1") + anagraf(alto));
        scrivi_file("c.txt", contravv("1", "* " + alto, riga(' ', 10) + "41.00 - ") +
                                 contravv("2", "* 9", riga(' ', 10) + "41.00 * 02/04/2008") +
                                 contravv("3", "", "") + contravv("4", "*", "") +
                                 contravv("5", "* 1", ""));
        ASSERT_EQ(carica_archivio("c.txt", "a.txt"), 0);
        ASSERT_EQ(conta(lista_anagraf), 4);
        const NODO_CONTRAVV* c = lista_contravv;
        EXPECT_EQ(c->anagraf, lista_anagraf->next) << alto;
        EXPECT_TRUE(c->con_anagraf);
        EXPECT_EQ(descrivi(*c->next),
                  "2|1/4/2008|Roma|AA111AA|Sosta|41.0000|no owner|paid 2/4/2008");
        EXPECT_FALSE(c->next->next->con_anagraf);
        EXPECT_FALSE(c->next->next->next->con_anagraf);
        EXPECT_EQ(c->next->next->next->next->anagraf, lista_anagraf) << alto;
    }
}

TEST_F(LoadArchive, TellsWhetherFineNumbersAndOwnerCodesCanNameTwoRecords) {
    struct CASO {
        std::vector<std::string> numeri; // of the fines, in file order
        std::vector<std::string> codici; // of the owners
        bool numeri_unici;
        bool codici_unici;
    };
    const CASO casi[] = {
        {{}, {}, true, true},
        {{"1", "2", "7"}, {"1", "2", "3"}, true, true},
        {{"1", "3", "2"}, {"3", "1", "2"}, false, true}, // unique, but not rising
        {{"1", "1"}, {"1", "2", "1"}, false, false},
        {{"5"}, {"7", "4000000000"}, true, true},
        {{"5"}, {"4000000000", "7", "4000000000"}, true, false},
    };
    for (const CASO& caso : casi) {
        std::string c, a;
        for (const std::string& n : caso.numeri) c += contravv(n, "- ", "");
        for (const std::string& n : caso.codici) a += anagraf(n);
        scrivi_file("c.txt", c);
        scrivi_file("a.txt", a);
        const int fd_c = apri_file_dati("c.txt"), fd_a = apri_file_dati("a.txt");
        LISTE_LETTE lette;
        ASSERT_EQ(leggi_liste(fd_c, fd_a, lette), 0);
        EXPECT_EQ(lette.numeri_unici, caso.numeri_unici) << c;
        EXPECT_EQ(lette.codici_unici, caso.codici_unici) << a;
        libera_lista(lette.contravv);
        libera_lista(lette.anagraf);
        chiudi_file_dati(fd_c);
        chiudi_file_dati(fd_a);
    }
}

TEST_F(LoadArchive, AFileThatCannotBeReadLeavesTheListsAsTheyWere) {
    NODO_ANAGRAF* a = aggiungi_anagraf(1, "ROSSI", "MARIO", {1, 1, 1970}, "", "", "", "", "", "");
    NODO_CONTRAVV* c = aggiungi_contravv(1, {1, 1, 2008}, "Roma", "AA111AA", "Sosta", 10, a);
    scrivi_file("c.txt", esempio_contravvenzioni());
    scrivi_file("a.txt", esempio_anagrafica());
    EXPECT_EQ(carica_archivio("c.txt", "manca.txt"), 1);
    EXPECT_EQ(carica_archivio("manca.txt", "a.txt"), 1);
    EXPECT_EQ(carica_archivio("dati", "a.txt"), 1);
    EXPECT_EQ(carica_archivio("c.txt", "dati"), 1);
    EXPECT_EQ(lista_anagraf, a);
    EXPECT_EQ(lista_contravv, c);
    EXPECT_EQ(conta(lista_contravv), 1);
}

using LoadDialog = AmbienteArchivio;

TEST_F(LoadDialog, EnterAtBothQuestionsLoadsTheDefaultFiles) {
    scrivi_file("dati/contravvenzioni.txt", esempio_contravvenzioni());
    scrivi_file("dati/anagrafica.txt", esempio_anagrafica());
    digita("\n\n\n");
    EXPECT_EQ(carica(), 0);
    EXPECT_EQ(stampato(), TITOLO + DOMANDA_C + DOMANDA_A + CARICATO);
    EXPECT_STREQ(nome_file_c, "dati/contravvenzioni.txt");
    EXPECT_STREQ(nome_file_a, "dati/anagrafica.txt");
    EXPECT_EQ(conta(lista_contravv), 2);
}

TEST_F(LoadDialog, TypedPathsAreLoadedAndReplaceTheLists) {
    aggiungi_anagraf(5, "VERDI", "LUCA", {1, 1, 1970}, "", "", "", "", "", "");
    scrivi_file("c.txt", esempio_contravvenzioni());
    scrivi_file("a.txt", esempio_anagrafica());
    scrivi_file("vuoto_c.txt", "");
    scrivi_file("vuoto_a.txt", "");
    digita("c.txt\na.txt\n\n");
    EXPECT_EQ(carica(), 0);
    EXPECT_STREQ(nome_file_c, "c.txt");
    EXPECT_STREQ(nome_file_a, "a.txt");
    EXPECT_EQ(conta(lista_anagraf), 2);
    EXPECT_EQ(lista_anagraf->codice, 1u);
    digita("vuoto_c.txt\nvuoto_a.txt\n\n"); // two empty files: two empty lists
    EXPECT_EQ(carica(), 0);
    EXPECT_EQ(lista_anagraf, nullptr);
    EXPECT_EQ(lista_contravv, nullptr);
}

TEST_F(LoadDialog, OpenErrorLoadsNothingAndKeepsListsAndPaths) {
    NODO_ANAGRAF* a = aggiungi_anagraf(1, "ROSSI", "MARIO", {1, 1, 1970}, "", "", "", "", "", "");
    copia_campo(nome_file_c, "vecchio_c.txt");
    copia_campo(nome_file_a, "vecchio_a.txt");
    scrivi_file("dati/contravvenzioni.txt", esempio_contravvenzioni());
    // Owners file missing; a folder; fines file missing; a FIFO, never waited
    // on. No lock file is left.
    ASSERT_EQ(mkfifo("fifo.txt", 0600), 0);
    for (const char* risposte : {"\n\n\n", "dati\n\n\n", "manca.txt\n\n\n", "fifo.txt\n\n\n"}) {
        digita(risposte);
        EXPECT_EQ(carica(), 1);
        EXPECT_EQ(stampato(), TITOLO + DOMANDA_C + DOMANDA_A + ERRORE_APERTURA);
        EXPECT_EQ(lista_anagraf, a);
        EXPECT_EQ(lista_contravv, nullptr);
        EXPECT_STREQ(nome_file_c, "vecchio_c.txt");
        EXPECT_STREQ(nome_file_a, "vecchio_a.txt");
        for (const char* blocco : {"dati/contravvenzioni.txt.blocco", "dati.blocco",
                                   "manca.txt.blocco", "fifo.txt.blocco"})
            EXPECT_NE(access(blocco, F_OK), 0) << blocco;
    }
}

TEST_F(LoadDialog, APathLongerThan127CharactersIsRefusedAndAskedAgain) {
    const std::string nome127 = riga('c', 127);
    scrivi_file(nome127, "");
    scrivi_file("dati/anagrafica.txt", "");
    digita(riga('c', 128) + "\n" + nome127 + "\n\n\n");
    EXPECT_EQ(carica(), 0);
    EXPECT_EQ(stampato(), TITOLO + DOMANDA_C + TROPPO_LUNGO + DOMANDA_A + CARICATO);
    EXPECT_EQ(nome_file_c, nome127);
}

TEST_F(LoadDialog, MemoryRunningOutAtAnyRecordKeepsTheOldLists) {
    NODO_ANAGRAF* a = aggiungi_anagraf(9, "VERDI", "LUCA", {1, 1, 1970}, "", "", "", "", "", "");
    NODO_CONTRAVV* c = aggiungi_contravv(9, {1, 1, 2008}, "Roma", "AA111AA", "Sosta", 10, a);
    const std::string prima = descrivi(*a) + descrivi(*c);
    scrivi_file("dati/contravvenzioni.txt", esempio_contravvenzioni());
    scrivi_file("dati/anagrafica.txt", esempio_anagrafica());
    for (long n = 1; n <= 4; ++n) { // two owners and two fines to allocate
        guasto_allocazione(n);
        digita("\n\n\n");
        EXPECT_EQ(carica(), -1) << n;
        EXPECT_EQ(stampato(), TITOLO + DOMANDA_C + DOMANDA_A + MEMORIA);
        ASSERT_EQ(lista_anagraf, a);
        ASSERT_EQ(lista_contravv, c);
        EXPECT_EQ(a->next, nullptr);
        EXPECT_EQ(c->next, nullptr);
        EXPECT_EQ(descrivi(*a) + descrivi(*c), prima);
        EXPECT_STREQ(nome_file_c, "");
    }
    guasto_allocazione(5);
    digita("\n\n\n");
    EXPECT_EQ(carica(), 0);
    EXPECT_EQ(conta(lista_contravv), 2);
}

} // namespace

// Files that are not what their question asks for: the owners file given
// as the fines file and the other way round, eight hundred empty lines, a
// text. Each is named with its count of records off and the first one's
// line; "n" loads nothing, "s" loads it as the reader takes it.
TEST_F(LoadDialog, AFileOfTheWrongKindIsLoadedOnlyWhenTheClerkSaysSo) {
    auto forma = [](const std::string& file, const char* tipo, const std::string& conti) {
        return "\n\n ! ATTENZIONE\n\nIl file " + file + "\nnon sembra un file " + tipo + ": " +
               conti + " la forma attesa\n(il primo alla riga 1).\nCaricarlo comunque? (s/n) ";
    };
    const std::string DELLE_MULTE = "delle contravvenzioni", DEI_DATI = "dei dati anagrafici";
    NODO_ANAGRAF* a = aggiungi_anagraf(1, "ROSSI", "MARIO", {1, 1, 1970}, "", "", "", "", "", "");
    scrivi_file("c.txt", esempio_contravvenzioni());
    scrivi_file("a.txt", esempio_anagrafica());
    scrivi_file("vuote.txt", std::string(800, '\n'));
    scrivi_file("testo.txt", "Caro collega,\nti mando l'elenco delle multe.\n");

    digita("a.txt\nc.txt\nn\n\n");
    EXPECT_EQ(carica(), 1);
    EXPECT_EQ(stampato(), TITOLO + DOMANDA_C + DOMANDA_A +
                              forma("a.txt", DELLE_MULTE.c_str(), "2 record su 2 non hanno") +
                              testi::NULLA_CARICATO);
    EXPECT_EQ(lista_anagraf, a) << "nothing loaded";

    digita("a.txt\nc.txt\ns\nn\n\n");
    EXPECT_EQ(carica(), 1);
    EXPECT_EQ(stampato(), TITOLO + DOMANDA_C + DOMANDA_A +
                              forma("a.txt", DELLE_MULTE.c_str(), "2 record su 2 non hanno") +
                              forma("c.txt", DEI_DATI.c_str(), "2 record su 2 non hanno") +
                              testi::NULLA_CARICATO);
    EXPECT_EQ(lista_anagraf, a);

    digita("vuote.txt\ntesto.txt\ns\ns\n\n");
    EXPECT_EQ(carica(), 0);
    EXPECT_EQ(stampato(),
              TITOLO + DOMANDA_C + DOMANDA_A +
                  forma("vuote.txt", DELLE_MULTE.c_str(), "100 record su 100 non hanno") +
                  forma("testo.txt", DEI_DATI.c_str(), "1 record su 1 non ha") + CARICATO);
    EXPECT_EQ(conta(lista_contravv), 100);
}
