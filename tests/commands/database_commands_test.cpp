// The commands on a database archive against the real server: what they
// give out is what they give out on the files the archive came from; the
// import records its payments as one operation or none; the register is
// read and verified from its table.
#include <gtest/gtest.h>

#include <functional>
#include <libpq-fe.h>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/driver.h"
#include "support/folder.h"
#include "support/postgresql.h"

namespace {

const std::string PAGAMENTI = "Numero,Data pagamento,Importo\n3,2026-04-10,167\n5,2026-04-11,42\n";

class DatabaseArchiveCommands : public DatabaseProva {
  protected:
    void SetUp() override {
        DatabaseProva::SetUp();
        if (IsSkipped()) return;
        database.scrivi("pagamenti.csv", PAGAMENTI);
        ASSERT_EQ(comando(database, {"importa-archivio", "--database", indirizzo}).stato, 0);
    }
    static Sessione comando(const Cartella& c, std::vector<std::string> argomenti,
                            std::vector<Variabile> ambiente = {}) {
        OPZIONI o;
        o.argomenti = std::move(argomenti);
        o.ambiente = std::move(ambiente);
        return esegui_programma(c, "", o);
    }
    // The database as the messages and reports name it.
    std::string nome_del_database() const {
        const auto parte = [&](const std::string& chiave) {
            const std::size_t da = cluster.find(chiave + "=") + chiave.size() + 1;
            return cluster.substr(da, cluster.find(' ', da) - da);
        };
        return "database " + nome + " (server " + parte("host") + ", utente " + parte("user") + ")";
    }
    // The commands on the database run in this folder, whose files are
    // the sample archive the database was imported from and stay so.
    CartellaCampione database;
};

// A history with each heading's number, time, user, host and process, and
// the folder it ran in, written as placeholders.
std::string senza_variabili(const Cartella& c, std::string testo) {
    static const std::regex intestazione("Voce n\\.[0-9]+ - [^\n]+\n");
    testo = std::regex_replace(testo, intestazione, "Voce - <quando e chi>\n");
    for (std::size_t p; (p = testo.find(c.percorso)) != std::string::npos;)
        testo.replace(p, c.percorso.size(), "<cartella>");
    return testo;
}

} // namespace

