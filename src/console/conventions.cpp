// Menu choices, s/n questions and one-letter line commands.
#include "console/conventions.h"

#include <cctype>

#include "console/console.h"
#include "console/text_rules.h"

char leggi_scelta(char prima, char ultima) {
    for (;;) {
        console_out() << ">";
        const char c = leggi_carattere();
        if (c >= prima && c <= ultima) return c;
    }
}

bool domanda_sn(const char* domanda) {
    for (;;) {
        console_out() << domanda;
        const char c = leggi_carattere();
        if (c == 's' || c == 'S') return true;
        if (c == 'n' || c == 'N') return false;
    }
}

std::string leggi_comando() {
    const std::string linea = leggi_linea();
    return std::string(fino_al_nul(std::string_view(linea).substr(0, 2)));
}

bool comando_e(const std::string& risposta, char lettera) {
    return risposta.size() == 1 && std::toupper(static_cast<unsigned char>(risposta[0])) ==
                                       std::toupper(static_cast<unsigned char>(lettera));
}

bool chiede_uscita(const char* prompt) {
    console_out() << prompt;
    return comando_e(leggi_comando(), 'X');
}

void intestazione(const char* testo) {
    cls();
    console_out() << testo;
}

void ciclo_menu(const char* menu, char ultima, void (*esegui)(char scelta), void (*prima)()) {
    for (;;) {
        if (prima != nullptr) prima();
        cls();
        console_out() << menu;
        const char scelta = leggi_scelta('1', ultima);
        if (scelta != ultima) esegui(scelta);
        cls();
        if (scelta == ultima) return;
    }
}

void fine_elenco(const char* messaggio) {
    console_out() << messaggio;
    pausa();
}
