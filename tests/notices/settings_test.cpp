// The office's settings file: the sample installed with the program reads
// as it is, and each missing or wrong key is named with its line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "notices/settings.h"
#include "support/folder.h"

namespace {

const std::string GIUSTO = "[ufficio]\n"                                  // 1
                           "nome = Comune di Forlì\n"                     // 2
                           "reparto = Polizia Locale\n"                   // 3
                           "indirizzo = Piazza Saffi 8, Forlì\n"          // 4
                           "contatti = Tel. 0543 712000\n"                // 5
                           "[pagopa]\n"                                   // 6
                           "codice_fiscale_ente = 00123456782\n"          // 7
                           "cifra_ausiliaria = 3\n"                       // 8
                           "codice_segregazione = 07\n"                   // 9
                           "[importi]\n"                                  // 10
                           "riduzione_percentuale = 30\n"                 // 11
                           "giorni_riduzione = 5\n"                       // 12
                           "giorni_pagamento = 60\n";                     // 13

// The settings with line `riga` (from 1) replaced by `nuova` ("" drops it).
std::string con_riga(int riga, const std::string& nuova) {
    std::string t;
    int n = 0;
    for (std::size_t i = 0; i < GIUSTO.size();) {
        const std::size_t fine = GIUSTO.find('\n', i) + 1;
        t += ++n == riga ? (nuova.empty() ? "" : nuova + "\n") : GIUSTO.substr(i, fine - i);
        i = fine;
    }
    return t;
}

} // namespace

TEST(NoticeSettings, SampleAndAValidFileRead) {
    const IMPOSTAZIONI_LETTE campione = leggi_impostazioni(SANZIONARIO_SAMPLE_DIR "/ufficio.conf");
    EXPECT_TRUE(campione.lette) << campione.errore;
    Cartella c;
    c.scrivi("u.conf", con_riga(11, "riduzione_percentuale = 25,5"));
    const IMPOSTAZIONI_LETTE l = leggi_impostazioni(c.file("u.conf"));
    ASSERT_TRUE(l.lette) << l.errore;
    EXPECT_EQ(l.ufficio.nome, "Comune di Forlì");
    EXPECT_EQ(l.ufficio.codice_fiscale_ente, "00123456782");
    EXPECT_EQ(l.ufficio.regola.cifra_ausiliaria, 3);
    EXPECT_EQ(l.ufficio.regola.codice, "07");
    EXPECT_EQ(l.ufficio.riduzione_centesimi_percento, 2550);
    EXPECT_EQ(l.ufficio.giorni_riduzione, 5);
    EXPECT_EQ(l.ufficio.giorni_pagamento, 60);
}

TEST(NoticeSettings, EachWrongKeyNamedWithItsLine) {
    Cartella c;
    const std::string f = c.file("u.conf");
    struct CASO {
        std::string testo;
        std::string errore; // after the file's path
    };
    for (const CASO& k : std::vector<CASO>{
             {con_riga(7, "codice_fiscale_ente = 0012345678"),
              ", riga 7: codice_fiscale_ente deve essere di 11 cifre: \"0012345678\""},
             {con_riga(7, "codice_fiscale_ente = 00123456783"),
              ", riga 7: codice_fiscale_ente ha la cifra di controllo sbagliata: \"00123456783\""},
             {con_riga(8, "cifra_ausiliaria = 2"),
              ", riga 8: cifra_ausiliaria deve essere 0, 1 o 3: \"2\""},
             {con_riga(9, "codice_segregazione = 7"),
              ", riga 9: codice_segregazione deve essere di 2 cifre: \"7\""},
             {con_riga(9, ""), ": con cifra_ausiliaria = 3 manca la chiave codice_segregazione "
                               "nella sezione [pagopa]"},
             {con_riga(8, "cifra_ausiliaria = 0"),
              ": con cifra_ausiliaria = 0 manca la chiave codice_applicazione nella sezione "
              "[pagopa]"},
             {con_riga(11, "riduzione_percentuale = 30%"),
              ", riga 11: riduzione_percentuale deve essere un numero da 0 a 100, al piu' con "
              "due decimali: \"30%\""},
             {con_riga(11, "riduzione_percentuale = 100.5"),
              ", riga 11: riduzione_percentuale deve essere un numero da 0 a 100, al piu' con "
              "due decimali: \"100.5\""},
             {con_riga(13, "giorni_pagamento = 0"),
              ", riga 13: giorni_pagamento deve essere un numero di giorni da 1 a 3650: \"0\""},
             {con_riga(12, "giorni_riduzione = 90"), ", riga 12: giorni_riduzione supera "
                                                     "giorni_pagamento"},
             {con_riga(3, ""), ": manca la chiave reparto nella sezione [ufficio]"},
             {con_riga(3, "reparto ="), ", riga 3: reparto e' vuoto"},
             {con_riga(5, "contatti = a\x01" "b"),
              ", riga 5: il valore di contatti non e' testo UTF-8 o contiene caratteri di "
              "controllo"},
             {con_riga(5, "contatti = Forl\xEC"),
              ", riga 5: il valore di contatti non e' testo UTF-8 o contiene caratteri di "
              "controllo"},
             {con_riga(12, "giorni_riduzone = 5"),
              ", riga 12: chiave sconosciuta nella sezione [importi]: giorni_riduzone"},
             {con_riga(13, "giorni_riduzione = 6"),
              ", riga 13: la chiave giorni_riduzione e' gia' alla riga 12"},
             {con_riga(4, "  indirizzo = Piazza Saffi 8"),
              ", riga 4: una riga che inizia con uno spazio continua il valore di reparto: "
              "togliere gli spazi all'inizio della riga"},
             {con_riga(10, "[importi"),
              ", riga 10: non e' ne' una [sezione] ne' una riga chiave = valore"},
             {"nome = x\n" + GIUSTO, ", riga 1: la chiave nome precede ogni sezione"},
             {con_riga(4, "indirizzo = " + std::string(300, 'x')), ", riga 4: riga troppo lunga"},
         }) {
        SCOPED_TRACE(k.errore);
        c.scrivi("u.conf", k.testo);
        const IMPOSTAZIONI_LETTE l = leggi_impostazioni(f);
        EXPECT_FALSE(l.lette);
        EXPECT_EQ(l.errore, f + k.errore);
    }
    const IMPOSTAZIONI_LETTE mancante = leggi_impostazioni(c.file("nessuno.conf"));
    EXPECT_EQ(mancante.errore, "impossibile leggere le impostazioni dell'ufficio " +
                                   c.file("nessuno.conf") + " (si indicano con --ufficio FILE)");
}

TEST(NoticeSettings, FoundInTheUsersFolderBeforeTheSystems) {
    Cartella c;
    const char* prima = std::getenv("XDG_CONFIG_HOME");
    const std::string salvato = prima != nullptr ? prima : "";
    setenv("XDG_CONFIG_HOME", c.percorso.c_str(), 1);
    EXPECT_EQ(percorso_impostazioni(""), "/etc/sanzionario/ufficio.conf");
    c.scrivi("sanzionario/ufficio.conf", GIUSTO);
    EXPECT_EQ(percorso_impostazioni(""), c.percorso + "/sanzionario/ufficio.conf");
    EXPECT_EQ(percorso_impostazioni("altro.conf"), "altro.conf");
    if (prima != nullptr) setenv("XDG_CONFIG_HOME", salvato.c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
}
