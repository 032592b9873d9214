// Expected texts of the search and owners dialogues: the blocks of records
// as the displays print them, the owner form and the fixed prompts.
#pragma once

#include "fines/fines.h"
#include "fines/fixtures.h"
#include "owners/owners.h"

// The framed block of a fine, or of an owner; to be taken before the
// dialogue's own ConsoleFinta is set up.
inline std::string blocco(const NODO_CONTRAVV* f) {
    ConsoleFinta c;
    stampa_contravv(f);
    return c.testo();
}
inline std::string scheda(NODO_ANAGRAF* p) {
    ConsoleFinta c;
    vis_anagraf(lista_anagraf, p);
    return c.testo();
}

inline const std::string FORM_ANAGRAF =
    "\n\nInserire i dati anagrafici del proprietario del veicolo\nCognome: Nome   : Data di "
    "nascita: "
    "\nInserire i dati relativi alla residenza del proprietario del veicolo\nIndirizzo:  Citta'   "
    ":  "
    "CAP      :  Provincia:  \nInserire il codice fiscale del proprietario:\n> "
    "\nInserire il numero della patente del guidatore:\n> ";

inline const std::string PROMPT_ANAGRAF =
    "\nPremere INVIO per visualizzare la contravvenzione successiva,\n"
    "digitare M per inserire i dati anagrafici, X per uscire... ";
inline const std::string FINE_ANAGRAF =
    "\nNon esistono ulteriori contravvenzioni senza dati anagrafici.\n" + PAUSA;
inline const std::string PROMPT_PAGAM =
    "Premere INVIO per visualizzare la contravvenzione non pagata successiva,\n"
    "digitare M per inserire la data del pagamento, X per uscire... ";
inline const std::string FINE_PAGAM =
    "\n\n\n -- Non esistono ulteriori contravvenzioni non pagate --\n" + PAUSA;
inline const std::string FINE_RICERCA = "\nFine dei risultati della ricerca.\n" + PAUSA;
