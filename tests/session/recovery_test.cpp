// The recovery journal as a clerk meets it: a session that ends badly, the
// next load that offers its changes back, the journals set aside, and the
// questions that keep unsaved work and other programs' files from being
// dropped without a word.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "faults/fault_support.h"
#include "session/archive.h"
#include "session/journal.h"
#include "storage/journal_format.h"
#include "support/driver.h"
#include "support/records.h"
#include "support/texts.h"

using namespace testi;
namespace fs = std::filesystem;

namespace {

const std::string GIORNALE = "dati/contravvenzioni.txt.giornale";

struct ArchivioCampione : CartellaCampione {
    // Names in dati/ that are journals set aside.
    std::vector<std::string> messi_da_parte() const {
        std::vector<std::string> v;
        for (const auto& e : fs::directory_iterator(file("dati")))
            if (e.path().filename().string().starts_with("contravvenzioni.txt.giornale."))
                v.push_back("dati/" + e.path().filename().string());
        return v;
    }
};

// Load at the gate of the fines menu, record fine 21, then input ends.
const std::string NUOVA_MULTA = "1\n\n\n\n2\n01/02/2026\nRoma\nab123cd\nSosta\n50\nn\n\n";
const std::string CARICA_E_ESCI = "5\n\n\n"; // then the answer, the pause and what follows
// A live program waiting at the pause after its load (the pause's line end
// comes only with the key).
const std::string IN_PAUSA_DOPO_IL_CARICAMENTO = CARICATO.substr(0, CARICATO.size() - 1);

// The one date and time of a recovery notice, checked for its shape and
// for being today, so that the rest can be compared byte for byte.
std::string quando(const std::string& output) {
    static const std::regex forma(
        "l'ultima e' del ([0-9]+/[0-9]+/[0-9]+ alle [0-9]{2}:[0-9]{2})\\.");
    std::smatch m;
    if (!std::regex_search(output, m, forma)) return "(missing)";
    const std::time_t ora = std::time(nullptr);
    std::tm oggi{};
    localtime_r(&ora, &oggi);
    const std::string data = std::to_string(oggi.tm_mday) + "/" + std::to_string(oggi.tm_mon + 1) +
                             "/" + std::to_string(oggi.tm_year + 1900);
    EXPECT_TRUE(m[1].str().starts_with(data + " alle ")) << m[1];
    return m[1];
}

void pulita(const Sessione& s) {
    EXPECT_EQ(s.errori, "");
    EXPECT_EQ(s.stato, 0);
}

} // namespace

TEST(RecoverySession, ASessionEndedBadlyIsOfferedBackAndSavedWhole) {
    ArchivioCampione c;
    pulita(esegui_programma(c, NUOVA_MULTA));
    EXPECT_TRUE(c.esiste(GIORNALE)) << "the end of input leaves the journal";
    EXPECT_EQ(c.leggi(DATI_C), campione("contravvenzioni.txt")) << "and writes no data file";

    const Sessione s = esegui_programma(c, CARICA_E_ESCI + "s\n\n6\n1\n\n7\n3\n\n");
    pulita(s);
    EXPECT_EQ(s.output, BANNER + MENU + "\f" + CARICA + giornale_trovato(1, quando(s.output)) +
                            RECUPERATE + CARICATO + "\f" + MENU + "\f" + SALVA + SALVATO + "\f" +
                            MENU + USCITA + SALVA + "\f" + CONGEDO);
    EXPECT_NE(c.leggi(DATI_C).find("AB123CD"), std::string::npos) << "fine 21 was saved";
    EXPECT_FALSE(c.esiste(GIORNALE)) << "a normal end removes the journal";
    EXPECT_TRUE(c.messi_da_parte().empty());
}

