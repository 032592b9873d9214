// The framed block of a fine in its three states, and the look-up messages.
#include "fines/fines.h"
#include "fines/fixtures.h"

namespace {

const std::string TESTA = "\n\n==============================================\n"
                          " CONTRAVVENZIONE N.3\n\n"
                          "Data del verbale     : 12/3/2008\n"
                          "Luogo dell'infrazione: Milano, viale Monza\n"
                          "Targa del veicolo    : AB123CD\n"
                          "Tipo di infrazione   : Eccesso di velocita\n";
const std::string ANAGRAF = "-----------------------------------------------\n"
                            "\n DATI ANAGRAFICI COD.12\n"
                            "\nProprietario:             ROSSI MARIO\n"
                            "Data di nascita:          5/3/1970\n"
                            "Indirizzo:                VIA ROMA 10\n"
                            "Citta', CAP e provincia:  Milano 20100 MI\n"
                            "Codice fiscale:           RSSMRA70C05F205Z\n"
                            "Numero patente guidatore: AB1234567C"
                            "\n-----------------------------------------------\n";
const std::string CHIUSURA = "\n==============================================\n\n";

} // namespace

using FinesDisplay = ListeVuote;

TEST_F(FinesDisplay, BlockWithoutOwnerUnpaid) {
    aggiungi_contravv(3)->importo = 150;
    ConsoleFinta c;
    EXPECT_EQ(vis_contravv(lista_contravv, 3), 0);
    EXPECT_EQ(c.testo(), TESTA +
                             "Importo della multa  : 150.00 euro\n"
                             "\nDati anagrafici non ancora inseriti\n"
                             "\nMulta non ancora pagata" +
                             CHIUSURA);
}

TEST_F(FinesDisplay, BlockWithOwnerUnpaidAndPaid) {
    NODO_ANAGRAF* a = aggiungi_anagraf(12);
    aggiungi_contravv(3, a)->importo = 12.5;
    aggiungi_contravv(3, a, DATA{20, 3, 2008})->importo = 0;
    ConsoleFinta c;
    stampa_contravv(lista_contravv);
    stampa_contravv(lista_contravv->next);
    EXPECT_EQ(c.testo(), TESTA + "Importo della multa  : 12.50 euro\n" + ANAGRAF +
                             "\nMulta non ancora pagata" + CHIUSURA + TESTA +
                             "Importo della multa  : 0.00 euro\n" + ANAGRAF +
                             "\nLa contravvenzione e' stata pagata in data 20/3/2008\n" + CHIUSURA);
}

TEST_F(FinesDisplay, EmptyListAndUnknownNumber) {
    ConsoleFinta c;
    EXPECT_EQ(vis_contravv(lista_contravv, 0), -1);
    aggiungi_contravv(1);
    EXPECT_EQ(vis_contravv(lista_contravv, 2), 1);
    EXPECT_EQ(c.testo(), "\nNon e' presente alcuna contravvenzione.\n"
                         "\nLa contravvenzione cercata non e' stata trovata.\n");
}
