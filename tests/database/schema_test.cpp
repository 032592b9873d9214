// The schema of a database archive against the real server: its steps
// from each version to the program's, a newer one left alone, and what
// the roles of sql/ruoli.sql and the register's table let each role do.
#include <gtest/gtest.h>

#include "database/schema.h"
#include "support/driver.h"
#include "support/folder.h"
#include "support/postgresql.h"

namespace {

class DatabaseSchema : public DatabaseProva {
  protected:
    // Brings the schema to `fino_a` in one transaction: the outcome, and the version found.
    std::pair<ESITO_SCHEMA, int> prepara(int fino_a = VERSIONE_SCHEMA) {
        DATABASE db;
        EXPECT_EQ(collega(indirizzo, db), ESITO_COLLEGAMENTO::COLLEGATO) << db.errore;
        int trovata = -1;
        EXPECT_TRUE(esegui(db, "BEGIN"));
        const ESITO_SCHEMA esito = prepara_schema(db, trovata, fino_a);
        EXPECT_TRUE(esegui(db, esito == ESITO_SCHEMA::PRONTO ? "COMMIT" : "ROLLBACK"));
        return {esito, trovata};
    }
};

} // namespace

// From nothing, and from version 1 holding an archive, to the program's
// version, keeping the rows; at it, nothing to do; a newer one refused
// with nothing touched.
TEST_F(DatabaseSchema, StepsFromEachVersionToTheProgramsAndANewerOneIsLeftAlone) {
    struct CASO {
        int da;
        ESITO_SCHEMA esito;
    };
    const int piu_nuova = VERSIONE_SCHEMA + 1;
    for (const CASO& k :
         {CASO{0, ESITO_SCHEMA::PRONTO}, CASO{1, ESITO_SCHEMA::PRONTO},
          CASO{VERSIONE_SCHEMA, ESITO_SCHEMA::PRONTO}, CASO{piu_nuova, ESITO_SCHEMA::PIU_NUOVO}}) {
        SCOPED_TRACE(k.da);
        ASSERT_EQ(sql("DROP SCHEMA IF EXISTS sanzionario CASCADE"), "");
        if (k.da > 0) {
            ASSERT_EQ(prepara(std::min(k.da, VERSIONE_SCHEMA)).first, ESITO_SCHEMA::PRONTO);
            ASSERT_EQ(sql("INSERT INTO sanzionario.anagrafica VALUES "
                          "(7, 1, 'ROSSI', 'MARIO', 19700305, '', 'Forlì', 'FC', '', '', '')"),
                      "");
        }
        if (k.da == piu_nuova) {
            ASSERT_EQ(sql("INSERT INTO sanzionario.versione_schema (versione) VALUES (" +
                          std::to_string(piu_nuova) + ")"),
                      "");
        }
        const auto [esito, trovata] = prepara();
        EXPECT_EQ(esito, k.esito);
        EXPECT_EQ(trovata, k.da);
        EXPECT_EQ(valore("SELECT max(versione) FROM sanzionario.versione_schema"),
                  std::to_string(std::max(k.da, VERSIONE_SCHEMA)));
        EXPECT_EQ(valore("SELECT count(*) FROM sanzionario.versione_schema"),
                  std::to_string(k.da == piu_nuova ? piu_nuova : VERSIONE_SCHEMA));
        EXPECT_EQ(valore("SELECT citta FROM sanzionario.anagrafica WHERE codice = 7"),
                  k.da > 0 ? "Forlì" : "");
        EXPECT_EQ(valore("SELECT to_regclass('sanzionario.registro') IS NOT NULL"), "t");
    }
}

// A role that owns its database and nothing more imports an archive; the
// roles' file, run as the superuser, lets the clerk change fines and add
// to the register and the reader only read; nobody, the owner included,
// changes or removes an entry of the register.
TEST_F(DatabaseSchema, EachRoleMayDoWhatItsGrantsSayAndTheRegisterOnlyGrows) {
    const std::string suffisso = "_" + nome;
    const std::string ufficio = "ufficio" + suffisso, impiegato = "impiegato" + suffisso,
                      lettore = "lettore" + suffisso;
    ASSERT_EQ(
        sql("CREATE ROLE " + ufficio + " LOGIN; ALTER DATABASE " + nome + " OWNER TO " + ufficio),
        "");
    CartellaCampione c;
    OPZIONI o;
    o.argomenti = {"importa-archivio", "--database", indirizzo + " user=" + ufficio};
    const Sessione s = esegui_programma(c, "", o);
    ASSERT_EQ(s.stato, 0) << s.errori;
    ASSERT_EQ(sql(leggi_file(SANZIONARIO_TESTS_DIR "/../sql/ruoli.sql")), "");
    ASSERT_EQ(sql(leggi_file(SANZIONARIO_TESTS_DIR "/../sql/ruoli.sql")), ""); // again: nothing new
    ASSERT_EQ(sql("CREATE ROLE " + impiegato +
                  " LOGIN IN ROLE sanzionario_impiegato; CREATE ROLE " + lettore +
                  " LOGIN IN ROLE sanzionario_lettore"),
              "");
    struct CASO {
        std::string ruolo, sql;
        bool permesso;
    };
    for (const CASO& k : std::vector<CASO>{
             {impiegato, "UPDATE sanzionario.contravvenzioni SET importo = 50 WHERE numero = 2",
              true},
             {impiegato,
              "INSERT INTO sanzionario.anagrafica SELECT 99, 99, cognome, nome, "
              "data_nascita, indirizzo, citta, provincia, cap, codice_fiscale, patente "
              "FROM sanzionario.anagrafica WHERE codice = 1",
              true},
             {impiegato,
              "INSERT INTO sanzionario.modifiche (tabella, chiave, operazione) "
              "VALUES ('contravvenzioni', 2, 'modifica')",
              true},
             {impiegato, "INSERT INTO sanzionario.registro (voce) VALUES ('{}')", true},
             {impiegato, "UPDATE sanzionario.registro SET voce = 'x'", false},
             {impiegato, "DELETE FROM sanzionario.modifiche", false},
             {impiegato, "DROP TABLE sanzionario.contravvenzioni", false},
             {ufficio, "DELETE FROM sanzionario.registro", false},
             {ufficio, "TRUNCATE sanzionario.registro", false},
             {ufficio, "UPDATE sanzionario.registro SET voce = 'x'", false},
             {lettore, "SELECT count(*) FROM sanzionario.contravvenzioni, sanzionario.registro",
              true},
             {lettore, "DELETE FROM sanzionario.contravvenzioni", false},
             {lettore, "INSERT INTO sanzionario.registro (voce) VALUES ('{}')", false}}) {
        SCOPED_TRACE(k.ruolo + ": " + k.sql);
        EXPECT_EQ(sql(k.sql, k.ruolo).empty(), k.permesso);
    }
    EXPECT_EQ(valore("SELECT count(*) FROM sanzionario.registro"), "1");
}
