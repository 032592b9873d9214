// Clearing, pausing and the primitive reads of the console.
#include "console/console.h"

#include "console/text_rules.h"

void cls() {
    if (output_su_terminale()) {
        console_out() << "\x1b[H\x1b[2J";
    } else {
        console_out() << '\f';
    }
}

void pausa() {
    console_out() << "Premere un tasto per continuare . . . ";
    console_out().flush();
    if (input_da_terminale()) {
        attendi_tasto();
    } else {
        int c = console_in().get();
        while (c != std::istream::traits_type::eof() && c != '\n') c = console_in().get();
    }
    console_out() << "\n";
}

int leggi_byte() {
    const int c = console_in().get();
    if (c == std::istream::traits_type::eof()) throw FineInput{};
    return c;
}

char leggi_carattere() {
    int c = leggi_byte();
    while (bianco(c)) c = leggi_byte();
    // The one character after the choice, normally the line end; a line end
    // written as CR LF (input prepared on another system) counts as one.
    if (console_in().get() == '\r' && console_in().peek() == '\n') console_in().get();
    return static_cast<char>(c);
}

namespace {

// One line as it comes, by the rules of text_rules.h.
std::string linea_letta() {
    std::string linea;
    std::size_t lunghezza = 0; // of the whole line, kept or not
    int c = leggi_byte();
    while (c != std::istream::traits_type::eof() && c != '\n') {
        tieni_carattere(linea, static_cast<char>(c));
        ++lunghezza;
        c = console_in().get();
    }
    chiudi_linea(linea, lunghezza, c == '\n');
    return linea;
}

} // namespace

std::string leggi_linea() {
    for (;;) {
        std::string linea = linea_letta();
        const std::string rifiutato = carattere_rifiutato();
        if (rifiutato.empty()) return linea;
        // The character is named as the terminal spells it.
        console_out() << "Il testo inserito contiene ";
        scrivi_grezzo(rifiutato);
        console_out() << ", che non puo' essere registrato, prego riprovare\n";
    }
}

std::string leggi_linea_grezza() {
    linea_grezza();
    return linea_letta();
}

void stampa_percorso(std::string_view percorso) {
    if (!scrivi_grezzo(percorso)) console_out() << percorso;
}

void stampa_percorso(std::string_view prima, std::string_view percorso, std::string_view dopo) {
    console_out() << prima;
    stampa_percorso(percorso);
    console_out() << dopo;
}
