// Two clerks on one database archive at once, each a real program on a
// pseudo-terminal of its own, against the suite's own server: what one
// confirms, the other sees; numbers shown on forms being filled are never
// given twice; a change of a record another clerk changed meanwhile is
// refused, told, and the record shown as it now is; a program killed in a
// form or in a confirmation leaves nothing behind; a server that goes
// away loses nothing typed.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <libpq-fe.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "support/driver.h"
#include "support/folder.h"
#include "support/postgresql.h"

namespace {

constexpr const char* MENU = "[7] Esci";
constexpr const char* PAUSA = "Premere un tasto per continuare . . .";
constexpr const char* RIFIUTO = "ha cambiato questi dati il ";

// What is typed, and what shows once it is done ("" for nothing to wait for).
struct PASSO {
    std::string digitato;
    std::string atteso;
};
using PASSI = std::vector<PASSO>;

// From the main menu to a fine's amount in the edit screen.
PASSI fino_all_importo(const std::string& numero) {
    return {{"1\r", "[5] Menu' principale"},
            {"3\r", "modificarla"},
            {numero + "\r", "X per uscire... "},
            {"\r", "8 fine]"},
            {"5\r", "euro:"}};
}
// From the main menu to a fine's payment date.
PASSI fino_al_pagamento(const std::string& numero) {
    return {{"3\r", "[6] Menu' principale"},
            {"2\r", "senza dati anagrafici."},
            {numero + "\r", "Inserire la data del pagamento:"}};
}

class DatabaseClerks : public DatabaseProva {
  protected:
    void SetUp() override {
        DatabaseProva::SetUp();
        if (IsSkipped()) return;
        OPZIONI o;
        o.argomenti = {"importa-archivio", "--database", indirizzo};
        ASSERT_EQ(esegui_programma(campione, "", o).stato, 0);
    }

    // A clerk at the main menu of the database archive, loaded; as the
    // login role `ruolo` when given.
    std::unique_ptr<Programma> impiegato(const std::string& ruolo = "") {
        OPZIONI o;
        o.terminale = true;
        o.argomenti = {"--database", indirizzo + (ruolo.empty() ? "" : " user=" + ruolo)};
        auto p = std::make_unique<Programma>(campione.percorso, o);
        esegui(*p, {{"\r", MENU}, {"5\r", PAUSA}, {" ", MENU}});
        return p;
    }

    static void esegui(Programma& p, const PASSI& passi) {
        for (const PASSO& s : passi)
            EXPECT_TRUE(p.digita(s.digitato, s.atteso)) << s.digitato << "\n" << p.output;
    }

    // The suite's superuser on the cluster's own database, for what a
    // clerk's program cannot do: hold the archive's lock, shut the door.
    std::string amministra(const std::string& sql) {
        PGconn* c = PQconnectdb((cluster + " dbname=postgres").c_str());
        PGresult* r = PQexec(c, sql.c_str());
        std::string errore = PQresultStatus(r) == PGRES_COMMAND_OK ? "" : PQerrorMessage(c);
        PQclear(r);
        PQfinish(c);
        return errore;
    }

    // Waits until no living connection holds a number (a killed program's
    // connection ends as soon as the server notices it); false after 10 s.
    bool senza_prenotazioni_vive() {
        for (int i = 0; i < 200; ++i) {
            if (valore("SELECT count(*) FROM sanzionario.prenotazioni p JOIN pg_stat_activity s "
                       "ON s.pid = p.processo") == "0")
                return true;
            usleep(50000);
        }
        return false;
    }

