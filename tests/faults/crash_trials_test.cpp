// The program killed (SIGKILL) at random instants of a scripted session of
// mixed operations on a generated archive; after each kill a new run loads,
// recovers the journal and saves. The saved archive holds every operation
// whose message had been printed, and nothing else but, at most, the one
// under way (noted in the journal just before its message): never a part
// of one. The recovering run ends normally, leaving no journal behind.
//
// The environment raises the counts for the full trials
// (tests/faults/crash_trials.sh): SANZ_PROVE_UCCISIONI kills,
// SANZ_PROVE_RECORD records, SANZ_PROVE_OPERAZIONI operations,
// SANZ_PROVE_SEME the seed of the script and of the instants.
#include <gtest/gtest.h>

#include <csignal>
#include <iostream>
#include <random>
#include <sys/wait.h>

#include "faults/fault_support.h"
#include "faults/journal_trials.h"

namespace {

using namespace guasti;
using namespace prove;

// Waits, reading the program's output, until `passi` steps have printed
// their message; false after `limite` seconds or once the program ends.
bool attendi_passi(Programma& p, const COPIONE& c, int passi, double limite) {
    const auto inizio = Orologio::now();
    while (passi_visti(c, p.output) < passi) {
        if (secondi_da(inizio) > limite) return false;
        if (!p.attendi("\x01", 0, 0.02) && p.pid <= 0) return false;
    }
    return true;
}

} // namespace

TEST(FaultJournal, KilledAtRandomInstantsTheRecoveredArchiveHoldsEveryCompletedOperation) {
    const int record = static_cast<int>(da_ambiente("SANZ_PROVE_RECORD", 1000));
    const int uccisioni =
        static_cast<int>(da_ambiente("SANZ_PROVE_UCCISIONI", SANITIZZATO ? 8 : 20));
    const int operazioni = static_cast<int>(da_ambiente("SANZ_PROVE_OPERAZIONI", 100));
    const unsigned seme =
        static_cast<unsigned>(da_ambiente("SANZ_PROVE_SEME", std::random_device{}() % 1000000));
    SCOPED_TRACE("seed " + std::to_string(seme) + " (SANZ_PROVE_SEME repeats it)");
    const auto inizio_prove = Orologio::now();
    const COPIONE copione_ = copione(record, operazioni, seme);
    const int passi = static_cast<int>(copione_.passi.size());
    RIFERIMENTI riferimenti(copione_);

    // One session without a kill, timed: the instants drawn run from the
    // end of its load to a little past its last operation.
    double durata = 0;
    {
        Cartella c(copione_.archivio);
        Programma p(c.percorso);
        p.digita(tasti(copione_, passi));
        ASSERT_TRUE(p.attendi(CARICATO, 0, 300));
        const auto caricato = Orologio::now();
        ASSERT_TRUE(attendi_passi(p, copione_, passi, 300))
            << "the script went astray after step " << passi_visti(copione_, p.output);
        durata = secondi_da(caricato);
    }

    std::mt19937 caso(seme);
    std::uniform_real_distribution<double> istante(0.0, durata * 1.1);
    int colpiti = 0, allo_stesso = 0, uno_in_piu = 0, a_meta_unione = 0;
    std::map<int, int> visti_per_passo;
    for (int prova = 0; prova < uccisioni; ++prova) {
        SCOPED_TRACE("kill " + std::to_string(prova));
        Cartella c(copione_.archivio);
        int visti = 0;
        {
            Programma p(c.percorso);
            p.digita(tasti(copione_, passi));
            ASSERT_TRUE(p.attendi(CARICATO, 0, 300));
            p.attendi("\x01", 0, istante(caso)); // reads its output meanwhile
            const int stato = p.uccidi(SIGKILL);
            colpiti += WIFSIGNALED(stato) && WTERMSIG(stato) == SIGKILL;
            p.attendi("\x01", 0, 10); // what it wrote before the kill
            visti = passi_visti(copione_, p.output);
        }
        ++visti_per_passo[visti];

        const RECUPERO r = recupera_e_salva(c);
        ASSERT_EQ(r.stato, 0) << r.output.substr(r.output.size() > 3000 ? r.output.size() - 3000
                                                                        : 0);
        EXPECT_EQ(r.errori, "");
        ASSERT_TRUE(r.salvato);
        if (visti > 0) {
            EXPECT_TRUE(r.domanda && r.recuperate) << visti << " steps done, none recovered";
        }
        EXPECT_EQ(avanzi(c), "") << "left after a normal end";

        const IMPRONTA salvati = impronta_di(c);
        int recuperati = visti;
        if (salvati == riferimenti.dopo(visti)) {
            ++allo_stesso;
        } else if (visti < passi && salvati == riferimenti.dopo(visti + 1)) {
            ++uno_in_piu;
            recuperati = visti + 1;
        } else {
            ADD_FAILURE() << "killed after " << visti << " of " << passi
                          << " steps had printed their message, the recovered archive is not the "
                             "one after "
                          << visti << " or " << visti + 1
                          << " steps; it matches the archive after these steps: ["
                          << riferimenti.quali(salvati) << "]";
        }
        a_meta_unione += recuperati > 0 && copione_.passi[recuperati - 1].unito != 0;
    }
    EXPECT_EQ(colpiti, uccisioni) << "every kill found the program running";

    std::cout << "[ trials   ] " << record << " records, " << operazioni << " operations (" << passi
              << " steps:";
    for (const auto& [tipo, volte] : copione_.per_tipo)
        std::cout << " " << volte << " " << tipo << ",";
    std::cout << " one step each, merges two); session " << durata << " s after its load\n"
              << "[ trials   ] " << uccisioni << " SIGKILLs: " << allo_stesso
              << " recovered exactly the operations printed, " << uno_in_piu
              << " also the one under way (journaled before its message), "
              << uccisioni - allo_stesso - uno_in_piu << " anything else; " << a_meta_unione
              << " between the edit that made two owners equal and their merge; "
              << visti_per_passo.size() << " different steps reached ("
              << visti_per_passo.begin()->first << " to " << visti_per_passo.rbegin()->first
              << "); " << riferimenti.esecuzioni << " reference runs; seed " << seme << "; "
              << secondi_da(inizio_prove) << " s in all\n";
}
