// The pseudo-terminal driver of the terminal and signal tests.
#include "support/terminal.h"

#include <termios.h>

namespace {

OPZIONI al_terminale(const std::vector<Variabile>& ambiente) {
    OPZIONI o;
    o.terminale = true;
    o.ambiente = ambiente;
    return o;
}

} // namespace

Terminale::Terminale(const Cartella& dove, const std::vector<Variabile>& ambiente)
    : Programma(dove.percorso, al_terminale(ambiente)) {}

bool Terminale::modo_normale() const {
    termios t{};
    tcgetattr(terminale, &t);
    return (t.c_lflag & ICANON) && (t.c_lflag & ECHO);
}
