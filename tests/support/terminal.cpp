// The pseudo-terminal driver of the terminal and signal tests.
#include "support/terminal.h"

#include <termios.h>

Terminale::Terminale(const Cartella& dove, const std::vector<Variabile>& ambiente,
                     bool come_lavoro)
    : Programma(dove.percorso,
                {.terminale = true, .come_lavoro = come_lavoro, .ambiente = ambiente}) {}

bool Terminale::modo_normale() const {
    termios t{};
    tcgetattr(terminale, &t);
    return (t.c_lflag & ICANON) && (t.c_lflag & ECHO);
}