// Each command in turn on the database archive, named by --database or by
// the variable: its output against the same command on files (a second
// copy of the sample archive, which takes the same payments), the tables
// after it, and the register's table as `registro` reads and verifies it,
// then altered by the superuser.
TEST_F(DatabaseArchiveCommands, EveryCommandWorksOnTheDatabaseAsOnTheFilesItCameFrom) {
    CartellaCampione file;
    file.scrivi("pagamenti.csv", PAGAMENTI);
    const auto sui_file = [&](std::vector<std::string> argomenti) {
        const Sessione s = comando(file, std::move(argomenti));
        EXPECT_EQ(s.errori, "");
        return s.output;
    };
    const std::vector<Variabile> variabile = {{"SANZIONARIO_DATABASE", indirizzo}};
    const std::string opzione = "--database=" + indirizzo;
    const std::string nel = nome_del_database();
    const std::string tabelle_non_confrontate =
        "Le tabelle non sono confrontate con un salvataggio: nel database ogni operazione e' "
        "scritta con la sua voce in una sola transazione.\n";
    const auto controllo = [&](const std::string& registro, const std::string& esito) {
        return "Archivio: " + nel +
               "\nContravvenzioni: 20\nDati anagrafici: 10\n"
               "Contravvenzioni collegate a dati anagrafici mancanti: nessuna (il database non "
               "le ammette)\n"
               "Numeri di contravvenzione ripetuti: nessuno (il database non li ammette)\n"
               "Codici anagrafici ripetuti: nessuno (il database non li ammette)\n"
               "Contravvenzioni pagate senza dati anagrafici: nessuna\n"
               "Registro delle modifiche: " +
               registro + "\nEsito: " + esito + "\n";
    };
    const auto ultimo_hash = [&] {
        return valore("SELECT voce::json->>'hash' FROM sanzionario.registro ORDER BY posizione "
                      "DESC LIMIT 1");
    };
    const std::string pagate = "SELECT string_agg(numero || ':' || data_pagamento, ',' ORDER BY "
                               "numero) FROM sanzionario.contravvenzioni WHERE numero IN (3, 5) "
                               "AND pagata";
    const std::string operazioni = "SELECT count(*) FROM sanzionario.operazioni";
    const std::string alterata = "Registro nel " + nel +
                                 "\nLa voce n.4 (riga 4) e' stata alterata: il suo hash non "
                                 "corrisponde al contenuto.\n";
    struct DOPO {
        std::string query, valore;
    };
    struct CASO {
        const char* nome;
        std::string prima; // statements the superuser runs before the command
        std::vector<std::string> argomenti;
        std::vector<Variabile> ambiente;
        std::function<std::string()> output;
        std::string errori; // how standard error begins
        int stato;
        bool storia = false; // a history: compared without its headings' details
        std::vector<DOPO> dopo = {};
    };
    const std::vector<CASO> casi = {
        {"esporta", "", {"esporta", opzione}, {}, [&] { return sui_file({"esporta"}); }, "", 0},
        {"rapporto CSV",
         "",
         {"rapporto", "--formato", "csv"},
         variabile,
         [&] {
             return sui_file({"rapporto", "--formato", "csv"});
         },
         "",
         0},
        {"controlla",
         "",
         {"controlla", opzione},
         {},
         [&] { return controllo("verificato", "tutto in ordine."); },
         "",
         0},
        {"importa-pagamenti --prova",
         "",
         {"importa-pagamenti", "--prova", opzione, "pagamenti.csv"},
         {},
         [&] {
             return sui_file({"importa-pagamenti", "--prova", "pagamenti.csv"});
         },
         "",
         0,
         false,
         {{operazioni, "0"}, {"SELECT count(*) FROM sanzionario.registro", "0"}}},
        // The connection cut at each try of the operation (the trigger
        // ends its own server process): the command gives up after the one
        // try again the program makes by itself, asking nothing, and
        // nothing of the operation is written.
        {"importa-pagamenti senza server",
         "CREATE FUNCTION sanzionario.taglia() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN "
         "PERFORM pg_terminate_backend(pg_backend_pid()); RETURN NEW; END$$; CREATE TRIGGER "
         "taglia BEFORE INSERT ON sanzionario.operazioni FOR EACH ROW EXECUTE FUNCTION "
         "sanzionario.taglia()",
         {"importa-pagamenti", "pagamenti.csv"},
         variabile,
         [] { return ""; },
         "sanzionario importa-pagamenti: il database non risponde (",
         1,
         false,
         {{pagate, ""}, {operazioni, "0"}}},
        {"importa-pagamenti",
         "DROP TRIGGER taglia ON sanzionario.operazioni",
         {"importa-pagamenti", "pagamenti.csv"},
         variabile,
         [&] {
             std::string atteso = sui_file({"importa-pagamenti", "pagamenti.csv"});
             atteso.replace(atteso.find("Archivio salvato."), 17,
                            "Pagamenti registrati nel database.");
             return atteso;
         },
         "",
         0,
         false,
         {{pagate, "3:20260410,5:20260411"},
          {operazioni, "1"},
          {"SELECT string_agg(voce::json->>'evento', ',' ORDER BY posizione) FROM "
           "sanzionario.registro",
           "caricamento,fine_sessione,caricamento,operazione,fine_sessione"}}},
        {"esporta dopo", "", {"esporta"}, variabile, [&] { return sui_file({"esporta"}); }, "", 0},
        // The files named on the command line win over the variable.
        {"esporta dei file",
         "",
         {"esporta", "-c", "dati/contravvenzioni.txt", "-a", "dati/anagrafica.txt"},
         variabile,
         [&] { return comando(database, {"esporta"}).output; },
         "",
         0},
        {"registro di una contravvenzione",
         "",
         {"registro", opzione, "--contravvenzione", "3"},
         {},
         [&] {
             return senza_variabili(file, sui_file({"registro", "--contravvenzione", "3"}));
         },
         "",
         0,
         true},
        {"registro --json",
         "",
         {"registro", "--json"},
         variabile,
         [&] {
             return valore("SELECT string_agg(voce, E'\\n' ORDER BY posizione) FROM "
                           "sanzionario.registro") +
                    "\n";
         },
         "",
         0},
        {"registro --verifica",
         "",
         {"registro", "--verifica", opzione},
         {},
         [&] {
             return "Registro nel " + nel + "\nCatena integra: 5 voci, ultimo hash " +
                    ultimo_hash() + "\n" + tabelle_non_confrontate +
                    "La tabella del registro accetta solo voci nuove.\n";
         },
         "",
         0},
        {"registro --verifica, tabella senza protezione",
         "ALTER TABLE sanzionario.registro DISABLE TRIGGER registro_solo_aggiunte",
         {"registro", "--verifica"},
         variabile,
         [&] {
             return "Registro nel " + nel + "\nCatena integra: 5 voci, ultimo hash " +
                    ultimo_hash() + "\n" + tabelle_non_confrontate +
                    "La tabella del registro non rifiuta piu' modifiche e cancellazioni: il suo "
                    "trigger registro_solo_aggiunte e' stato disattivato o tolto.\n";
         },
         "",
         1},
        {"registro --verifica, voce alterata",
         "UPDATE sanzionario.registro SET voce = replace(voce, 'Importazione', 'Esportazione'); "
         "ALTER TABLE sanzionario.registro ENABLE TRIGGER registro_solo_aggiunte",
         {"registro", "--verifica", opzione},
         {},
         [&] { return alterata; },
         "",
         1},
        {"controlla, registro alterato",
         "",
         {"controlla"},
         variabile,
         [&] {
             return controllo("non verificato: La voce n.4 (riga 4) e' stata alterata: il suo "
                              "hash non corrisponde al contenuto.",
                              "1 problema trovato.");
         },
         "",
         1},
        {"server irraggiungibile",
         "",
         {"esporta", "--database", "host=/nessuna/cartella"},
         {},
         [] { return ""; },
         "sanzionario esporta: impossibile leggere l'archivio nel database: ",
         1},
        {"registro, server irraggiungibile",
         "",
         {"registro"},
         {{"SANZIONARIO_DATABASE", "host=/nessuna/cartella"}},
         [] { return ""; },
         "sanzionario registro: impossibile collegarsi al database: ",
         1},
    };
    for (const CASO& k : casi) {
        SCOPED_TRACE(k.nome);
        if (!k.prima.empty()) {
            ASSERT_EQ(sql(k.prima), "");
        }
        const Sessione s = comando(database, k.argomenti, k.ambiente);
        const std::string atteso = k.output();
        EXPECT_EQ(k.storia ? senza_variabili(database, s.output) : s.output, atteso);
        EXPECT_EQ(k.errori.empty() ? s.errori : s.errori.substr(0, k.errori.size()), k.errori);
        EXPECT_EQ(s.stato, k.stato);
        for (const DOPO& d : k.dopo) EXPECT_EQ(valore(d.query), d.valore) << d.query;
    }
    // No command on the database touched the files beside it.
    std::map<std::string, std::string> come_prima = CartellaCampione().contenuto();
    come_prima["pagamenti.csv"] = PAGAMENTI;
    EXPECT_EQ(database.contenuto(), come_prima);
}

