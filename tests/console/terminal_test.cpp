// The program on a real (pseudo-)terminal: colours, clearing, single-key
// pauses, what TERM and NO_COLOR allow, and the terminal given back as it
// was, however the run ends.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <regex>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <thread>

#include "support/terminal.h"

namespace {

constexpr const char* COLORI = "\x1b[93;104m";
constexpr const char* PULISCI = "\x1b[2J";
constexpr const char* PAUSA = "Premere un tasto per continuare . . . ";

// Any SGR sequence: a colour, or the reset of the colours.
bool ha_colori(const std::string& schermo) {
    static const std::regex SGR("\x1b\\[[0-9;]*m");
    return std::regex_search(schermo, SGR);
}

} // namespace

TEST(Terminal, ColoursClearsPausesOnOneKeyAndRestoresAtExit) {
    Cartella c;
    Terminale t(c);
    ASSERT_TRUE(t.attendi("[7] Esci\r\n\r\n>")); // the terminal turns line ends into CR LF
    EXPECT_NE(t.schermo.find(COLORI), std::string::npos);
    EXPECT_NE(t.schermo.find(PULISCI), std::string::npos);
    EXPECT_LT(t.schermo.find(COLORI), t.schermo.find("=== Sanzionario v1.0 ==="));
    EXPECT_TRUE(t.modo_normale());

    t.digita("7\n");
    ASSERT_TRUE(t.attendi(PAUSA));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(t.modo_normale()); // waiting for one key, without echo
    t.digita("k");                  // one key, no Enter
    const int stato = t.termina();
    ASSERT_TRUE(WIFEXITED(stato));
    EXPECT_EQ(WEXITSTATUS(stato), 0);
    EXPECT_TRUE(t.modo_normale());
    const std::string coda = t.schermo.substr(t.schermo.size() - TERMINALE_RIPRISTINATO.size());
    EXPECT_EQ(coda, TERMINALE_RIPRISTINATO);
}

TEST(Terminal, EndOfInputRestoresTheTerminal) {
    Cartella c;
    Terminale t(c);
    ASSERT_TRUE(t.attendi("[7] Esci"));
    t.digita("\x04"); // Ctrl-D on an empty line
    const int stato = t.termina();
    ASSERT_TRUE(WIFEXITED(stato));
    EXPECT_EQ(WEXITSTATUS(stato), 0);
    EXPECT_NE(t.schermo.find(TERMINALE_RIPRISTINATO), std::string::npos);
}

TEST(Terminal, SignalsDuringAPauseRestoreColoursAndMode) {
    // Ctrl-\ sends SIGQUIT; the others stand for every signal that ends the program.
    for (int segnale : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1}) {
        Cartella c;
        Terminale t(c);
        ASSERT_TRUE(t.attendi("[7] Esci"));
        t.digita("7\n");
        ASSERT_TRUE(t.attendi(PAUSA));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_FALSE(t.modo_normale());
        kill(t.pid, segnale);
        const int stato = t.termina();
        ASSERT_TRUE(WIFSIGNALED(stato)) << segnale;
        EXPECT_EQ(WTERMSIG(stato), segnale);
        EXPECT_TRUE(t.modo_normale()) << segnale;
        EXPECT_NE(t.schermo.find(TERMINALE_RIPRISTINATO), std::string::npos) << segnale;
    }
}

// TERM=dumb or unset (an editor's shell buffer, a serial console): no escape
// sequence at all, a form feed clears. NO_COLOR set and not empty: no
// colour, but clearing still clears. Pauses wait for one key in every case.
TEST(Terminal, TermAndNoColorDecideEscapeSequencesAndColours) {
    struct Caso {
        const char* nome;
        std::vector<Variabile> ambiente;
        bool sequenze; // escape sequences clear the screen (else a form feed)
        bool colori;
    };
    const Caso casi[] = {
        {"TERM=dumb", {{"TERM", "dumb"}}, false, false},
        {"no TERM", {{"TERM", std::nullopt}}, false, false},
        {"NO_COLOR=1", {{"NO_COLOR", "1"}}, true, false},
        {"empty NO_COLOR", {{"NO_COLOR", ""}}, true, true},
    };
    for (const Caso& caso : casi) {
        Cartella c;
        Terminale t(c, caso.ambiente);
        ASSERT_TRUE(t.attendi("[7] Esci\r\n\r\n>")) << caso.nome;
        t.digita("7\n");
        ASSERT_TRUE(t.attendi(PAUSA)) << caso.nome;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        t.digita("k"); // one key, no Enter
        const int stato = t.termina();
        ASSERT_TRUE(WIFEXITED(stato)) << caso.nome;
        EXPECT_EQ(WEXITSTATUS(stato), 0) << caso.nome;
        EXPECT_TRUE(t.modo_normale()) << caso.nome;
        if (caso.sequenze) {
            EXPECT_NE(t.schermo.find(PULISCI), std::string::npos) << caso.nome;
            EXPECT_EQ(t.schermo.find('\f'), std::string::npos) << caso.nome;
        } else {
            EXPECT_EQ(t.schermo.find('\x1b'), std::string::npos) << caso.nome;
            EXPECT_NE(t.schermo.find('\f'), std::string::npos) << caso.nome;
        }
        EXPECT_EQ(ha_colori(t.schermo), caso.colori) << caso.nome;
    }
}

// Ctrl-Z in a pause (one key, no echo): colours, mode and cursor given back
// and the program stopped; on `fg` the pause's mode again and the screen
// drawn again, in colour, as it was.
TEST(Terminal, CtrlZGivesTheTerminalBackAndFgDrawsTheScreenAgain) {
    Cartella c;
    Terminale t(c, {}, true);
    ASSERT_TRUE(t.attendi("[7] Esci\r\n\r\n>"));
    t.digita("7\n");
    ASSERT_TRUE(t.attendi(PAUSA));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_FALSE(t.modo_normale());
    pid_t lavoro = 0;
    ASSERT_EQ(ioctl(t.terminale, TIOCGPGRP, &lavoro), 0);
    const std::string prima = t.schermo;
    t.digita("\x1a"); // Ctrl-Z
    ASSERT_TRUE(t.attendi(TERMINALE_RIPRISTINATO + "\x1b[?25h", prima.size()));
    char fase = '?';
    for (int i = 0; i < 100 && fase != 'T'; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::ifstream stat("/proc/" + std::to_string(lavoro) + "/stat");
        std::string pid, nome;
        stat >> pid >> nome >> fase;
    }
    EXPECT_EQ(fase, 'T'); // stopped
    EXPECT_TRUE(t.modo_normale());

    const std::size_t ripresa = t.schermo.size();
    kill(lavoro, SIGCONT); // what `fg` sends
    ASSERT_TRUE(t.attendi(PAUSA, ripresa));
    EXPECT_EQ(t.schermo.substr(ripresa), std::string(COLORI) + PULISCI + "\x1b[H" +
                                             prima.substr(prima.rfind(PULISCI) + 4));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(t.modo_normale());
    t.digita("k");
    const int stato = t.termina();
    ASSERT_TRUE(WIFEXITED(stato));
    EXPECT_EQ(WEXITSTATUS(stato), 0);
}