TEST(RecoverySession, DecliningSetsTheJournalAsideAndTheNextLoadAsksNothing) {
    ArchivioCampione c;
    esegui_programma(c, NUOVA_MULTA);
    const Sessione s = esegui_programma(c, CARICA_E_ESCI + "n\n\n7\n3\n\n");
    pulita(s);
    const std::vector<std::string> da_parte = c.messi_da_parte();
    ASSERT_EQ(da_parte.size(), 1u);
    EXPECT_TRUE(std::regex_match(da_parte[0], std::regex(GIORNALE + "\\.[0-9]{8}-[0-9]{6}")));
    EXPECT_EQ(s.output, BANNER + MENU + "\f" + CARICA + giornale_trovato(1, quando(s.output)) +
                            non_recuperate(da_parte[0]) + CARICATO + "\f" + MENU + USCITA + SALVA +
                            "\f" + CONGEDO);
    EXPECT_EQ(c.leggi(DATI_C), campione("contravvenzioni.txt"));

    EXPECT_EQ(esegui_programma(c, CARICA_E_ESCI + "\n7\n3\n\n").output,
              BANNER + MENU + "\f" + CARICA + CARICATO + "\f" + MENU + USCITA + SALVA + "\f" +
                  CONGEDO);
    EXPECT_EQ(c.messi_da_parte(), da_parte) << "a journal set aside is never deleted";
}

TEST(RecoverySession, JournalsThatCannotBeReplayedAreSetAsideWithAWord) {
    struct Caso {
        const char* nome;
        void (*guasta)(const Cartella& c);
        std::string (*messaggio)(const std::string& dove);
    };
    const Caso casi[] = {
        {"the files changed since",
         [](const Cartella& c) { c.scrivi(DATI_A, campione("anagrafica.txt") + "\n"); },
         file_cambiati},
        {"not a journal", [](const Cartella& c) { c.scrivi(GIORNALE, "appunti del lunedi'\n"); },
         giornale_illeggibile},
    };
    for (const Caso& k : casi) {
        SCOPED_TRACE(k.nome);
        ArchivioCampione c;
        esegui_programma(c, NUOVA_MULTA);
        k.guasta(c);
        const std::string fc = c.leggi(DATI_C), fa = c.leggi(DATI_A);
        const Sessione s = esegui_programma(c, CARICA_E_ESCI + "\n7\n3\n\n");
        pulita(s);
        const std::vector<std::string> da_parte = c.messi_da_parte();
        ASSERT_EQ(da_parte.size(), 1u);
        EXPECT_EQ(s.output, BANNER + MENU + "\f" + CARICA + k.messaggio(da_parte[0]) + CARICATO +
                                "\f" + MENU + USCITA + SALVA + "\f" + CONGEDO);
        EXPECT_EQ(c.leggi(DATI_C), fc);
        EXPECT_EQ(c.leggi(DATI_A), fa);
    }
}

