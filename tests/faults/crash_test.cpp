// The program killed (SIGKILL, at times SIGTERM or SIGHUP) at random
// moments while it saves a large archive: each data file is afterwards byte for byte either its old
// or its new content, temporary files left by the crash are private, never taken for data, and gone
// after the next save.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <sys/stat.h>
#include <thread>

#include "faults/fault_support.h"
#include "faults/list_check.h"
#include "model/lists.h"
#include "session/dialogs.h"
#include "storage/archive_files.h"

namespace {

using namespace guasti;

constexpr mode_t PRIVATO = 0600;

// Puts the old contents back, private like personal data should be, as an
// administrator would after a crash: without the journal of the save that
// was cut short, which no longer speaks of these files.
void rimetti(const Cartella& c, const ARCHIVIO& a) {
    std::filesystem::remove(c.file(DATI_C + ".giornale"));
    c.scrivi(DATI_C, a.contravvenzioni);
    c.scrivi(DATI_A, a.anagrafica);
    chmod(c.file(DATI_C).c_str(), PRIVATO);
    chmod(c.file(DATI_A).c_str(), PRIVATO);
}

// How long a save took, counted from the choice "[1]": until the first
// temporary file showed, until the last one had gone, until the message.
struct TEMPI {
    double primo_temporaneo = -1, ultimo_temporaneo = -1, fine = -1;
};

// Loads and opens the save menu, then chooses "[1]".
void avvia_salvataggio(Programma& p) {
    p.digita(FINO_AL_SALVA);
    ASSERT_TRUE(p.attendi(MENU_SALVA)) << p.output.substr(0, 500);
    p.digita("1\n");
    p.invia();
}

// A save through "[1]" that runs to its end, watched.
TEMPI salva_guardando(const Cartella& c) {
    Programma p(c.percorso);
    avvia_salvataggio(p);
    const auto inizio = Orologio::now();
    TEMPI t;
    while (!p.attendi("Salvataggio avvenuto correttamente.", 0, 0) && secondi_da(inizio) < 20) {
        const bool ci_sono = temporanei(c.file("dati")) > 0;
        if (ci_sono && t.primo_temporaneo < 0) t.primo_temporaneo = secondi_da(inizio);
        if (!ci_sono && t.primo_temporaneo >= 0 && t.ultimo_temporaneo < 0)
            t.ultimo_temporaneo = secondi_da(inizio);
    }
    t.fine = secondi_da(inizio);
    p.digita("7\n3\n\n");
    EXPECT_EQ(p.termina(), 0);
    return t;
}

// A save through "[1]", ended by the signal `ritardo` seconds after the
// choice was typed.
void salva_e_uccidi(const Cartella& c, double ritardo, int segnale) {
    Programma p(c.percorso);
    avvia_salvataggio(p);
    std::this_thread::sleep_for(std::chrono::duration<double>(ritardo));
    p.uccidi(segnale);
}

} // namespace

TEST(FaultCrash, KilledWhileSavingEachFileIsOldOrNewAndTheNextSaveCleansUp) {
    // Under AddressSanitizer everything runs several times slower: fewer
    // records and fewer runs keep the test short.
    const int record = SANITIZZATO ? 8000 : 20000;
    const int prove = SANITIZZATO ? 15 : 30;
    // The old files end their lines with CR LF, which loads the same and
    // which a save writes as LF: old and new contents differ throughout.
    const ARCHIVIO vecchio = archivio_generato(record, "\r\n");
    const ARCHIVIO nuovo = archivio_generato(record, "\n");
    Cartella c;

    rimetti(c, vecchio);
    const TEMPI t = salva_guardando(c);
    ASSERT_EQ(c.leggi(DATI_C), nuovo.contravvenzioni) << "a save writes the LF form";
    ASSERT_EQ(c.leggi(DATI_A), nuovo.anagrafica);

    // The moments drawn run from before the first temporary file to past the
    // end of the save; one run in three falls near the end, where the files
    // are flushed and renamed.
    const double primo = t.primo_temporaneo > 0 ? t.primo_temporaneo * 0.8 : 0.0;
    const double ultimo = t.fine * 1.1;
    const unsigned seme = std::random_device{}();
    SCOPED_TRACE("random seed " + std::to_string(seme));
    std::mt19937 caso(seme);
    std::uniform_real_distribution<double> ovunque(primo, ultimo);
    std::uniform_real_distribution<double> alla_fine(t.fine * 0.85, ultimo);
    std::map<std::string, int> esiti;
    for (int prova = 0; prova < prove; ++prova) {
        rimetti(c, vecchio); // temporary files of earlier runs stay where they are
        // Mostly SIGKILL, which nothing can catch; now and then the signals
        // of a clerk closing the window or the system shutting down.
        const int segnali[] = {SIGKILL, SIGKILL, SIGKILL, SIGTERM, SIGKILL, SIGHUP};
        const double ritardo = prova % 3 == 2 ? alla_fine(caso) : ovunque(caso);
        salva_e_uccidi(c, ritardo, segnali[prova % 6]);
        const auto [f_c, f_a] = stato_file(c, vecchio, nuovo);
        ++esiti["owners " + f_a + ", fines " + f_c];
        ASSERT_TRUE(f_c == "old" || f_c == "new") << "run " << prova << ": fines file " << f_c;
        ASSERT_TRUE(f_a == "old" || f_a == "new") << "run " << prova << ": owners file " << f_a;
        EXPECT_FALSE(f_c == "new" && f_a == "old") << "the owners file is replaced first";
        for (const auto& voce : std::filesystem::directory_iterator(c.file("dati")))
            EXPECT_EQ(permessi(voce.path()) & 0777, PRIVATO)
                << voce.path() << " is readable by others";
    }
    std::cout << "[ outcomes ] the save took " << t.fine << " s, temporary files from "
              << t.primo_temporaneo << " to " << t.ultimo_temporaneo << " s; " << prove
              << " runs killed " << primo << " to " << ultimo << " s after [1]:";
    for (const auto& [esito, volte] : esiti) std::cout << " " << volte << "x " << esito << ";";
    std::cout << " " << temporanei(c.file("dati")) << " temporary files left\n";

    // Whatever the crashes left, the data files load whole ...
    libera_liste();
    ASSERT_EQ(carica_archivio(c.file(DATI_C).c_str(), c.file(DATI_A).c_str()), 0);
    EXPECT_EQ(difetto_liste(), "");
    EXPECT_EQ(conta(lista_contravv), record);
    EXPECT_EQ(conta(lista_anagraf), record);
    libera_liste();
    // ... and the next save replaces them and leaves no temporary file.
    salva_guardando(c);
    std::string cartella_dopo;
    for (const auto& voce : std::filesystem::directory_iterator(c.file("dati")))
        cartella_dopo += " " + voce.path().filename().string();
    EXPECT_EQ(temporanei(c.file("dati")), 0) << "left in dati/:" << cartella_dopo;
    EXPECT_EQ(c.leggi(DATI_C), nuovo.contravvenzioni);
    EXPECT_EQ(c.leggi(DATI_A), nuovo.anagrafica);
}
