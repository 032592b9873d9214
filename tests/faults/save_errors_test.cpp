// Saving where it cannot be done: a missing folder, a read-only folder, a
// read-only file, a full disk, a path that is a folder. Through the saving
// routine and through the program's "[6] Salva": the save fails as one
// whole, the data files keep every byte and no temporary file is left.
// Each obstacle is also taken away once, and the same save must then
// succeed, which shows that the obstacle was what made it fail.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "faults/fault_support.h"
#include "model/lists.h"
#include "session/dialogs.h"
#include "storage/archive_files.h"
#include "support/texts.h"

namespace {

namespace fs = std::filesystem;
using namespace guasti;

void niente(const std::string&) {}

// A save that an obstacle must stop: where it writes (relative to the
// working folder) and how the obstacle is put up and taken away.
struct OSTACOLO {
    std::string file_c = DATI_C;
    std::string file_a = DATI_A;
    OPZIONI opzioni;                             // as whom, with what room on disk
    void (*metti)(const std::string&) = niente;  // puts the obstacle up
    void (*togli)(const std::string&) = nullptr; // takes it away, where it can be
    bool giornale_negato = false;                // the journal and register cannot be written either
    bool cartella_aperta = false;                // dati/ is one others may write to
};

void permessi(const std::string& percorso, fs::perms p) {
    fs::permissions(percorso, p);
}

// The sample archive in dati/ with one empty line more at the end of each
// file, which a save drops: old and new contents differ. Everything can be
// read and written by anyone, so that only the obstacle stands in the way,
// also for the unprivileged user.
struct Archivio : CartellaCampione {
    Archivio() {
        scrivi(DATI_C, campione("contravvenzioni.txt") + "\n");
        scrivi(DATI_A, campione("anagrafica.txt") + "\n");
        // The archive belongs to "nobody", as whom the tests that need
        // permissions to count run (root ignores them).
        permessi(percorso, fs::perms(0755));
        for (const std::string& p : {file("dati"), file(DATI_C), file(DATI_A)})
            if (geteuid() == 0) (void)!chown(p.c_str(), NESSUNO, NESSUNO);
        permessi(file("dati"), fs::perms(0755));
        permessi(file(DATI_C), fs::perms(0600));
        permessi(file(DATI_A), fs::perms(0600));
    }
};

struct PERCORSI {
    std::string c, a;
};

// The work of a child process: 0 when both files were written, 1 when not.
int scrivi_nel_figlio(const void* dati) {
    const auto* p = static_cast<const PERCORSI*>(dati);
    return scrivi_archivio(p->c.c_str(), p->a.c_str()) ? 0 : 1;
}

// The program's dialogue: load the defaults, "[6] Salva" ("[1]" to the
// loaded files, "[2]" to other paths), leave without saving.
std::string dialogo(const OSTACOLO& o) {
    const bool altrove = o.file_c != DATI_C || o.file_a != DATI_A;
    return "5\n\n\n\n6\n" + (altrove ? "2\n" + o.file_c + "\n" + o.file_a + "\n" : "1\n") +
           "\n7\n3\n\n";
}

std::string dialogo_atteso(const OSTACOLO& o, const Cartella& c) {
    using namespace testi;
    const bool altrove = o.file_c != DATI_C || o.file_a != DATI_A;
    const std::string caricato =
        CARICATO.substr(0, CARICATO.size() - PAUSA.size()) +
        (o.cartella_aperta ? cartella_aperta(c.file("dati")) : "") +
        (o.giornale_negato ? giornale_negato("dati/contravvenzioni.txt.giornale") +
                                 registro_negato("dati/contravvenzioni.txt.registro")
                           : "") +
        PAUSA;
    return BANNER + MENU + "\f" + CARICA + caricato + "\f" + MENU + "\f" + SALVA +
           (altrove ? SALVA_C + SALVA_A : "") + ERRORE_SALVATAGGIO + "\f" + MENU + USCITA + SALVA +
           "\f" + CONGEDO;
}

void prova(const OSTACOLO& o) {
    if (o.opzioni.come_nessuno && geteuid() == 0 && !puo_cedere_privilegi())
        GTEST_SKIP() << "running as root, and this system does not let a child process become "
                        "an unprivileged user: permission bits would not stop the save";
    libera_liste();
    ASSERT_EQ(carica_archivio((std::string(SANZIONARIO_SAMPLE_DIR) + "/" + DATI_C).c_str(),
                              (std::string(SANZIONARIO_SAMPLE_DIR) + "/" + DATI_A).c_str()),
              0);
    {
        SCOPED_TRACE("the saving routine");
        Archivio cartella;
        o.metti(cartella.percorso);
        const ISTANTANEA prima = istantanea(cartella.percorso);
        const PERCORSI percorsi{cartella.file(o.file_c), cartella.file(o.file_a)};
        EXPECT_EQ(in_figlio(o.opzioni, scrivi_nel_figlio, &percorsi), 1);
        EXPECT_EQ(differenze(prima, istantanea(cartella.percorso)), "");

        if (o.togli != nullptr) {
            o.togli(cartella.percorso);
            OPZIONI senza_limite = o.opzioni;
            senza_limite.limite_file = -1;
            EXPECT_EQ(in_figlio(senza_limite, scrivi_nel_figlio, &percorsi), 0)
                << "without the obstacle the same save must succeed";
            EXPECT_EQ(leggi_file(percorsi.c), campione("contravvenzioni.txt"));
            EXPECT_EQ(leggi_file(percorsi.a), campione("anagrafica.txt"));
        }
    }
    libera_liste();
    {
        SCOPED_TRACE("the program's [6] Salva");
        Archivio cartella;
        o.metti(cartella.percorso);
        const ISTANTANEA prima = istantanea(cartella.percorso);
        const Sessione s = esegui_programma(cartella, dialogo(o), o.opzioni);
        EXPECT_EQ(s.output, dialogo_atteso(o, cartella));
        EXPECT_EQ(s.errori, "");
        EXPECT_EQ(s.stato, 0);
        EXPECT_EQ(differenze(prima, istantanea(cartella.percorso)), "");
    }
}

} // namespace

