// The path question shared by the load and save dialogues.
#include "storage/path_prompt.h"

#include "console/console.h"

namespace {
constexpr const char* MSG_PERCORSO_LUNGO =
    "Il percorso inserito e' troppo lungo (al massimo 127 caratteri), prego riprovare\n";
}

std::string chiedi_percorso(const char* domanda, const char* predefinito) {
    console_out() << domanda << ">";
    std::string risposta = leggi_linea();
    while (risposta.size() > PERCORSO_MAX) {
        console_out() << MSG_PERCORSO_LUNGO << ">";
        risposta = leggi_linea();
    }
    return risposta.empty() ? std::string(predefinito) : risposta;
}
