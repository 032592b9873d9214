// SIGINT (typed as Ctrl-C), SIGTERM and SIGHUP reaching the program on a
// real (pseudo-)terminal while it waits at a prompt, in the middle of a
// form, or in a pause: the terminal gets its mode and colours back, and the
// data files keep every byte, with no temporary file left.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "faults/fault_support.h"

namespace {

using namespace guasti;

constexpr const char* RIPRISTINO = "\x1b[0m\x1b[H\x1b[2J";
constexpr const char* PAUSA = "Premere un tasto per continuare . . . ";

// The program on the slave side of a pseudo-terminal; the test types on
// the master side and reads the screen from it.
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

    // Reads the screen until `testo` shows after position `da`.
    bool attendi(const std::string& testo, std::size_t da = 0) {
        const auto fine = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (schermo.find(testo, da) == std::string::npos) {
            if (std::chrono::steady_clock::now() > fine) return false;
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            char buf[4096];
            const ssize_t k = read(master, buf, sizeof buf);
            if (k <= 0) return false;
            schermo.append(buf, static_cast<std::size_t>(k));
        }
        return true;
    }

    // Types keys and waits for what they bring on screen.
    bool digita(const std::string& tasti, const std::string& poi) {
        const std::size_t da = schermo.size();
        if (write(master, tasti.data(), tasti.size()) != static_cast<ssize_t>(tasti.size()))
            return false;
        return attendi(poi, da);
    }

    // Waits for the program to end; its wait status, or -1 on a time-out.
    int fine() {
        for (int i = 0; i < 400; ++i) {
            int stato = 0;
            if (waitpid(pid, &stato, WNOHANG) == pid) {
                pid = -1;
                attendi("\x01 until the output is over");
                return stato;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return -1;
    }

    bool modo_normale() const {
        termios t{};
        tcgetattr(master, &t);
        return (t.c_lflag & ICANON) && (t.c_lflag & ECHO);
    }
};

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
                ASSERT_EQ(write(t.master, "\x03", 1), 1); // Ctrl-C
            } else {
                kill(t.pid, segnale);
            }
            const int stato = t.fine();
            ASSERT_TRUE(WIFSIGNALED(stato)) << "wait status " << stato;
            EXPECT_EQ(WTERMSIG(stato), segnale);
            EXPECT_TRUE(t.modo_normale());
            EXPECT_NE(t.schermo.find(RIPRISTINO, da), std::string::npos);
            EXPECT_EQ(differenze(prima, istantanea(c.percorso)), "");
        }
    }
}
