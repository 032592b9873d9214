// Shared ground for the payment, fine-editing and owner-editing dialogues:
// hand-built lists, the output of a display captured alone, and the lists
// freed after each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "model/lists.h"
#include "model/records.h"
#include "support/records.h"
#include "support/streams.h"
#include "support/texts.h"

namespace prova_dialoghi {

using testi::PAUSA;

// An owner with the given surname; code 0 takes the next free one.
inline NODO_ANAGRAF* proprietario(const char* cognome, uint32_t codice = 0,
                                  const char* citta = "Roma") {
    return accoda_anagraf({codice != 0 ? codice : *nuovo_codice(lista_anagraf), cognome, "MARIO",
                           DATA{5, 3, 1970}, "Via Appia 12", citta, "00100", "RM",
                           "RSSMRA70C05H501U", "RM1234567X"});
}

// A fine at the tail of the list with the next number; paid when a
// payment date is given.
inline NODO_CONTRAVV* multa(DATA verbale, double importo = 41.0, NODO_ANAGRAF* prop = nullptr,
                            DATA pagamento = {0, 0, 0}) {
    return accoda_contravv({*nuovo_numero(lista_contravv), verbale, "Roma, via Tuscolana",
                            "AB123CD", "Sosta vietata", importo, prop, pagamento.gg != 0,
                            pagamento});
}

// What an output-only routine prints, captured on its own. Call it before
// the dialogue's ConsoleFinta exists: a ConsoleFinta gives the console
// back to the standard streams when it ends.
template <class F> std::string stampato(F azione) {
    ConsoleFinta c;
    azione();
    return c.testo();
}

inline std::string data(DATA d) {
    return std::to_string(d.gg) + "/" + std::to_string(d.mm) + "/" + std::to_string(d.aaaa);
}

inline bool stesso_giorno(DATA a, DATA b) {
    return a.gg == b.gg && a.mm == b.mm && a.aaaa == b.aaaa;
}

struct ListeDialogo : ::testing::Test {
    void SetUp() override { libera_liste(); }
    void TearDown() override { libera_liste(); }
};

} // namespace prova_dialoghi
