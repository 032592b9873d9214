// The real program on the slave side of a pseudo-terminal: the test types
// on the master side and reads the screen from it.
#pragma once

#include <string>
#include <vector>

#include "support/driver.h"

// What the program writes to give the terminal its own colours back.
inline const std::string TERMINALE_RIPRISTINATO = "\x1b[0m\x1b[H\x1b[2J";

struct Terminale : Programma {
    // Started in that folder with the C locale, TERM=xterm and no NO_COLOR,
    // then with the changes in `ambiente`.
    explicit Terminale(const Cartella& dove, const std::vector<Variabile>& ambiente = {},
                       bool come_lavoro = false);

    const std::string& schermo = output; // everything shown so far
    // Line mode with echo: how the terminal was found, and must be left.
    bool modo_normale() const;
};
