// The searches by plate and by owner of the search menu.
#include "search/helpers.h"
#include "search/search.h"

namespace {

const std::string CHIEDI_TARGA = "\nInserire la targa, o parte di essa, del veicolo da cercare\n"
                                 "(premere INVIO per tornare al menu')\n>";
const std::string SEGUENTE_CONTRAVV =
    "\nPremere invio per visualizzare la contravvenzione successiva, X per uscire... ";
const std::string CHIEDI_ANAGRAF =
    "\nInserire il cognome, o parte di esso, oppure il codice fiscale del proprietario\n"
    "(premere INVIO per tornare al menu')\n>";
const std::string SEGUENTE_ANAGRAF =
    "\nPremere invio per visualizzare i dati successivi, X per uscire... ";

// Fines 1 AB123CD, 2 ZZ999ZZ, 3 XAB12YY; 1 and 2 of owner ROSSI, none of ROSSINI,
// 3 of BIANCHI.
struct SearchFind : ListeVuote {
    NODO_ANAGRAF *rossi, *rossini, *bianchi;
    NODO_CONTRAVV *uno, *due, *tre;
    void SetUp() override {
        ListeVuote::SetUp();
        rossi = aggiungi_anagraf(1);
        rossini = aggiungi_anagraf(2, "ROSSINI");
        bianchi = aggiungi_anagraf(3, "BIANCHI");
        copia_campo(rossini->codice_fiscale, "RSSMRA70C05F205Y");
        copia_campo(bianchi->codice_fiscale, "BNCLRA80A01H501X");
        uno = aggiungi_contravv(1, rossi);
        due = aggiungi_contravv(2, rossi);
        tre = aggiungi_contravv(3, bianchi);
        copia_campo(due->targa, "ZZ999ZZ");
        copia_campo(tre->targa, "XAB12YY");
    }
    std::string cerca_targa(const std::string& digitato, int esito) {
        ConsoleFinta c(digitato);
        EXPECT_EQ(cerca_contravv(lista_contravv), esito);
        return c.testo();
    }
    std::string cerca_persona(const std::string& digitato, int esito) {
        ConsoleFinta c(digitato);
        EXPECT_EQ(cerca_anagraf(lista_anagraf), esito);
        return c.testo();
    }
};

} // namespace

TEST_F(SearchFind, PlateInLowerCaseFindsOneFine) {
    const std::string b = blocco(due);
    EXPECT_EQ(cerca_targa("z9\n\n\n", 0), CHIEDI_TARGA + b + SEGUENTE_CONTRAVV + FINE_RICERCA);
}

TEST_F(SearchFind, SeveralPlatesPagedWithEnterAndWithX) {
    const std::string b1 = blocco(uno), b3 = blocco(tre);
    EXPECT_EQ(cerca_targa("AB12\n\n\n\n", 0),
              CHIEDI_TARGA + b1 + SEGUENTE_CONTRAVV + b3 + SEGUENTE_CONTRAVV + FINE_RICERCA);
    EXPECT_EQ(cerca_targa("ab12\nX\n", 0), CHIEDI_TARGA + b1 + SEGUENTE_CONTRAVV);
}

TEST_F(SearchFind, PlateNotFoundOrNotGiven) {
    EXPECT_EQ(cerca_targa("AB123CE\n\n", -1),
              CHIEDI_TARGA + "\nNessuna contravvenzione trovata per la targa indicata.\n" + PAUSA);
    EXPECT_EQ(cerca_targa("\n", 1), CHIEDI_TARGA);
}

TEST_F(SearchFind, SurnamePartFindsSeveralOwnersWithTheirFines) {
    const std::string s1 = scheda(rossi), s2 = scheda(rossini);
    EXPECT_EQ(cerca_persona("oss\n\n\n\n", 0),
              CHIEDI_ANAGRAF + s1 + "\nContravvenzioni associate: 1, 2\n" + SEGUENTE_ANAGRAF + s2 +
                  "\nNessuna contravvenzione associata\n" + SEGUENTE_ANAGRAF + FINE_RICERCA);
    EXPECT_EQ(cerca_persona("ROSS\nx\n", 0),
              CHIEDI_ANAGRAF + s1 + "\nContravvenzioni associate: 1, 2\n" + SEGUENTE_ANAGRAF);
}

TEST_F(SearchFind, TaxCodeMustBeWholeInEitherCase) {
    const std::string s3 = scheda(bianchi);
    EXPECT_EQ(cerca_persona("bnclra80a01h501x\n\n\n", 0), CHIEDI_ANAGRAF + s3 +
                                                              "\nContravvenzioni associate: 3\n" +
                                                              SEGUENTE_ANAGRAF + FINE_RICERCA);
    EXPECT_EQ(
        cerca_persona("BNCLRA80\n\n", -1),
        CHIEDI_ANAGRAF +
            "\nNessun dato anagrafico trovato per il cognome o il codice fiscale indicato.\n" +
            PAUSA);
    EXPECT_EQ(cerca_persona("\n", 1), CHIEDI_ANAGRAF);
}

TEST_F(SearchFind, EveryOwnerOfAManyResultSearchShowsItsOwnFines) {
    // Forty more owners named VERDI, the fines of each recorded in reverse
    // order of the owners, two for the last one: the fines shown after
    // each block are its own, in list order, past any batch of results.
    std::vector<NODO_ANAGRAF*> verdi;
    for (uint32_t i = 0; i < 40; ++i) verdi.push_back(aggiungi_anagraf(10 + i, "VERDI"));
    for (uint32_t i = 0; i < 40; ++i) aggiungi_contravv(100 + i, verdi[39 - i]);
    aggiungi_contravv(200, verdi[39]);
    std::string atteso = CHIEDI_ANAGRAF;
    for (uint32_t i = 0; i < 40; ++i)
        atteso += scheda(verdi[i]) + "\nContravvenzioni associate: " + std::to_string(139 - i) +
                  (i == 39 ? ", 200\n" : "\n") + SEGUENTE_ANAGRAF;
    EXPECT_EQ(cerca_persona("verdi" + std::string(41, '\n'), 0), atteso + FINE_RICERCA);
}
