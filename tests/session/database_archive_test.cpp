// Two clerks on one database archive at once, each a real program on its
// own pipes, against the suite's own server: what one confirms, the other
// sees; numbers shown on forms being filled are never given twice; a
// change of a record another clerk changed meanwhile is refused, told,
// and the record shown as it now is; a program killed in a form leaves
// nothing behind.
#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "support/driver.h"
#include "support/folder.h"
#include "support/postgresql.h"

namespace {

constexpr const char* MENU = "[7] Esci\n\n>";
constexpr const char* MENU_CONTRAVV = "[5] Menu' principale\n";
constexpr const char* PAUSA = "Premere un tasto per continuare . . .";

class DatabaseClerks : public DatabaseProva {
  protected:
    void SetUp() override {
        DatabaseProva::SetUp();
        if (IsSkipped()) return;
        OPZIONI o;
        o.argomenti = {"importa-archivio", "--database", indirizzo};
        ASSERT_EQ(esegui_programma(campione, "", o).stato, 0);
    }

    // A clerk at the fines menu of the database archive.
    std::unique_ptr<Programma> impiegato() {
        OPZIONI o;
        o.argomenti = {"--database", indirizzo};
        auto p = std::make_unique<Programma>(campione.percorso, o);
        EXPECT_TRUE(p->digita("\n", MENU));
        EXPECT_TRUE(p->digita("1\n", PAUSA));
        EXPECT_TRUE(p->digita("\n", MENU_CONTRAVV));
        return p;
    }

    // A new fine's form opened: the number it shows.
    static void apri_modulo(Programma& p) { EXPECT_TRUE(p.digita("2\n", "(gg/mm/aaaa):\n")); }
    static void conferma_modulo(Programma& p, const std::string& targa) {
        EXPECT_TRUE(p.digita("01/12/2026\nVia Roma\n" + targa + "\nSosta\n41\nn\n", PAUSA));
    }
    static void cambia_importo(Programma& p, const std::string& numero, const std::string& importo) {
        EXPECT_TRUE(p.digita("3\n" + numero + "\n", "X per uscire... "));
        EXPECT_TRUE(p.digita("\n", "8 fine]\n"));
        EXPECT_TRUE(p.digita("5\n", "euro:\n"));
        p.digita(importo + "\n");
        EXPECT_TRUE(p.invia());
    }

    std::string in_tabella(const std::string& sql) { return valore(sql); }

    CartellaCampione campione;
};

TEST_F(DatabaseClerks, TwoFormsAtOnceKeepTheirNumbersAndBothFinesAreKept) {
    auto a = impiegato();
    auto b = impiegato();
    apri_modulo(*a);
    apri_modulo(*b);
    conferma_modulo(*b, "BB222BB"); // the second form confirmed first
    conferma_modulo(*a, "AA111AA");
    EXPECT_NE(a->output.find("Contravvenzione n.21 inserita correttamente."), std::string::npos);
    EXPECT_NE(b->output.find("Contravvenzione n.22 inserita correttamente."), std::string::npos);
    // In the table's order, the order the forms were opened in.
    EXPECT_EQ(in_tabella("SELECT string_agg(numero || ' ' || targa, ',' ORDER BY posizione) "
                         "FROM sanzionario.contravvenzioni WHERE numero > 20"),
              "21 AA111AA,22 BB222BB");
    // Each program sees the other's fine as it comes back to a menu.
    EXPECT_TRUE(a->digita("\n", MENU_CONTRAVV));
    EXPECT_TRUE(a->digita("1\n22\n", PAUSA));
    EXPECT_NE(a->output.find("BB222BB"), std::string::npos);
    EXPECT_EQ(in_tabella("SELECT count(*) FROM sanzionario.prenotazioni"), "0");
}

TEST_F(DatabaseClerks, AChangeOfARecordAnotherClerkChangedIsRefusedAndShownAsItIs) {
    auto a = impiegato();
    auto b = impiegato();
    cambia_importo(*a, "5", "50");
    EXPECT_TRUE(a->attendi("50.00 euro"));
    EXPECT_EQ(in_tabella("SELECT importo FROM sanzionario.contravvenzioni WHERE numero = 5"), "50");
    // B's lists were read before A's change: B's own change of it is refused.
    cambia_importo(*b, "5", "60");
    EXPECT_TRUE(b->attendi("La contravvenzione com'e' ora:"));
    EXPECT_NE(b->output.find("ha cambiato questi dati il "), std::string::npos);
    EXPECT_NE(b->output.find(": l'operazione non e' stata registrata.\n"), std::string::npos);
    EXPECT_TRUE(b->attendi("Importo della multa  : 50.00 euro", b->output.find("com'e' ora")));
    EXPECT_EQ(in_tabella("SELECT importo FROM sanzionario.contravvenzioni WHERE numero = 5"), "50");
    // One operation in the log, one register entry for it.
    EXPECT_EQ(in_tabella("SELECT count(*) FROM sanzionario.operazioni"), "1");
    EXPECT_EQ(in_tabella("SELECT count(*) FROM sanzionario.registro WHERE voce LIKE "
                         "'%\"evento\":\"operazione\"%'"),
              "1");
}

TEST_F(DatabaseClerks, AProgramKilledInAFormLeavesNoRecordAndGivesBackItsNumber) {
    auto a = impiegato();
    apri_modulo(*a);
    EXPECT_EQ(in_tabella("SELECT count(*) FROM sanzionario.prenotazioni"), "1");
    a->uccidi(SIGKILL);
    auto b = impiegato();
    apri_modulo(*b);
    conferma_modulo(*b, "BB222BB");
    EXPECT_NE(b->output.find("Contravvenzione n.21 inserita correttamente."), std::string::npos);
    EXPECT_EQ(in_tabella("SELECT count(*) FROM sanzionario.contravvenzioni"), "21");
}

} // namespace
