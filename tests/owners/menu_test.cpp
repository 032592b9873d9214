// The owners menu: listing, attaching owner data to a fine, editing and
// deleting an owner record picked by its code.
#include "owners/owners.h"
#include "search/helpers.h"

namespace {

const std::string MENU = "\f\n MENU' ANAGRAFICA\n_____________________\n\n"
                         "[1] Visualizza dati anagrafici\n"
                         "[2] Inserisci i dati anagrafici di una contravvenzione\n"
                         "[3] Modifica dati anagrafici\n[4] Elimina dati anagrafici\n"
                         "[5] Menu' principale\n\n>";
const std::string VISUALIZZA = "\f\nVISUALIZZA DATI ANAGRAFICI\n______________________________\n"
                               "\nInserire il codice dei dati anagrafici da visualizzare\n"
                               "[0 per visualizzarli tutti]\n>";
const std::string SEGUENTE = "\nPremere invio per visualizzare i dati successivi, X per uscire... ";
const std::string INSERISCI =
    "\f\nINSERIMENTO DATI ANAGRAFICI\n___________________________________\n"
    "\nInserisci il numero della contravvenzione a cui inserire i dati anagrafici, \n"
    "oppure inserisci 0 per cercare tra quelle ancora senza dati anagrafici.\n>";
const std::string MODIFICA = "\f\nMODIFICA DATI ANAGRAFICI\n___________________________________\n"
                             "\nInserire il codice dell'anagrafica per visualizzare i dati ed\n"
                             "eventualmente modificarli\n>";
const std::string ELIMINA = "\f\n ELIMINA DATI ANAGRAFICI\n_____________________________\n"
                            "\nInserire il codice dell'anagrafica per visualizzare i dati ed\n"
                            "eventualmente eliminarli\n>";
const std::string CONFERMA_ELIMINA =
    "\nPremere INVIO per eliminare i dati della contravvenzione, X per uscire... ";
const std::string INESISTENTI = "\nDati anagrafici inesistenti\n" + PAUSA;

// Runs the menu on the typed items, closed by [5]; what it printed between
// its first menu and the clearing after it returns.
std::string menu(const std::string& digitato) {
    ConsoleFinta c(digitato + "5\n");
    menu_anagraf();
    const std::string t = c.testo();
    const std::string chiusura = "\f" + MENU + "\f";
    EXPECT_EQ(t.substr(0, MENU.size()), MENU);
    EXPECT_EQ(t.substr(t.size() - chiusura.size()), chiusura);
    return t.substr(MENU.size(), t.size() - MENU.size() - chiusura.size());
}

} // namespace

using OwnersMenu = ListeVuote;

TEST_F(OwnersMenu, ListingAllWithEnterAndWithX) {
    EXPECT_EQ(menu("1\n\n\n"), VISUALIZZA + "Non sono presenti dati anagrafici.\n" + PAUSA);
    const std::string s1 = scheda(aggiungi_anagraf(1)), s2 = scheda(aggiungi_anagraf(2, "VERDI"));
    EXPECT_EQ(menu("1\n\n\n\n\n"), VISUALIZZA + s1 + SEGUENTE + s2 + SEGUENTE +
                                       "\nFine elenco dati anagrafici.\n" + PAUSA);
    EXPECT_EQ(menu("1\n0\nx\n"), VISUALIZZA + s1 + SEGUENTE);
    EXPECT_EQ(menu("1\n2\n\n1\n9\n\n"),
              VISUALIZZA + s2 + PAUSA + "\f" + MENU + VISUALIZZA + INESISTENTI);
}

TEST_F(OwnersMenu, EmptyLineAtTheOtherCodePrompts) {
    aggiungi_contravv(1, aggiungi_anagraf(1));
    EXPECT_EQ(menu("2\n\n\n3\n\n\n4\n\n\n"), INSERISCI + FINE_ANAGRAF + "\f" + MENU + MODIFICA +
                                                 INESISTENTI + "\f" + MENU + ELIMINA + INESISTENTI);
}

