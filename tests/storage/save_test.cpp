// Saving: all-or-nothing replacement of the data files, and the save dialogue.
#include <csignal>
#include <sys/resource.h>

#include "session/dialogs.h"
#include "storage/archive_files.h"
#include "storage/atomic_write.h"
#include "storage/put_in_place.h"
#include "storage_fixture.h"

namespace {

using namespace prova_archivio;

const std::string MENU = "\n SALVA\n_________\n\n[1] Salva  \n[2] Salva con nome...   \n"
                         "[3] Non salvare\n\n>";
const std::string DOMANDA_C = "Inserire il percorso in cui salvare i dati delle contravvenzioni:\n"
                              "(premere INVIO per salvare nel file di default)\n>";
const std::string DOMANDA_A = "\n\nInserisci il percorso in cui salvare i dati anagrafici:\n"
                              "(premere INVIO per salvare nel file di default)\n>";
const std::string TROPPO_LUNGO =
    "Il percorso inserito e' troppo lungo (al massimo 127 caratteri), prego riprovare\n>";
const std::string SALVATO = "\n\nSalvataggio avvenuto correttamente.\n\n" + PAUSA;
const std::string ERRORE = "\n\n\n ! ATTENZIONE\n\nErrore durante il salvataggio dei file\n"
                           "Verificare il percorso o il nome dei file e assicurarsi di avere i "
                           "permessi per accedere ad essi\n\n" +
                           PAUSA;

// The worked examples in memory, and old contents in c.txt and a.txt.
class SaveArchive : public AmbienteArchivio {
  protected:
    void SetUp() override {
        AmbienteArchivio::SetUp();
        scrivi_file("c.txt", esempio_contravvenzioni());
        scrivi_file("a.txt", esempio_anagrafica());
        ASSERT_EQ(carica_archivio("c.txt", "a.txt"), 0);
        scrivi_file("c.txt", "VECCHIO C");
        scrivi_file("a.txt", "VECCHIO A");
    }
    static void invariati() {
        EXPECT_EQ(leggi_file("c.txt"), "VECCHIO C");
        EXPECT_EQ(leggi_file("a.txt"), "VECCHIO A");
        EXPECT_EQ(temporanei("."), 0);
        EXPECT_EQ(temporanei("dati"), 0);
    }
};

TEST_F(SaveArchive, EmptyListsGiveZeroByteFiles) {
    libera_liste();
    ASSERT_TRUE(scrivi_archivio("c.txt", "a.txt"));
    EXPECT_EQ(leggi_file("c.txt"), "");
    EXPECT_EQ(leggi_file("a.txt"), "");
}

TEST_F(SaveArchive, WhenEitherFileCannotBeWrittenNeitherChanges) {
    const std::pair<const char*, const char*> casi[] = {
        {"c.txt", "manca/a.txt"}, {"manca/c.txt", "a.txt"}, {"dati", "a.txt"},
        {"c.txt", "dati"},        {"c.txt", "dati/"},       {"", "a.txt"}};
    for (const auto& [c, a] : casi) {
        EXPECT_FALSE(scrivi_archivio(c, a)) << c << " " << a;
        invariati();
    }
}

TEST_F(SaveArchive, AReadOnlyFolderChangesNothing) {
    if (geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
    fs::create_directory("ro");
    scrivi_file("ro/a.txt", "VECCHIO A");
    fs::permissions("ro", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(scrivi_archivio("c.txt", "ro/a.txt"));
    EXPECT_EQ(leggi_file("ro/a.txt"), "VECCHIO A");
    invariati();
}

TEST_F(SaveArchive, AFailedWriteChangesNothingAndLeavesNoTemporaryFile) {
    // A file size limit makes writes fail midway, as a full disk would.
    const auto gestore = std::signal(SIGXFSZ, SIG_IGN);
    rlimit prima{};
    getrlimit(RLIMIT_FSIZE, &prima);
    rlimit stretto = prima;
    stretto.rlim_cur = 300;
    setrlimit(RLIMIT_FSIZE, &stretto);
    const bool scritto = scrivi_archivio("c.txt", "a.txt");
    setrlimit(RLIMIT_FSIZE, &prima);
    std::signal(SIGXFSZ, gestore);
    EXPECT_FALSE(scritto);
    invariati();
}

TEST_F(SaveArchive, NewFilesAreOwnerOnlyAndReplacedOnesKeepOnlyOwnerAndGroupBits) {
    fs::permissions("a.txt", fs::perms(0664));
    ASSERT_TRUE(scrivi_archivio("dati/nuovo.txt", "a.txt"));
    EXPECT_EQ(permessi("dati/nuovo.txt"), 0600u);
    EXPECT_EQ(permessi("a.txt"), 0660u) << "a group of clerks may share it; nobody else";
    EXPECT_EQ(leggi_file("a.txt"), esempio_anagrafica());
}

TEST_F(SaveArchive, EachSaveKeepsTheFilesItReplacesAsBackups) {
    fs::permissions("a.txt", fs::perms(0644));
    ASSERT_TRUE(scrivi_archivio("c.txt", "a.txt"));
    EXPECT_EQ(leggi_file("c.txt.bak"), "VECCHIO C");
    EXPECT_EQ(leggi_file("a.txt.bak"), "VECCHIO A");
    EXPECT_EQ(permessi("a.txt.bak"), 0640u) << "the data file's permissions, none for others";
    ASSERT_TRUE(scrivi_archivio("c.txt", "dati/nuovo.txt"));
    EXPECT_EQ(leggi_file("c.txt.bak"), esempio_contravvenzioni()) << "the version just replaced";
    EXPECT_FALSE(fs::exists("dati/nuovo.txt.bak")) << "a new file replaces nothing";
}

TEST_F(SaveArchive, WhenTheSecondFileCannotBePutInPlaceTheFirstGoesBack) {
    scrivi_file("nuovo_x", "NUOVO X");
    scrivi_file("nuovo_a", "NUOVO A");
    scrivi_file("a.txt.bak", "COPIA A");
    // The third temporary file has gone: its rename fails after the first two,
    // one of which made a new file.
    const RINOMINE rinomine{{"nuovo_x", "x.txt"}, {"nuovo_a", "a.txt"}, {"nuovo_c", "c.txt"}};
    ESITO_POSTO esito;
    EXPECT_FALSE(metti_al_posto(rinomine, esito));
    EXPECT_TRUE(esito.rimasti_nuovi.empty());
    EXPECT_EQ(leggi_file("a.txt"), "VECCHIO A");
    EXPECT_EQ(leggi_file("c.txt"), "VECCHIO C");
    EXPECT_FALSE(fs::exists("x.txt"));
    EXPECT_EQ(leggi_file("a.txt.bak"), "COPIA A") << "the previous backups stay as they were";
    EXPECT_FALSE(fs::exists("c.txt.bak"));
    EXPECT_EQ(temporanei("."), 0);
}

TEST_F(SaveArchive, SymbolicLinksAreFollowedToTheirFiles) {
    fs::create_directory("vero");
    scrivi_file("vero/c.txt", "VECCHIO");
    fs::create_symlink("../vero/c.txt", "dati/c.txt");
    fs::create_symlink("vero/a.txt", "a_link.txt"); // its file does not exist yet
    ASSERT_TRUE(scrivi_archivio("dati/c.txt", "a_link.txt"));
    EXPECT_TRUE(fs::is_symlink("dati/c.txt"));
    EXPECT_TRUE(fs::is_symlink("a_link.txt"));
    EXPECT_EQ(leggi_file("vero/c.txt"), esempio_contravvenzioni());
    EXPECT_EQ(leggi_file("vero/a.txt"), esempio_anagrafica());
}

TEST_F(SaveArchive, TemporaryFilesLeftByACrashGoAtTheNextSaveUnderTheLockOnly) {
    const char* avanzi[] = {"dati/.anagrafica.txt.tmp-abc123",
                            "dati/.contravvenzioni.txt.tmp-ZZ9zz9",
                            "dati/anagrafica.txt.bak-Qq1234"};
    const char* altri[] = {"dati/.anagrafica.txt.tmp-abc12", "dati/.altro.txt.tmp-abc123",
                           "dati/anagrafica.txt.tmp-abc123"};
    for (const char* p : avanzi) scrivi_file(p, "x");
    for (const char* p : altri) scrivi_file(p, "x");
    // Without the archive's lock they may be another program's save under way.
    ASSERT_TRUE(scrivi_archivio("dati/contravvenzioni.txt", "dati/anagrafica.txt"));
    for (const char* p : avanzi) EXPECT_TRUE(fs::exists(p)) << p;
    togli_avanzi("dati/contravvenzioni.txt");
    togli_avanzi("dati/anagrafica.txt");
    for (const char* p : avanzi) EXPECT_FALSE(fs::exists(p)) << p;
    for (const char* p : altri) EXPECT_TRUE(fs::exists(p)) << p;
}

// Current paths c.txt and a.txt, the examples in memory, old contents on disk.
class SaveDialog : public SaveArchive {
  protected:
    void SetUp() override {
        SaveArchive::SetUp();
        copia_campo(nome_file_c, "c.txt");
        copia_campo(nome_file_a, "a.txt");
    }
};

TEST_F(SaveDialog, NotSavingWritesNothingAndPrintsNothingMore) {
    digita("9\n3\n");
    EXPECT_EQ(salva(), -1);
    EXPECT_EQ(stampato(), MENU + ">");
    invariati();
}

TEST_F(SaveDialog, SaveWritesTheCurrentFiles) {
    digita("1\n\n");
    EXPECT_EQ(salva(), 0);
    EXPECT_EQ(stampato(), MENU + SALVATO);
    EXPECT_EQ(leggi_file("c.txt"), esempio_contravvenzioni());
    EXPECT_EQ(leggi_file("a.txt"), esempio_anagrafica());
}

TEST_F(SaveDialog, SaveAsWithEnterWritesTheDefaultsAndMakesThemCurrent) {
    digita("2\n\n\n\n");
    EXPECT_EQ(salva(), 0);
    EXPECT_EQ(stampato(), MENU + DOMANDA_C + DOMANDA_A + SALVATO);
    EXPECT_STREQ(nome_file_c, "dati/contravvenzioni.txt");
    EXPECT_STREQ(nome_file_a, "dati/anagrafica.txt");
    EXPECT_EQ(leggi_file("dati/contravvenzioni.txt"), esempio_contravvenzioni());
    EXPECT_EQ(leggi_file("dati/anagrafica.txt"), esempio_anagrafica());
}

TEST_F(SaveDialog, SaveAsRefusesOverlongPathsAndTakesTypedOnes) {
    digita("2\n" + riga('p', 128) + "\ndati/c2.txt\ndati/a2.txt\n\n");
    EXPECT_EQ(salva(), 0);
    EXPECT_EQ(stampato(), MENU + DOMANDA_C + TROPPO_LUNGO + DOMANDA_A + SALVATO);
    EXPECT_STREQ(nome_file_c, "dati/c2.txt");
    EXPECT_EQ(leggi_file("dati/a2.txt"), esempio_anagrafica());
}

TEST_F(SaveDialog, SaveAsRefusesTwoNamesForOneFile) {
    const std::string STESSO = "\n\nI due percorsi indicano lo stesso file: le contravvenzioni e "
                               "i dati anagrafici\nvanno salvati in due file diversi, prego "
                               "riprovare\n\n";
    fs::create_symlink("a.txt", "link_a.txt");
    // The same new name twice, an existing file by two spellings, a link and its file.
    digita("2\nnuovo.txt\nnuovo.txt\nc.txt\n./c.txt\nlink_a.txt\na.txt\nc.txt\na.txt\n\n");
    EXPECT_EQ(salva(), 0);
    EXPECT_EQ(stampato(), MENU + DOMANDA_C + DOMANDA_A + STESSO + DOMANDA_C + DOMANDA_A + STESSO +
                              DOMANDA_C + DOMANDA_A + STESSO + DOMANDA_C + DOMANDA_A + SALVATO);
    EXPECT_FALSE(fs::exists("nuovo.txt"));
    EXPECT_EQ(leggi_file("c.txt"), esempio_contravvenzioni());
    EXPECT_EQ(leggi_file("a.txt"), esempio_anagrafica());
}

TEST_F(SaveDialog, OneExtraCharacterAfterTheChoiceLeavesAnEmptyFirstAnswer) {
    digita("2x\na2.txt\n\n");
    EXPECT_EQ(salva(), 0);
    EXPECT_STREQ(nome_file_c, "dati/contravvenzioni.txt");
    EXPECT_STREQ(nome_file_a, "a2.txt");
}

TEST_F(SaveDialog, ARecordItsFileCannotHoldFailsTheSaveByNameAndChangesNothing) {
    const auto rifiuto = [](const std::string& chi, const std::string& perche) {
        return MENU + "\n\n\n ! ATTENZIONE\n\n" + chi + ":\n" + perche +
               " non entra nelle sue colonne del file.\nCorregger" + (chi[0] == 'L' ? "la" : "li") +
               " e salvare di nuovo: i file non sono stati modificati.\n\n" + PAUSA;
    };
    // A paid fine of 13 integer digits, loaded anyway: in 16 columns its
    // payment mark would move, and the next load would find it unpaid.
    lista_contravv->importo = 1234567890123.0;
    digita("1\n\n");
    EXPECT_EQ(salva(), 1);
    EXPECT_EQ(stampato(), rifiuto("La contravvenzione n.1 non puo' essere salvata", "l'importo"));
    invariati();
    lista_contravv->importo = 999999999999.99; // the widest amount is written
    lista_anagraf->next->data_nascita.aaaa = 12345;
    digita("1\n\n");
    EXPECT_EQ(salva(), 1);
    EXPECT_EQ(stampato(), rifiuto("I dati anagrafici con codice 2 non possono essere salvati",
                                  "la data di nascita"));
    invariati();
    lista_anagraf->next->data_nascita.aaaa = 1985;
    digita("1\n\n");
    EXPECT_EQ(salva(), 0);
}

TEST_F(SaveDialog, AFailedSaveAsKeepsTheTypedPathsAndChangesNoFile) {
    digita("2\nc.txt\nmanca/a.txt\n\n");
    EXPECT_EQ(salva(), 1);
    EXPECT_EQ(stampato(), MENU + DOMANDA_C + DOMANDA_A + ERRORE);
    EXPECT_STREQ(nome_file_a, "manca/a.txt");
    invariati();
}

} // namespace
