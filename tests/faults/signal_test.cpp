// SIGINT (typed as Ctrl-C), SIGTERM and SIGHUP reaching the program on a
// real (pseudo-)terminal while it waits at a prompt, in the middle of a
// form, or in a pause: the terminal gets its mode and colours back, and the
// data files keep every byte, with no temporary file left.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <sys/wait.h>
#include <thread>
#include <vector>

#include "faults/fault_support.h"
#include "support/terminal.h"

namespace {

using namespace guasti;

constexpr const char* PAUSA = "Premere un tasto per continuare . . . ";

// Where the program is when the signal comes: the keys that bring it
// there from start-up, each with what shows on screen once it is there.
struct MOMENTO {
    const char* nome;
    std::vector<std::pair<std::string, std::string>> passi;
    bool un_tasto = false; // waiting for one key, the terminal without echo
};

// The sample archive is loaded first in every case (a pause takes one key).
const std::vector<std::pair<std::string, std::string>> CARICA = {
    {"5\r", "(premere INVIO per caricare il file di default)\r\n>"},
    {"\r", "(premere INVIO per caricare il file di default)\r\n>"},
    {"\r", PAUSA},
    {"k", "[7] Esci\r\n\r\n>"}};

std::vector<MOMENTO> momenti() {
    auto dopo_carica = [](std::vector<std::pair<std::string, std::string>> altri) {
        auto passi = CARICA;
        passi.insert(passi.end(), altri.begin(), altri.end());
        return passi;
    };
    return {
        {"at the main menu", dopo_carica({})},
        {"half way through a line of a form", dopo_carica({{"1\r", "[5] Menu' principale\r\n\r\n>"},
                                                           {"2\r", "(gg/mm/aaaa):\r\n> "},
                                                           {"12/03/2008\r", "(citta', via):\r\n> "},
                                                           {"Via Ro", "Via Ro"}})},
        {"at the save menu", dopo_carica({{"6\r", "[3] Non salvare\r\n\r\n>"}})},
        {"in the pause after a load", {CARICA[0], CARICA[1], CARICA[2]}, true},
    };
}

} // namespace

TEST(FaultSignal, AtAPromptTheTerminalIsRestoredAndTheFilesAreUntouched) {
    for (const MOMENTO& m : momenti()) {
        for (int segnale : {SIGINT, SIGTERM, SIGHUP}) {
            SCOPED_TRACE(std::string(m.nome) + ", " + strsignal(segnale));
            CartellaCampione c;
            const ISTANTANEA prima = istantanea(c.percorso);
            Terminale t(c);
            ASSERT_TRUE(t.attendi("[7] Esci\r\n\r\n>"));
            for (const auto& [tasti, poi] : m.passi)
                ASSERT_TRUE(t.digita(tasti, poi)) << "waiting for " << poi;
            // The prompt shows before the read starts (and before a pause
            // turns echo off): give the program the moment to get there.
            for (int i = 0; i < 100 && t.modo_normale() == m.un_tasto; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            ASSERT_EQ(t.modo_normale(), !m.un_tasto);
            const std::size_t da = t.schermo.size();
            if (segnale == SIGINT) {
                ASSERT_TRUE(t.digita("\x03")); // Ctrl-C
            } else {
                kill(t.pid, segnale);
            }
            const int stato = t.termina();
            ASSERT_TRUE(WIFSIGNALED(stato)) << "wait status " << stato;
            EXPECT_EQ(WTERMSIG(stato), segnale);
            EXPECT_TRUE(t.modo_normale());
            EXPECT_NE(t.schermo.find(TERMINALE_RIPRISTINATO, da), std::string::npos);
            EXPECT_EQ(differenze(prima, istantanea(c.percorso)), "");
        }
    }
}