TEST(FaultSave, MissingFolder) {
    OSTACOLO o;
    o.file_c = "manca/contravvenzioni.txt";
    o.file_a = "manca/anagrafica.txt";
    o.togli = [](const std::string& c) { fs::create_directory(c + "/manca"); };
    prova(o);
}

TEST(FaultSave, MissingFolderOfTheFinesFileOnly) {
    OSTACOLO o; // the owners file is written first, and could be
    o.file_c = "manca/contravvenzioni.txt";
    o.file_a = "dati/anagrafica2.txt";
    o.togli = [](const std::string& c) { fs::create_directory(c + "/manca"); };
    prova(o);
}

TEST(FaultSave, ReadOnlyFolder) {
    OSTACOLO o;
    o.opzioni.come_nessuno = true;
    o.giornale_negato = true; // nothing can be written there, not even the journal and register
    o.metti = [](const std::string& c) { permessi(c + "/dati", fs::perms(0555)); };
    o.togli = [](const std::string& c) { permessi(c + "/dati", fs::perms(0755)); };
    prova(o);
}

TEST(FaultSave, ReadOnlyFile) {
    OSTACOLO o;
    o.opzioni.come_nessuno = true;
    o.metti = [](const std::string& c) { permessi(c + "/" + DATI_A, fs::perms(0444)); };
    o.togli = [](const std::string& c) { permessi(c + "/" + DATI_A, fs::perms(0600)); };
    prova(o);
}

// A folder others may write to, and what another user left in it: a data
// file of theirs, or a link of theirs to a file elsewhere. Neither is
// replaced or followed; once they are the user's own, the save goes.
constexpr uid_t ALTRO_UTENTE = 12345;

void dell_utente(const std::string& percorso, uid_t uid) {
    (void)!lchown(percorso.c_str(), uid, uid);
}

TEST(FaultSave, SharedFolderWithAFileOfAnotherUser) {
    OSTACOLO o;
    o.opzioni.come_nessuno = true;
    o.cartella_aperta = true;
    o.metti = [](const std::string& c) {
        permessi(c + "/dati", fs::perms(0777));
        dell_utente(c + "/" + DATI_A, ALTRO_UTENTE);
        permessi(c + "/" + DATI_A, fs::perms(0666));
    };
    o.togli = [](const std::string& c) { dell_utente(c + "/" + DATI_A, NESSUNO); };
    prova(o);
}