TEST(RecoverySession, AnEntryWithValuesNoRecordMayHoldEndsWhatIsRecovered) {
    ArchivioCampione c;
    esegui_programma(c, NUOVA_MULTA);
    const GIORNALE_LETTO letto = decodifica_giornale(c.leggi(GIORNALE));
    ASSERT_EQ(letto.voci.size(), 2u);
    // Entries whose checksums hold, behind fine 21: each forged value is
    // read, marked, and never applied; what follows it is not either.
    using FALSO = void (*)(NODO_CONTRAVV&);
    const FALSO falsi[] = {
        [](NODO_CONTRAVV& f) { f.data_verbale.gg = 36; },
        [](NODO_CONTRAVV& f) { f.importo = 1e12; },
        [](NODO_CONTRAVV& f) { std::strcpy(f.tipo, "Sosta\n_____"); },
        [](NODO_CONTRAVV& f) { f.pagata = true; }, // paid on 0/0/0
    };
    std::string ultimo;
    for (FALSO falso : falsi) {
        VOCE_GIORNALE falsa = letto.voci[1];
        falso(falsa.modifiche[0].contravv);
        std::string g(INTESTAZIONE_GIORNALE);
        for (const VOCE_GIORNALE* v : {&letto.voci[0], &letto.voci[1],
                                       static_cast<const VOCE_GIORNALE*>(&falsa), &letto.voci[1]})
            codifica_voce(*v, g);
        c.scrivi(GIORNALE, ultimo = g);
        const GIORNALE_LETTO forgiato = decodifica_giornale(g);
        ASSERT_EQ(forgiato.voci.size(), 4u);
        EXPECT_TRUE(forgiato.voci[1].ammessa);
        EXPECT_FALSE(forgiato.voci[2].ammessa);
    }
    // The last one at the console: one change of three comes back, the
    // journal is kept whole, and only fine 21 is saved.
    const Sessione s = esegui_programma(c, CARICA_E_ESCI + "s\n\n6\n1\n\n7\n3\n\n");
    pulita(s);
    const std::vector<std::string> da_parte = c.messi_da_parte();
    ASSERT_EQ(da_parte.size(), 1u);
    EXPECT_EQ(c.leggi(da_parte[0]), ultimo) << "the journal found is kept whole";
    EXPECT_EQ(s.output, BANNER + MENU + "\f" + CARICA + giornale_trovato(3, quando(s.output)) +
                            "\nModifiche recuperate: 1 su 3.\nLe ultime 2 contengono valori non "
                            "validi e non possono essere recuperate.\nIl giornale completo e' "
                            "conservato nel file\n" +
                            da_parte[0] +
                            "\nSalvare i dati per conservare nei file le modifiche recuperate.\n" +
                            CARICATO + "\f" + MENU + "\f" + SALVA + SALVATO + "\f" + MENU + USCITA +
                            SALVA + "\f" + CONGEDO);
    const std::string salvato = c.leggi(DATI_C);
    EXPECT_EQ(std::count(salvato.begin(), salvato.end(), '\n'), 21 * 8) << "fine 21, once";

    // Nor does the writer put down an entry its reader would stop at: the
    // journal is given up instead, and the clerk told.
    GIORNALE_IN_USO g;
    ASSERT_TRUE(giornale_avvia(g, c.file("prova.giornale"), letto.voci[0]));
    VOCE_GIORNALE falsa = letto.voci[1];
    falsa.modifiche[0].contravv.data_verbale.gg = 36;
    EXPECT_FALSE(giornale_aggiungi(g, falsa));
    EXPECT_FALSE(giornale_attivo(g));
    EXPECT_EQ(decodifica_giornale(c.leggi("prova.giornale")).voci.size(), 1u);
    giornale_rimuovi(g);
}

TEST(RecoverySession, ReloadingWithUnsavedChangesAsksFirst) {
    ArchivioCampione c;
    // Fine 21 recorded; [5] asks; "n" keeps it (fine 22 follows it), "s" drops it.
    const std::string registra = "1\n\n\n\n2\n01/02/2026\nRoma\nab123cd\nSosta\n50\nn\n\n5\n";
    const Sessione s = esegui_programma(
        c, registra +
               "5\nn\n\n1\n2\n01/02/2026\nRoma\nzz999zz\nSosta\n50\nn\n\n5\n5\ns\n\n\n\n7\n3\n\n");
    pulita(s);
    const std::string dopo_registra = "\f" + MENU + "\f" + PERDITA;
    EXPECT_NE(s.output.find("Contravvenzione n.22 inserita correttamente."), std::string::npos);
    const std::size_t prima = s.output.find(dopo_registra);
    ASSERT_NE(prima, std::string::npos);
    const std::string atteso =
        dopo_registra + ARCHIVIO_INVARIATO + "\f" + MENU + "\f" + MENU_CONTRAVV;
    EXPECT_EQ(s.output.substr(prima, atteso.size()), atteso)
        << "n says nothing was loaded and goes back to the main menu";
    EXPECT_NE(s.output.find(dopo_registra + "\n CARICA DA FILE"), std::string::npos) << "s loads";
    EXPECT_EQ(c.leggi(DATI_C), campione("contravvenzioni.txt"));
}

TEST(RecoverySession, AFileChangedByAnotherProgramIsOverwrittenOnlyWhenTheClerkSaysSo) {
    ArchivioCampione c;
    Programma p(c.percorso);
    p.digita("5\n\n\n");
    ASSERT_TRUE(p.attendi(IN_PAUSA_DOPO_IL_CARICAMENTO));
    // An editor adds a line to the owners file while it is loaded.
    const std::string aggiunto = campione("anagrafica.txt") + "\n";
    c.scrivi(DATI_A, aggiunto);
    // "n" keeps it, and the failed save makes leaving ask again.
    p.digita("\n6\n1\nn\n\n");
    ASSERT_TRUE(p.attendi(ANNULLATO + "\f" + MENU));
    // Then the fines file changes too: one question names both, "s" overwrites both.
    c.scrivi(DATI_C, campione("contravvenzioni.txt") + "\n");
    p.digita("7\n1\ns\n\n\n");
    ASSERT_EQ(p.termina(), 0);
    EXPECT_EQ(p.output, BANNER + MENU + "\f" + CARICA + CARICATO + "\f" + MENU + "\f" + SALVA +
                            sovrascrivi(DATI_A) + ANNULLATO + "\f" + MENU + USCITA + SALVA +
                            sovrascrivi(DATI_C, DATI_A) + SALVATO + "\f" + CONGEDO);
    EXPECT_EQ(c.leggi(DATI_A), campione("anagrafica.txt"));
    EXPECT_EQ(c.leggi(DATI_C), campione("contravvenzioni.txt"));
}