    CartellaCampione campione;
};

TEST_F(DatabaseClerks, TwoFormsAtOnceKeepTheirNumbersAndBothFinesAreKept) {
    // Two clerks with login roles of their own, with the clerks' grants
    // alone: neither may see when the other's connection began.
    ASSERT_EQ(sql(leggi_file(SANZIONARIO_TESTS_DIR "/../sql/ruoli.sql")), "");
    const std::string ra = "mario_" + nome, rb = "anna_" + nome;
    ASSERT_EQ(sql("CREATE ROLE " + ra + " LOGIN IN ROLE sanzionario_impiegato; CREATE ROLE " + rb +
                  " LOGIN IN ROLE sanzionario_impiegato"),
              "");
    auto a = impiegato(ra);
    auto b = impiegato(rb);
    const PASSI apri = {{"1\r", "[5] Menu' principale"}, {"2\r", "(gg/mm/aaaa):"}};
    const auto conferma = [](const std::string& targa) -> PASSI {
        return {{"01/12/2026\rVia Roma\r" + targa + "\rSosta\r41\r", "(s/n)"}, {"n\r", PAUSA}};
    };
    esegui(*a, apri);
    esegui(*b, apri);
    esegui(*b, conferma("BB222BB")); // the second form confirmed first
    esegui(*a, conferma("AA111AA"));
    EXPECT_NE(a->output.find("Contravvenzione n.21 inserita correttamente."), std::string::npos);
    EXPECT_NE(b->output.find("Contravvenzione n.22 inserita correttamente."), std::string::npos);
    // In the table's order, the order the forms were opened in.
    EXPECT_EQ(valore("SELECT string_agg(numero || ' ' || targa, ',' ORDER BY posizione) "
                     "FROM sanzionario.contravvenzioni WHERE numero > 20"),
              "21 AA111AA,22 BB222BB");
    // Each program sees the other's fine as it comes back to a menu.
    esegui(*a, {{" ", "[5] Menu' principale"}, {"1\r", "tutte]"}, {"22\r", PAUSA}});
    EXPECT_NE(a->output.find("BB222BB"), std::string::npos);
    EXPECT_EQ(valore("SELECT count(*) FROM sanzionario.prenotazioni"), "0");
}

// The screens that do not speak of files say on the database, byte for
// byte, what they say on the files the database was imported from.
TEST_F(DatabaseClerks, EveryScreenButLoadAndSaveIsTheSameAsOnTheFiles) {
    const std::string caricato = "Caricamento avvenuto correttamente.";
    const std::string giro = "1\n1\n5\n\n5\n"    // a fine shown
                             "3\n5\n\n6\n"         // the payment statistics
                             "4\n4\n\n\n\n\n5\n" // the unpaid fines, walked
                             "2\n1\n3\n\n5\n";    // an owner shown
    OPZIONI su_db;
    su_db.argomenti = {"--database", indirizzo};
    const Sessione file = esegui_programma(campione, "\n5\n\n\n\n" + giro + "7\n3\n\n");
    const Sessione db = esegui_programma(campione, "\n5\n\n" + giro + "7\n\n", su_db);
    ASSERT_EQ(file.stato, 0);
    ASSERT_EQ(db.stato, 0) << db.errori;
    // From the end of the load to the last main menu, the one of "Esci".
    const auto parte = [&](const std::string& o) {
        const std::size_t da = o.find(caricato);
        return o.substr(da, o.rfind(MENU) - da);
    };
    EXPECT_EQ(parte(db.output), parte(file.output));
    EXPECT_GT(parte(file.output).size(), 2000u);
}

// The same record changed by two clerks: B confirms while A's screen is
// open, then A confirms and is refused.
struct CONFLITTO {
    const char* caso;
    PASSI a_prima;      // A, up to the last question of its change
    PASSI b;            // B's whole change, confirmed
    std::string a_dopo; // A's answer to that question
    std::string mostrato; // in the record A is shown as it now is
    std::string query, valore; // the database keeps B's change, and nothing of A's
};

TEST_F(DatabaseClerks, TheLaterChangeOfARecordIsRefusedToldAndShownAsItNowIs) {
    const std::vector<CONFLITTO> casi = {
        {"the same fine edited", fino_all_importo("5"),
         [] {
             PASSI p = fino_all_importo("5");
             p.push_back({"50\r", "8 fine]"});
             return p;
         }(),
         "60\r", "Importo della multa  : 50.00 euro",
         "SELECT importo FROM sanzionario.contravvenzioni WHERE numero = 5", "50"},
        {"the same fine paid", fino_al_pagamento("3"),
         [] {
             PASSI p = fino_al_pagamento("3");
             p.push_back({"05/12/2026\r", "Pagamento aggiunto."});
             return p;
         }(),
         "06/12/2026\r", "5/12/2026",
         "SELECT data_pagamento FROM sanzionario.contravvenzioni WHERE numero = 3", "20261205"},
        {"the owner of the fine removed", fino_all_importo("5"),
         {{"2\r", "[5] Menu' principale"},
          {"4\r", "eliminarli"},
          {"1\r", "X per uscire... "},
          {"\r", "Dati anagrafici eliminati"}},
         "60\r", "Importo della multa  : 42.00 euro",
         "SELECT coalesce(proprietario::text, 'nessuno') || ' ' || importo FROM "
         "sanzionario.contravvenzioni WHERE numero = 5",
         "nessuno 42"},
    };
    for (const CONFLITTO& k : casi) {
        SCOPED_TRACE(k.caso);
        sql("TRUNCATE sanzionario.contravvenzioni, sanzionario.anagrafica, sanzionario.operazioni");
        OPZIONI o;
        o.argomenti = {"importa-archivio", "--sostituisci", "--database", indirizzo};
        ASSERT_EQ(esegui_programma(campione, "", o).stato, 0);
        auto a = impiegato();
        auto b = impiegato();
        esegui(*a, k.a_prima);
        esegui(*b, k.b);
        const std::size_t da = a->output.size();
        a->digita(k.a_dopo);
        EXPECT_TRUE(a->attendi("com'e' ora:", da)) << a->output.substr(da);
        EXPECT_NE(a->output.find(RIFIUTO, da), std::string::npos);
        EXPECT_NE(a->output.find(": l'operazione non e' stata registrata.", da), std::string::npos);
        EXPECT_TRUE(a->attendi(k.mostrato, a->output.find("com'e' ora:", da)));
        EXPECT_EQ(valore(k.query), k.valore);
        EXPECT_EQ(valore("SELECT count(*) FROM sanzionario.operazioni"), "1");
    }
}

TEST_F(DatabaseClerks, AProgramKilledInAFormOrInAConfirmationLeavesNothingBehind) {
    // Killed in a form: its number goes to the next new fine.
    auto a = impiegato();
    esegui(*a, {{"1\r", "[5] Menu' principale"}, {"2\r", "(gg/mm/aaaa):"}});
    EXPECT_EQ(valore("SELECT count(*) FROM sanzionario.prenotazioni"), "1");
    a->uccidi(SIGKILL);
    ASSERT_TRUE(senza_prenotazioni_vive());
    // Killed while its confirmation waits for the archive's lock, which
    // the administrator holds: nothing of it is written, nothing held.
    auto b = impiegato();
    esegui(*b, fino_all_importo("5"));
    PGconn* c = PQconnectdb(indirizzo.c_str());
    PQclear(PQexec(c, "SELECT pg_advisory_lock(hashtext('sanzionario.archivio'))"));
    b->digita("99\r");
    b->invia();
    EXPECT_FALSE(b->attendi("8 fine]", b->output.size(), 1));
    b->uccidi(SIGKILL);
    PQfinish(c);
    auto d = impiegato();
    esegui(*d, {{"1\r", "[5] Menu' principale"},
                {"2\r", "(gg/mm/aaaa):"},
                {"01/12/2026\rVia Roma\rCC333CC\rSosta\r41\r", "(s/n)"},
                {"n\r", PAUSA}});
    EXPECT_NE(d->output.find("Contravvenzione n.21 inserita correttamente."), std::string::npos);
    EXPECT_EQ(valore("SELECT importo FROM sanzionario.contravvenzioni WHERE numero = 5"), "42");
    EXPECT_EQ(valore("SELECT count(*) FROM sanzionario.operazioni"), "1");
}

TEST_F(DatabaseClerks, AConnectionCutUnderAClerkIsMadeAgainAndTheOperationGoesThrough) {
    auto a = impiegato();
    esegui(*a, fino_all_importo("5"));
    amministra("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = '" + nome +
               "'");
    esegui(*a, {{"50\r", "8 fine]"}});
    EXPECT_EQ(valore("SELECT importo FROM sanzionario.contravvenzioni WHERE numero = 5"), "50");
    EXPECT_EQ(a->output.find("Il database non risponde"), std::string::npos);
}

// The server itself stopped under a clerk and started again: a cluster
// of this test's own, so that no other test loses its server.
TEST_F(DatabaseClerks, AServerStoppedUnderAClerkLosesNothingTypedAndIsUsedAgainWhenBack) {
    const std::string script = SANZIONARIO_TESTS_DIR "/support/postgresql_cluster.sh";
    Cartella stato;
    const std::string file_stato = stato.file("cluster");
    const auto cluster_proprio = [&](const char* azione) {
        return std::system(("sh '" + script + "' " + azione + " '" + file_stato + "'").c_str());
    };
    struct ALLA_FINE {
        std::function<void()> f;
        ~ALLA_FINE() { f(); }
    } ferma{[&] { cluster_proprio("stop"); }};
    ASSERT_EQ(cluster_proprio("start"), 0);
    const std::string proprio = leggi_file(file_stato).substr(0, leggi_file(file_stato).find('\n'));
    PGconn* c = PQconnectdb((proprio + " dbname=postgres").c_str());
    PQclear(PQexec(c, "CREATE DATABASE archivio"));
    PQfinish(c);
    const std::string archivio = proprio + " dbname=archivio";
    OPZIONI o;
    o.argomenti = {"importa-archivio", "--database", archivio};
    ASSERT_EQ(esegui_programma(campione, "", o).stato, 0);
    o.argomenti = {"--database", archivio};
    o.terminale = true;
    Programma a(campione.percorso, o);
    esegui(a, {{"\r", MENU}, {"5\r", PAUSA}, {" ", MENU}});
    esegui(a, fino_all_importo("5"));

    ASSERT_EQ(cluster_proprio("pause"), 0);
    esegui(a, {{"60\r", "Riprovare? (s/n)"}});
    EXPECT_NE(a.output.find("Il database non risponde ("), std::string::npos);
    EXPECT_NE(a.output.find("): l'operazione non e' ancora registrata."), std::string::npos);
    // Asked again while it is still away: told again.
    const std::size_t prima = a.output.size();
    esegui(a, {{"s\r", "Riprovare? (s/n)"}});
    ASSERT_EQ(cluster_proprio("resume"), 0);
    esegui(a, {{"s\r", "8 fine]"}});
    EXPECT_NE(a.output.find("Il database non risponde (", prima), std::string::npos);
    EXPECT_NE(a.output.find("Importo della multa  : 60.00 euro", prima), std::string::npos);
    c = PQconnectdb(archivio.c_str());
    PGresult* r = PQexec(c, "SELECT importo FROM sanzionario.contravvenzioni WHERE numero = 5");
    EXPECT_STREQ(PQgetvalue(r, 0, 0), "60");
    PQclear(r);
    PQfinish(c);
    a.uccidi(SIGKILL);
}

} // namespace
