// The dialogue conventions shared by every screen: menu choices, s/n
// questions and the "X per uscire" prompts.
#pragma once

#include <string>

// Prints ">" and reads one character (leggi_carattere) until it lies
// between prima and ultima; each refusal prints ">" again, nothing else.
char leggi_scelta(char prima, char ultima);

// Prints the question and reads one character until it is s/S (true) or
// n/N (false); any other character prints the question again.
bool domanda_sn(const char* domanda);

// Reads a line and keeps at most its first two characters: the answer to
// an "X per uscire" prompt or to another one-letter line command.
std::string leggi_comando();

// True when the answer is exactly the letter, in upper or lower case.
bool comando_e(const std::string& risposta, char lettera);

// Prints the prompt, reads the answer and tells whether it means leaving ("X" or "x").
bool chiede_uscita(const char* prompt);

// Clears the screen and prints the heading of a screen.
void intestazione(const char* testo);

// The loop every sub-menu runs: clear the screen, print the menu, read a
// choice from '1' to ultima, carry it out, clear the screen; it returns
// after the last item, which does nothing. `prima`, when given, runs each
// time before the menu is shown (a fresh look at what it shows).
void ciclo_menu(const char* menu, char ultima, void (*esegui)(char scelta),
                void (*prima)() = nullptr);

// The end of a listing: its message and the pause.
void fine_elenco(const char* messaggio);

// Pages through the records of a list that `scelto` picks, in list order:
// each one is shown with `mostra` and followed by the prompt. "X" leaves at
// once: 0. After the last one, `fine` and the pause: 1. When nothing is
// picked nothing is printed: -1. `passo` gives the record after one (a
// walk of a large list passes one that asks for the records ahead).
template <class N, class Scelto, class Mostra, class Passo>
int sfoglia(N* lista, Scelto scelto, Mostra mostra, const char* prompt, const char* fine,
            Passo passo) {
    auto prossimo = [&](N* p) {
        while (p != nullptr && !scelto(p)) p = passo(p);
        return p;
    };
    N* p = prossimo(lista);
    if (p == nullptr) return -1;
    while (p != nullptr) {
        mostra(p);
        p = prossimo(passo(p));
        if (chiede_uscita(prompt)) return 0;
    }
    fine_elenco(fine);
    return 1;
}

template <class N, class Scelto, class Mostra>
int sfoglia(N* lista, Scelto scelto, Mostra mostra, const char* prompt, const char* fine) {
    return sfoglia(lista, scelto, mostra, prompt, fine, [](N* p) { return p->next; });
}

// The same over every record of the list.
template <class N, class Mostra>
int sfoglia(N* lista, Mostra mostra, const char* prompt, const char* fine) {
    return sfoglia(
        lista, [](const N*) { return true; }, mostra, prompt, fine);
}