TEST(RecoverySession, OneProgramPerArchiveAtLoadAndAtSaveAs) {
    ArchivioCampione c;
    c.scrivi("altro/contravvenzioni.txt", campione("contravvenzioni.txt"));
    c.scrivi("altro/anagrafica.txt", campione("anagrafica.txt"));
    Programma primo(c.percorso);
    primo.digita("5\n\n\n");
    ASSERT_TRUE(primo.attendi(IN_PAUSA_DOPO_IL_CARICAMENTO));

    // A second program does not hold the archive (it is offered a
    // consultation instead, declined here), even with its lock file
    // deleted, nor through a hard link to the fines file, nor another
    // archive sharing its owners file; nor may it save onto it from
    // another one.
    fs::remove(c.file(DATI_C + ".blocco"));
    fs::create_hard_link(c.file(DATI_C), c.file("dati/collegamento.txt"));
    const Sessione s = esegui_programma(
        c, "5\n\n\nn\n\n5\ndati/collegamento.txt\n\nn\n\n5\naltro/contravvenzioni.txt\n\nn\n\n"
           "5\naltro/contravvenzioni.txt\naltro/anagrafica.txt\n\n"
           "6\n2\n\n\n\n7\n3\n\n");
    pulita(s);
    const std::string rifiuto = consultare(primo.pid) + NULLA_CARICATO;
    const std::string rifiutato = "\f" + MENU + "\f" + CARICA + rifiuto;
    EXPECT_EQ(s.output, BANNER + MENU + "\f" + CARICA + rifiuto + rifiutato + rifiutato + "\f" +
                            MENU + "\f" + CARICA + CARICATO + "\f" + MENU + "\f" + SALVA + SALVA_C +
                            SALVA_A + in_uso(primo.pid) + "\f" + MENU + USCITA + SALVA + "\f" +
                            CONGEDO);
    EXPECT_EQ(c.leggi(DATI_C), campione("contravvenzioni.txt"));

    // Once the first one is gone, however it ended, the archive is free.
    kill(primo.pid, SIGKILL);
    primo.termina();
    EXPECT_EQ(esegui_programma(c, "5\n\n\n\n7\n3\n\n").output, BANNER + MENU + "\f" + CARICA +
                                                                   CARICATO + "\f" + MENU + USCITA +
                                                                   SALVA + "\f" + CONGEDO);
}

TEST(RecoverySession, ASecondClerkConsultsAHeldArchiveSeeingItsConfirmedWorkAndChangingNothing) {
    ArchivioCampione c;
    Programma primo(c.percorso);
    ASSERT_TRUE(primo.digita("5\n\n\n\n1\n2\n01/02/2026\nRoma\nab123cd\nSosta\n50\nn\n",
                             "Contravvenzione n.21 inserita correttamente."));
    Programma secondo(c.percorso);
    ASSERT_TRUE(secondo.digita("5\n\n\ns\n\n", CONSULTAZIONE));
    // The holder's unsaved fine is there; every choice that would change
    // something says so in one line; a fresh look at each menu shows what
    // the holder confirms meanwhile.
    ASSERT_TRUE(secondo.digita("1\n1\n21\n", "AB123CD"));
    ASSERT_TRUE(secondo.digita("\n2\n\n", SOLA_CONSULTAZIONE));
    ASSERT_TRUE(primo.digita("\n2\n01/02/2026\nRoma\nzz999zz\nSosta\n50\nn\n",
                             "Contravvenzione n.22 inserita correttamente."));
    ASSERT_TRUE(secondo.digita("5\n1\n1\n22\n", "ZZ999ZZ"));
    const auto su_disco = c.contenuto();
    secondo.digita("\n5\n");
    // Each from the main menu and back to it.
    for (const std::string scelta : {"3\n2\n\n6\n", "3\n3\n\n6\n", "3\n4\n\n6\n", "2\n2\n\n5\n",
                                     "2\n3\n\n5\n", "2\n4\n\n5\n", "6\n\n"})
        ASSERT_TRUE(secondo.digita(scelta, SOLA_CONSULTAZIONE)) << scelta;
    // Leaving asks nothing: there is nothing to save.
    secondo.digita("7\n\n");
    ASSERT_EQ(secondo.termina(), 0);
    EXPECT_EQ(secondo.output.substr(secondo.output.size() - CONGEDO.size() - 1 - MENU.size()),
              MENU + "\f" + CONGEDO);
    EXPECT_EQ(c.contenuto(), su_disco) << "the consultation wrote nothing";
    EXPECT_EQ(secondo.errori, "");
}

