// The fines menu dialogue: choices, viewing one fine, paging through all
// of them, and recording with its pauses.
#include "fines/fines.h"
#include "fines/fixtures.h"

namespace {

const std::string MENU = "\f\n MENU' CONTRAVVENZIONI\n_________________________\n\n"
                         "[1] Visualizza una contravvenzione\n"
                         "[2] Inserisci una nuova contravvenzione\n"
                         "[3] Modifica una contravvenzione\n"
                         "[4] Elimina una contravvenzione\n"
                         "[5] Menu' principale\n\n>";
const std::string VISTA = "\f\n VISUALIZZA CONTRAVVENZIONE\n____________________________\n"
                          "\nInserire il numero della contravvenzione da visualizzare\n"
                          "[0 per visualizzarle tutte]\n>";
const std::string AVANTI =
    "\nPremere invio per visualizzare la contravvenzione successiva, X per uscire... ";
const std::string FINE_ELENCO = "\nFine elenco contravvenzioni.\n" + PAUSA;
const std::string ESCI = "\f" + MENU + "\f"; // back to the menu, then item 5

std::string menu(const std::string& digitato) {
    ConsoleFinta c(digitato);
    menu_contravv();
    return c.testo();
}

} // namespace

using FinesMenuDialogue = ListeVuote;

TEST_F(FinesMenuDialogue, ChoiceOutOfRangeOnlyRepeatsThePrompt) {
    EXPECT_EQ(menu("7\n0\na\n\n5\n"), MENU + ">>>\f");
}

TEST_F(FinesMenuDialogue, ViewOneFoundNotFoundAndEmptyList) {
    EXPECT_EQ(menu("1\n4\n\n5\n"),
              MENU + VISTA + "\nNon e' presente alcuna contravvenzione.\n" + PAUSA + ESCI);
    aggiungi_contravv(1);
    aggiungi_contravv(2);
    EXPECT_EQ(menu("1\n2\n\n1\n3\n\n5\n"),
              MENU + VISTA + blocco_senza_anagraf(2) + PAUSA + "\f" + MENU + VISTA +
                  "\nLa contravvenzione cercata non e' stata trovata.\n" + PAUSA + ESCI);
}

TEST_F(FinesMenuDialogue, AllFinesOfAnEmptyList) {
    EXPECT_EQ(menu("1\n\n\n5\n"),
              MENU + VISTA + "\nNon e' presente alcuna contravvenzione.\n" + PAUSA + ESCI);
}

TEST_F(FinesMenuDialogue, PagingToTheEndWithEnterXxAndBlankX) {
    aggiungi_contravv(1, nullptr, DATA{0, 0, 0}, "Roma");
    aggiungi_contravv(1, nullptr, DATA{0, 0, 0}, "Napoli");
    aggiungi_contravv(2);
    EXPECT_EQ(menu("1\n0\nxx\n x\n\n\n5\n"), MENU + VISTA + blocco_senza_anagraf(1, "Roma") +
                                                 AVANTI + blocco_senza_anagraf(1, "Napoli") +
                                                 AVANTI + blocco_senza_anagraf(2) + AVANTI +
                                                 FINE_ELENCO + ESCI);
}

TEST_F(FinesMenuDialogue, PagingLeftWithXAtTheFirstAndAtTheLast) {
    aggiungi_contravv(1);
    aggiungi_contravv(2);
    EXPECT_EQ(menu("1\n\nX\n1\n0\n\nx\n5\n"), MENU + VISTA + blocco_senza_anagraf(1) + AVANTI +
                                                  "\f" + MENU + VISTA + blocco_senza_anagraf(1) +
                                                  AVANTI + blocco_senza_anagraf(2) + AVANTI + ESCI);
}

TEST_F(FinesMenuDialogue, RecordingPausesAndIsFoundAfterwards) {
    const std::string form =
        "\n\nInserire la data del verbale della contravvenzione (gg/mm/aaaa):\n> "
        "\nInserire il luogo in cui e' stata commessa l'infrazione (citta', via):\n> "
        "\nInserire la targa del veicolo multato:\n> "
        "\nInserire il tipo di infrazione:\n> "
        "\nInserire l'importo della multa in euro:\n> "
        "\n\nInserire subito i dati del proprietario? (s/n) ";
    EXPECT_EQ(menu("2\n12/03/2008\nMilano, viale Monza\nAB123CD\nEccesso di velocita\n41\nn\n\n"
                   "1\n1\n\n5\n"),
              MENU + "\f\n INSERIMENTO CONTRAVVENZIONE\n_____________________________\n" + form +
                  "\nContravvenzione n.1 inserita correttamente. \n" + PAUSA + "\f" + MENU + VISTA +
                  blocco_senza_anagraf(1) + PAUSA + ESCI);
}

TEST_F(FinesMenuDialogue, RecordingWithoutMemoryReportsTheError) {
    guasto_allocazione(1);
    EXPECT_EQ(menu("2\n\n\n5\n"),
              MENU + "\f\n INSERIMENTO CONTRAVVENZIONE\n_____________________________\n" +
                  "\n\nATTENZIONE: Memoria esaurita.\n\nImpossibile allocare nuova memoria\n\n" +
                  PAUSA + "\nErrore durante l'inserimento\n" + PAUSA + ESCI);
    EXPECT_EQ(lista_contravv, nullptr);
}

TEST_F(FinesMenuDialogue, DeleteHasNoPauseOfItsOwnAfterX) {
    aggiungi_contravv(1);
    EXPECT_EQ(menu("4\n1\nX\n5\n"),
              MENU + "\f\n ELIMINA CONTRAVVENZIONE\n_____________________________\n" +
                  "\nInserire il numero della contravvenzione per visualizzarla ed\n"
                  "eventualmente eliminarla\n>" +
                  blocco_senza_anagraf(1) +
                  "\nPremere INVIO per eliminare i dati della contravvenzione, X per uscire... " +
                  ESCI);
}
