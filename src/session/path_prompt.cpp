// The path question shared by the load and save dialogues.
#include "session/path_prompt.h"

#include "console/console.h"
#include "console/text_rules.h"

namespace {
constexpr const char* MSG_PERCORSO_LUNGO =
    "Il percorso inserito e' troppo lungo (al massimo 127 caratteri), prego riprovare\n";
constexpr const char* MSG_PERCORSO_NON_VALIDO =
    "Il percorso inserito contiene caratteri non validi, prego riprovare\n";
} // namespace

std::string chiedi_percorso(const char* domanda, const char* predefinito) {
    console_out() << domanda << ">";
    for (;;) {
        const std::string risposta = leggi_linea_grezza();
        if (risposta.size() > PERCORSO_MAX) {
            console_out() << MSG_PERCORSO_LUNGO << ">";
        } else if (contiene_nul(risposta)) {
            // No file name holds a NUL byte: cut there, it would name another file.
            console_out() << MSG_PERCORSO_NON_VALIDO << ">";
        } else {
            return risposta.empty() ? std::string(predefinito) : risposta;
        }
    }
}
