// The pseudo-terminal driver of the terminal and signal tests.
#include "support/terminal.h"

#include <termios.h>

Terminale::Terminale(const Cartella& dove, const std::vector<Variabile>& ambiente)
    : Programma(dove.percorso, {.terminale = true, .ambiente = ambiente}) {}

bool Terminale::modo_normale() const {
    termios t{};
    tcgetattr(terminale, &t);
    return (t.c_lflag & ICANON) && (t.c_lflag & ECHO);
}
