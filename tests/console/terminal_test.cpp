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

namespace {

constexpr const char* COLORI = "\x1b[93;104m";
constexpr const char* PULISCI = "\x1b[2J";
constexpr const char* RIPRISTINO = "\x1b[0m\x1b[H\x1b[2J";
constexpr const char* PAUSA = "Premere un tasto per continuare . . . ";

struct Terminale {
    int master = -1;
    pid_t pid = -1;
    std::string schermo;

    explicit Terminale(const Cartella& dove) {
        pid = forkpty(&master, nullptr, nullptr, nullptr);
        if (pid == 0) {
            if (chdir(dove.percorso.c_str()) != 0) _exit(127);
            unsetenv("LC_ALL");
            unsetenv("LC_CTYPE");
            setenv("LANG", "C", 1);
            setenv("TERM", "xterm", 1);
            execl(SANZIONARIO_BIN, "sanzionario", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Terminale() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (master >= 0) close(master);
    }

    // Reads what the program shows until `testo` has appeared (after `da`).
    bool attendi(const std::string& testo, std::size_t da = 0) {
        const auto fine = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (schermo.find(testo, da) == std::string::npos) {
            if (std::chrono::steady_clock::now() > fine) return false;
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) continue;
            char buf[4096];
            const ssize_t k = read(master, buf, sizeof buf);
            if (k <= 0) return schermo.find(testo, da) != std::string::npos;
            schermo.append(buf, static_cast<std::size_t>(k));
        }
        return true;
    }

    void digita(const std::string& tasti) {
        ASSERT_EQ(write(master, tasti.data(), tasti.size()), static_cast<ssize_t>(tasti.size()));
    }

    // Waits for the program to end; its wait status, or -1 on a time-out.
    int termina() {
        for (int i = 0; i < 200; ++i) {
            int stato = 0;
            if (waitpid(pid, &stato, WNOHANG) == pid) {
                pid = -1;
                attendi("\x01never"); // collect the last output
                return stato;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return -1;
    }

    bool modo_canonico() {
        termios t{};
        tcgetattr(master, &t);
        return (t.c_lflag & ICANON) && (t.c_lflag & ECHO);
    }
};

} // namespace

TEST(Terminal, ColoursClearsPausesOnOneKeyAndRestoresAtExit) {
    Cartella c;
    Terminale t(c);
    ASSERT_TRUE(t.attendi("[7] Esci\r\n\r\n>")); // the terminal turns line ends into CR LF
    EXPECT_NE(t.schermo.find(COLORI), std::string::npos);
    EXPECT_NE(t.schermo.find(PULISCI), std::string::npos);
    EXPECT_LT(t.schermo.find(COLORI), t.schermo.find("=== Sanzionario v1.0 ==="));
    EXPECT_TRUE(t.modo_canonico());

    t.digita("7\n");
    ASSERT_TRUE(t.attendi(PAUSA));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(t.modo_canonico()); // waiting for one key, without echo
    t.digita("k");                   // one key, no Enter
    const int stato = t.termina();
    ASSERT_TRUE(WIFEXITED(stato));
    EXPECT_EQ(WEXITSTATUS(stato), 0);
    EXPECT_TRUE(t.modo_canonico());
    const std::string coda = t.schermo.substr(t.schermo.size() - std::string(RIPRISTINO).size());
    EXPECT_EQ(coda, RIPRISTINO);
}

TEST(Terminal, EndOfInputRestoresTheTerminal) {
    Cartella c;
    Terminale t(c);
    ASSERT_TRUE(t.attendi("[7] Esci"));
    t.digita("\x04"); // Ctrl-D on an empty line
    const int stato = t.termina();
    ASSERT_TRUE(WIFEXITED(stato));
    EXPECT_EQ(WEXITSTATUS(stato), 0);
    EXPECT_NE(t.schermo.find(RIPRISTINO), std::string::npos);
}

TEST(Terminal, SignalsDuringAPauseRestoreColoursAndMode) {
    for (int segnale : {SIGINT, SIGTERM, SIGHUP}) {
        Cartella c;
        Terminale t(c);
        ASSERT_TRUE(t.attendi("[7] Esci"));
        t.digita("7\n");
        ASSERT_TRUE(t.attendi(PAUSA));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_FALSE(t.modo_canonico());
        kill(t.pid, segnale);
        const int stato = t.termina();
        ASSERT_TRUE(WIFSIGNALED(stato)) << segnale;
        EXPECT_EQ(WTERMSIG(stato), segnale);
        EXPECT_TRUE(t.modo_canonico()) << segnale;
        EXPECT_NE(t.schermo.find(RIPRISTINO), std::string::npos) << segnale;
    }
}