TEST(RecoverySession, WhatOthersLeaveAtTheLockOrJournalNameIsNeverTrustedNorWaitedOn) {
    // A FIFO, a link, a folder: no lock file, and the load is refused.
    // Another user's plain file (a colleague sharing the archive; a journal
    // of this very archive, which must not be offered back) is left alone,
    // the data files' own locks holding.
    using METTI = void (*)(const std::string& dove, const std::string& giornale);
    const struct {
        METTI metti;
        bool rifiuta;
    } piantati[] = {
        {[](const std::string& d, const std::string&) { ASSERT_EQ(mkfifo(d.c_str(), 0666), 0); },
         true},
        {[](const std::string& d, const std::string&) { fs::create_symlink("/etc/passwd", d); },
         true},
        {[](const std::string& d, const std::string&) { fs::create_directory(d); }, true},
        {[](const std::string& d, const std::string& g) {
             scrivi_file(d, g);
             ASSERT_EQ(chown(d.c_str(), 12345, 12345), 0);
             fs::permissions(d, fs::perms(0644));
         },
         false},
    };
    ArchivioCampione campione_giornale;
    esegui_programma(campione_giornale, NUOVA_MULTA);
    const std::string giornale = campione_giornale.leggi(GIORNALE);
    ASSERT_FALSE(giornale.empty());
    for (std::size_t i = 0; i < std::size(piantati); ++i) {
        SCOPED_TRACE("planted thing " + std::to_string(i));
        {
            ArchivioCampione c;
            piantati[i].metti(c.file(DATI_C + ".blocco"), giornale);
            const Sessione s = esegui_programma(c, "5\n\n\n\n7\n3\n\n");
            pulita(s);
            EXPECT_EQ(s.output,
                      BANNER + MENU + "\f" + CARICA +
                          (piantati[i].rifiuta
                               ? blocco_estraneo(DATI_C + ".blocco") + "\f" + MENU + "\f" + CONGEDO
                               : CARICATO + "\f" + MENU + USCITA + SALVA + "\f" + CONGEDO));
            EXPECT_TRUE(fs::exists(fs::symlink_status(c.file(DATI_C + ".blocco"))));
        }
        ArchivioCampione c;
        piantati[i].metti(c.file(GIORNALE), giornale);
        const Sessione s = esegui_programma(c, NUOVA_MULTA + "5\n7\n3\n\n");
        pulita(s);
        EXPECT_NE(s.output.find(giornale_estraneo(GIORNALE)), std::string::npos) << s.output;
        EXPECT_EQ(s.output.find("Recuperare le modifiche?"), std::string::npos);
        EXPECT_TRUE(fs::exists(fs::symlink_status(c.file(GIORNALE)))) << "left where it is";
        EXPECT_TRUE(c.messi_da_parte().empty());
        // A save, which needs the name for its note, sets it aside whole.
        pulita(esegui_programma(c, "5\n\n\n\n6\n1\n\n7\n3\n\n"));
        ASSERT_EQ(c.messi_da_parte().size(), 1u);
        if (!piantati[i].rifiuta) {
            EXPECT_EQ(c.leggi(c.messi_da_parte()[0]), giornale);
        }
    }
}