TEST_F(OwnersMenu, AttachingRefusedWithoutASuitableFine) {
    EXPECT_EQ(menu("2\n1\n\n"),
              INSERISCI + "\nErrore: non e' presente alcuna contravvenzione.\n" + PAUSA);
    aggiungi_contravv(1, aggiungi_anagraf(1));
    EXPECT_EQ(menu("2\n1\n\n2\n7\n\n"),
              INSERISCI + "\nQuesta contravvenzione ha gia' i dati anagrafici inseriti.\n" + PAUSA +
                  "\f" + MENU + INSERISCI + "\nLa contravvenzione cercata non esiste.\n" + PAUSA);
    EXPECT_EQ(conta(lista_anagraf), 1);
}

TEST_F(OwnersMenu, AttachingDataEqualToAnOwnerOnFileSharesIt) {
    NODO_ANAGRAF* rossi = aggiungi_anagraf(1);
    aggiungi_contravv(1, rossi);
    NODO_CONTRAVV* due = aggiungi_contravv(2);
    EXPECT_EQ(menu("2\n2\n" + ROSSI_DIGITATO + "\n"),
              INSERISCI + FORM_ANAGRAF + "\nDati aggiunti correttamente.\n" + PAUSA);
    EXPECT_EQ(due->anagraf, rossi);
    EXPECT_TRUE(due->con_anagraf);
    EXPECT_EQ(conta(lista_anagraf), 1);
}

TEST_F(OwnersMenu, DeletingASharedOwnerDeclinedThenConfirmed) {
    NODO_ANAGRAF* rossi = aggiungi_anagraf(1);
    NODO_CONTRAVV* pagata = aggiungi_contravv(1, rossi, DATA{20, 3, 2008});
    NODO_CONTRAVV* altra = aggiungi_contravv(2, rossi);
    const std::string s = scheda(rossi);
    EXPECT_EQ(menu("4\n1\nX\n"), ELIMINA + s + CONFERMA_ELIMINA);
    EXPECT_EQ(lista_anagraf, rossi);
    EXPECT_TRUE(pagata->pagata);
    EXPECT_EQ(menu("4\n1\n\n\n"),
              ELIMINA + s + CONFERMA_ELIMINA + "\n --- Dati anagrafici eliminati ---\n" + PAUSA);
    EXPECT_EQ(lista_anagraf, nullptr);
    for (const NODO_CONTRAVV* f : {pagata, altra}) {
        EXPECT_FALSE(f->con_anagraf);
        EXPECT_EQ(f->anagraf, nullptr);
        EXPECT_FALSE(f->pagata);
        EXPECT_EQ(f->data_pagamento.gg, 0);
    }
}

TEST_F(OwnersMenu, ATypedCodeMeansTheFirstRecordWithIt) {
    NODO_ANAGRAF* primo = aggiungi_anagraf(7, "PRIMO");
    NODO_ANAGRAF* secondo = aggiungi_anagraf(7, "SECONDO");
    NODO_CONTRAVV* del_primo = aggiungi_contravv(1, primo);
    NODO_CONTRAVV* del_secondo = aggiungi_contravv(2, secondo, DATA{20, 3, 2008});
    menu("3\n7\n\n1\nterzo\nmario\n7\n\n");
    EXPECT_STREQ(primo->cognome, "TERZO");
    EXPECT_STREQ(secondo->cognome, "SECONDO");
    const std::string s = scheda(primo);
    EXPECT_EQ(menu("4\n7\n\n\n"),
              ELIMINA + s + CONFERMA_ELIMINA + "\n --- Dati anagrafici eliminati ---\n" + PAUSA);
    EXPECT_EQ(lista_anagraf, secondo);
    EXPECT_FALSE(del_primo->con_anagraf);
    EXPECT_EQ(del_secondo->anagraf, secondo);
    EXPECT_TRUE(del_secondo->pagata);
}