// Another clerk pays one of the fines between the import's reading of the
// archive and its transaction (held back by the archive's lock): the
// import is refused whole, told, and none of its payments is written.
TEST_F(DatabaseArchiveCommands, AnImportMeetingAnotherClerksChangeRecordsNothing) {
    const std::unique_ptr<PGconn, decltype(&PQfinish)> altro(PQconnectdb(indirizzo.c_str()),
                                                             &PQfinish);
    ASSERT_EQ(PQstatus(altro.get()), CONNECTION_OK);
    const auto esegui = [&](const std::string& testo) {
        PGresult* r = PQexec(altro.get(), testo.c_str());
        const ExecStatusType s = PQresultStatus(r);
        PQclear(r);
        return s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK;
    };
    ASSERT_TRUE(esegui("BEGIN; SELECT pg_advisory_xact_lock(hashtext('sanzionario.archivio'))"));
    OPZIONI o;
    o.argomenti = {"importa-pagamenti", "--database", indirizzo, "pagamenti.csv"};
    Programma importa(database.percorso, o);
    // Until the import waits for the lock, its reading done.
    for (int i = 0; i < 2000 && valore("SELECT count(*) FROM pg_locks WHERE locktype = "
                                       "'advisory' AND NOT granted") != "1";
         ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(esegui("UPDATE sanzionario.contravvenzioni SET pagata = true, data_pagamento = "
                       "20260409 WHERE numero = 5; INSERT INTO sanzionario.operazioni (chi, "
                       "segno, voce, contravvenzioni, anagrafica, usate, rimosse, "
                       "dopo_contravvenzioni, dopo_anagrafica) VALUES ('rossi@sportello, "
                       "processo 7', 'prova', '', '{5}', '{}', '{}', '{}', '{}', '{}'); COMMIT"));
    ASSERT_EQ(importa.termina(), 1 << 8);
    EXPECT_EQ(importa.output, "");
    EXPECT_EQ(
        std::regex_replace(importa.errori, std::regex("il [0-9/]{10} [0-9:]{5}"), "il <quando>"),
        "sanzionario importa-pagamenti: un altro impiegato (utente sanzionario_prova, "
        "rossi@sportello, processo 7) ha cambiato questi dati il <quando>: nessun "
        "pagamento e' stato registrato.\n");
    EXPECT_EQ(valore("SELECT string_agg(numero || ':' || data_pagamento, ',' ORDER BY numero) "
                     "FROM sanzionario.contravvenzioni WHERE numero IN (3, 5) AND pagata"),
              "5:20260409");
    EXPECT_EQ(valore("SELECT count(*) FROM sanzionario.registro WHERE voce::json->>'evento' = "
                     "'operazione'"),
              "0");
}
