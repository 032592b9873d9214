// The program on a real (pseudo-)terminal: colours, clearing, single-key
// pauses, and the terminal given back as it was, however the run ends.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "support/session.h"
#include "support/terminal.h"

namespace {

constexpr const char* COLORI = "\x1b[93;104m";
constexpr const char* PULISCI = "\x1b[2J";
constexpr const char* PAUSA = "Premere un tasto per continuare . . . ";

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
    const int stato = t.fine();
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
    const int stato = t.fine();
    ASSERT_TRUE(WIFEXITED(stato));
    EXPECT_EQ(WEXITSTATUS(stato), 0);
    EXPECT_NE(t.schermo.find(TERMINALE_RIPRISTINATO), std::string::npos);
}

TEST(Terminal, SignalsDuringAPauseRestoreColoursAndMode) {
    for (int segnale : {SIGINT, SIGTERM, SIGHUP}) {
        Cartella c;
        Terminale t(c);
        ASSERT_TRUE(t.attendi("[7] Esci"));
        t.digita("7\n");
        ASSERT_TRUE(t.attendi(PAUSA));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_FALSE(t.modo_normale());
        kill(t.pid, segnale);
        const int stato = t.fine();
        ASSERT_TRUE(WIFSIGNALED(stato)) << segnale;
        EXPECT_EQ(WTERMSIG(stato), segnale);
        EXPECT_TRUE(t.modo_normale()) << segnale;
        EXPECT_NE(t.schermo.find(TERMINALE_RIPRISTINATO), std::string::npos) << segnale;
    }
}
