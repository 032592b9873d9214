// The search menu: its items lead to the searches and the walks.
#include "search/helpers.h"
#include "search/search.h"

namespace {

const std::string MENU = "\f\n MENU' CERCA\n______________\n\n[1] Ricerca per contravvenzione\n"
                         "[2] Ricerca per dati anagrafici\n"
                         "[3] Ricerca le contravvenzioni senza dati anagrafici\n"
                         "[4] Ricerca le multe non pagate\n[5] Menu' principale\n\n>";

} // namespace

using SearchMenu = ListeVuote;

TEST_F(SearchMenu, ItemsRunUnderTheirHeadingsAndFiveReturns) {
    const std::string b = blocco_senza_anagraf(1);
    aggiungi_contravv(1);
    ConsoleFinta c("9\n1\n\n2\n\n3\n\n\n4\n\n\n5\n");
    menu_cerca();
    EXPECT_EQ(c.testo(),
              MENU +
                  ">\f\n RICERCA PER TARGA\n___________________\n"
                  "\nInserire la targa, o parte di essa, del veicolo da cercare\n"
                  "(premere INVIO per tornare al menu')\n>\f" +
                  MENU + "\f\n RICERCA PER DATI ANAGRAFICI\n_____________________________\n" +
                  "\nInserire il cognome, o parte di esso, oppure il codice fiscale del "
                  "proprietario\n(premere INVIO per tornare al menu')\n>\f" +
                  MENU + "\f\n RICERCA CONTRAVVENZIONI SENZA DATI ANAGRAFICI\n" +
                  std::string(47, '_') + "\n" + b + PROMPT_ANAGRAF + FINE_ANAGRAF + "\f" + MENU +
                  "\f\n RICERCA CONTRAVVENZIONI NON PAGATE\n" + std::string(44, '_') + "\n" + b +
                  PROMPT_PAGAM + FINE_PAGAM + "\f" + MENU + "\f");
}
