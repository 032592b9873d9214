// Records, lists and expected texts shared by the fines and owners tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "model/lists.h"
#include "support/records.h"
#include "support/streams.h"
#include "support/texts.h"

// Every test starts and ends with empty lists and no planned allocation failure.
struct ListeVuote : ::testing::Test {
    void SetUp() override { pulisci(); }
    void TearDown() override { pulisci(); }
    static void pulisci() {
        libera_liste();
        guasto_allocazione(0);
    }
};

using testi::PAUSA;

// Owner ROSSI MARIO of Milano, appended to lista_anagraf with the given code.
inline NODO_ANAGRAF* aggiungi_anagraf(uint32_t codice, const char* cognome = "ROSSI") {
    return accoda_anagraf({codice, cognome, "MARIO", DATA{5, 3, 1970}, "VIA ROMA 10", "Milano",
                           "20100", "MI", "RSSMRA70C05F205Z", "AB1234567C"});
}

// The owner form answers that give aggiungi_anagraf's owner (typed in lower case).
inline const std::string ROSSI_DIGITATO =
    "rossi\nmario\n05/03/1970\nVIA ROMA 10\nMilano\n20100\nmi\nrssmra70c05f205z\nab1234567c\n";

// A fine of 12/3/2008 appended to lista_contravv, with an owner and a payment when given.
inline NODO_CONTRAVV* aggiungi_contravv(uint32_t numero, NODO_ANAGRAF* anagraf = nullptr,
                                        DATA pagamento = DATA{0, 0, 0},
                                        const char* luogo = "Milano, viale Monza") {
    return accoda_contravv({numero, DATA{12, 3, 2008}, luogo, "AB123CD", "Eccesso di velocita",
                            41.0, anagraf, pagamento.gg != 0, pagamento});
}

// The block of a fine made by aggiungi_contravv without owner and unpaid.
inline std::string blocco_senza_anagraf(uint32_t numero,
                                        const std::string& luogo = "Milano, viale Monza") {
    return "\n\n==============================================\n CONTRAVVENZIONE N." +
           std::to_string(numero) +
           "\n\nData del verbale     : 12/3/2008\n"
           "Luogo dell'infrazione: " +
           luogo +
           "\nTarga del veicolo    : AB123CD\n"
           "Tipo di infrazione   : Eccesso di velocita\n"
           "Importo della multa  : 41.00 euro\n"
           "\nDati anagrafici non ancora inseriti\n"
           "\nMulta non ancora pagata\n==============================================\n\n";
}
