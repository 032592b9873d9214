// Runs the real program on the slave side of a pseudo-terminal: the test
// types on the master side and reads the screen from it.
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "support/session.h"

// What the program writes to give the terminal its own colours back.
inline const std::string TERMINALE_RIPRISTINATO = "\x1b[0m\x1b[H\x1b[2J";

// A variable of the program's environment: set to `valore`, or removed
// when there is none.
struct Variabile {
    std::string nome;
    std::optional<std::string> valore;
};

struct Terminale {
    int master = -1;
    pid_t pid = -1;
    std::string schermo; // everything shown so far

    // Started in that folder with the C locale, TERM=xterm and no NO_COLOR,
    // then with the changes in `ambiente`.
    explicit Terminale(const Cartella& dove, const std::vector<Variabile>& ambiente = {});
    ~Terminale(); // killed if still running

    // Reads the screen until `testo` shows after position `da`; false after 10 s.
    bool attendi(const std::string& testo, std::size_t da = 0);
    // Types keys; with `poi`, also waits for what they bring on screen.
    bool digita(const std::string& tasti, const std::string& poi = "");
    // Waits for the program to end: its wait status, or -1 on a time-out.
    int fine();
    // Line mode with echo: how the terminal was found, and must be left.
    bool modo_normale() const;
};
