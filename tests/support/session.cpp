// A whole session of the program.
#include "support/session.h"

#include "support/driver.h"

Sessione esegui_programma(const Cartella& dove, const std::string& input,
                          const std::string& locale) {
    OPZIONI opzioni;
    opzioni.locale = locale;
    return esegui(dove, input, opzioni);
}
