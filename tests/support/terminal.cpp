// The pseudo-terminal driver of the terminal and signal tests.
#include "support/terminal.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

Terminale::Terminale(const Cartella& dove, const std::vector<Variabile>& ambiente) {
    pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        if (chdir(dove.percorso.c_str()) != 0) _exit(127);
        unsetenv("LC_ALL");
        unsetenv("LC_CTYPE");
        setenv("LANG", "C", 1);
        setenv("TERM", "xterm", 1);
        unsetenv("NO_COLOR");
        for (const Variabile& v : ambiente) {
            if (v.valore) {
                setenv(v.nome.c_str(), v.valore->c_str(), 1);
            } else {
                unsetenv(v.nome.c_str());
            }
        }
        execl(SANZIONARIO_BIN, "sanzionario", static_cast<char*>(nullptr));
        _exit(127);
    }
}

Terminale::~Terminale() {
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    if (master >= 0) close(master);
}

bool Terminale::attendi(const std::string& testo, std::size_t da) {
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (schermo.find(testo, da) == std::string::npos) {
        if (std::chrono::steady_clock::now() > limite) return false;
        pollfd p{master, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        char buf[4096];
        const ssize_t k = read(master, buf, sizeof buf);
        if (k <= 0) return false; // the program has ended
        schermo.append(buf, static_cast<std::size_t>(k));
    }
    return true;
}

bool Terminale::digita(const std::string& tasti, const std::string& poi) {
    const std::size_t da = schermo.size();
    if (write(master, tasti.data(), tasti.size()) != static_cast<ssize_t>(tasti.size()))
        return false;
    return poi.empty() || attendi(poi, da);
}

int Terminale::fine() {
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

bool Terminale::modo_normale() const {
    termios t{};
    tcgetattr(master, &t);
    return (t.c_lflag & ICANON) && (t.c_lflag & ECHO);
}
