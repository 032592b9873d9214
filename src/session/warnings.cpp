// The texts of the warnings about the journal and the register.
#include "session/warnings.h"

#include "console/console.h"
#include "session/archive.h"

bool avvisa_giornale_mancante(const std::string& percorso) {
    if (!giornale_da_avvisare(giornale_sessione())) return false;
    stampa_percorso("\n ! ATTENZIONE\n\nImpossibile scrivere il giornale delle modifiche\n",
                    percorso,
                    "\nIl lavoro non e' protetto contro un'interruzione improvvisa:\n"
                    "salvare spesso.\n\n");
    return true;
}

bool avvisa_registro_mancante() {
    if (!registro_da_avvisare(registro_sessione())) return false;
    stampa_percorso("\n ! ATTENZIONE\n\nImpossibile scrivere il registro delle operazioni\n",
                    registro_in_uso(registro_sessione()),
                    "\nIl lavoro prosegue, ma le operazioni da qui in poi non vi restano:\n"
                    "la verifica del registro segnalera' la lacuna.\n\n");
    return true;
}