TEST(FaultSave, SharedFolderWithALinkOfAnotherUser) {
    OSTACOLO o;
    o.opzioni.come_nessuno = true;
    o.cartella_aperta = true;
    o.metti = [](const std::string& c) {
        permessi(c + "/dati", fs::perms(0777));
        fs::create_directory(c + "/altrove");
        fs::rename(c + "/" + DATI_A, c + "/altrove/anagrafica.txt");
        dell_utente(c + "/altrove", NESSUNO);
        fs::create_symlink("../altrove/anagrafica.txt", c + "/" + DATI_A);
        dell_utente(c + "/" + DATI_A, ALTRO_UTENTE);
    };
    o.togli = [](const std::string& c) { dell_utente(c + "/" + DATI_A, NESSUNO); };
    prova(o);
}

TEST(FaultSave, FullDiskAtTheFirstFile) {
    OSTACOLO o;
    o.opzioni.limite_file = 1000; // smaller than either file
    o.togli = niente;             // the same save without the limit
    prova(o);
}

TEST(FaultSave, FullDiskAtTheSecondFile) {
    OSTACOLO o;
    o.opzioni.limite_file = 3000; // the owners file fits, the fines file does not
    o.togli = niente;
    ASSERT_LT(campione("anagrafica.txt").size(), 3000u);
    ASSERT_GT(campione("contravvenzioni.txt").size(), 3000u);
    prova(o);
}

TEST(FaultSave, PathThatIsAFolder) {
    OSTACOLO o;
    o.file_c = "dati/nuovo.txt";
    o.file_a = "dati/anagrafica2.txt";
    o.metti = [](const std::string& c) { fs::create_directory(c + "/dati/nuovo.txt"); };
    o.togli = [](const std::string& c) { fs::remove(c + "/dati/nuovo.txt"); };
    prova(o);
}

TEST(FaultSave, PathThatIsAFolderWithATrailingSlash) {
    OSTACOLO o; // no way to take this one away: only the failure is checked
    o.file_c = "dati/contravvenzioni2.txt";
    o.file_a = "dati/";
    prova(o);
}

TEST(FaultSave, AFileOfAnotherUserAtABackupNameDoesNotStopTheSave) {
    OPZIONI come_nessuno;
    come_nessuno.come_nessuno = true;
    if (geteuid() == 0 && !puo_cedere_privilegi())
        GTEST_SKIP() << "running as root, and no child process can become an unprivileged user";
    // A folder shared the way /tmp is: anyone may add a name, only its
    // owner may remove or replace it.
    Archivio c;
    dell_utente(c.file("dati"), 0);
    permessi(c.file("dati"), fs::perms(01777));
    c.scrivi(DATI_A + ".bak", "di un altro");
    dell_utente(c.file(DATI_A + ".bak"), ALTRO_UTENTE);
    const Sessione s = esegui_programma(c, "5\n\n\n\n6\n1\n\n7\n3\n\n", come_nessuno);
    using namespace testi;
    EXPECT_EQ(s.output, BANNER + MENU + "\f" + CARICA +
                            CARICATO.substr(0, CARICATO.size() - PAUSA.size()) +
                            cartella_aperta(c.file("dati")) + PAUSA + "\f" + MENU + "\f" + SALVA +
                            SALVATO.substr(0, SALVATO.size() - PAUSA.size()) +
                            "\n ! ATTENZIONE\n\nLa copia precedente " + DATI_A +
                            ".bak\nnon e' stata aggiornata: al suo posto c'e' un file che il "
                            "programma non puo' sostituire.\n\n" +
                            PAUSA + "\f" + MENU + USCITA + SALVA + "\f" + CONGEDO);
    EXPECT_EQ(c.leggi(DATI_A), campione("anagrafica.txt")) << "saved all the same";
    EXPECT_EQ(c.leggi(DATI_A + ".bak"), "di un altro");
    EXPECT_EQ(permessi(c.file(DATI_C + ".bak")) & 0007, 0u);
    EXPECT_EQ(temporanei(c.file("dati")), 0);
}
