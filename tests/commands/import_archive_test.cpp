// importa-archivio and esporta-archivio against the real server: the
// round trip files -> database -> files gives back what a save writes,
// byte for byte; what is refused, and that a refusal or a failure leaves
// the database as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/lists.h"
#include "storage/archive_files.h"
#include "support/driver.h"
#include "support/folder.h"
#include "support/postgresql.h"
#include "support/record_text.h"
#include "support/records.h"
#include "support/texts.h"

namespace {

class DatabaseCommands : public DatabaseProva {
  protected:
    Sessione comando(const Cartella& c, std::vector<std::string> argomenti,
                     std::vector<Variabile> ambiente = {}) {
        OPZIONI o;
        o.argomenti = std::move(argomenti);
        o.ambiente = std::move(ambiente);
        return esegui_programma(c, "", o);
    }
    Sessione importa(const Cartella& c, std::vector<std::string> altre = {}) {
        std::vector<std::string> a = {"importa-archivio", "--database", indirizzo};
        a.insert(a.end(), altre.begin(), altre.end());
        return comando(c, a);
    }
    // The archive the database holds, as esporta-archivio writes it into a fresh folder.
    ARCHIVIO esportato() {
        Cartella fuori;
        fuori.scrivi("dati/.tieni", "");
        const Sessione s =
            comando(fuori, {"esporta-archivio"}, {{"SANZIONARIO_DATABASE", indirizzo}});
        EXPECT_EQ(s.stato, 0) << s.errori;
        EXPECT_EQ(s.errori, "");
        return {fuori.leggi(DATI_C), fuori.leggi(DATI_A)};
    }
};

// What a save of the archive in `c` writes: the program's own load and
// save, in this process.
ARCHIVIO salvato(const Cartella& c) {
    Cartella fuori;
    EXPECT_EQ(carica_archivio(c.file(DATI_C).c_str(), c.file(DATI_A).c_str()), 0);
    EXPECT_TRUE(scrivi_archivio(fuori.file("c").c_str(), fuori.file("a").c_str()));
    libera_liste();
    return {fuori.leggi("c"), fuori.leggi("a")};
}

// Every kind of record, written by the program's own save: owners shared,
// alone and at the widest; fines with and without owner, paid and
// unpaid, one paid without owner, numbers that do not rise; every byte
// but the line end in the texts (code page 850 above 0x7F); then a fine
// naming an owner no record has, as a hand-edited file may.
ARCHIVIO ogni_tipo() {
    std::string bassi, alti;
    for (int b = 1; b < 0x80; ++b)
        if (b != '\n') bassi += static_cast<char>(b);
    for (int b = 0x80; b < 0xFF; ++b) alti += static_cast<char>(b);
    const std::string lungo(63, 'L');
    NODO_ANAGRAF* rossi = accoda_anagraf({1,
                                          "ROSSI",
                                          "MARIO",
                                          {5, 3, 1970},
                                          "VIA ROMA 10",
                                          "Forl\x8D",
                                          "47121",
                                          "FC",
                                          "RSSMRA70C05F205Z",
                                          "FC1234567A"});
    accoda_anagraf({2, "NICCOL\xB7", "ANNA", {29, 2, 2000}, "", "", "", "", "", ""});
    NODO_ANAGRAF* largo = accoda_anagraf({4294967295u,
                                          "\xFF"
                                          "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234",
                                          "\\t\\N\t\x7F",
                                          {31, 12, 9999},
                                          "PIAZZA \"DUOMO\" 1\r2",
                                          "SANT'ANGELO",
                                          "00100",
                                          "RM",
                                          "BNCNNA80A41H501U",
                                          "RM7654321B"});
    accoda_contravv({1,
                     {12, 3, 2026},
                     "Milano, via Po",
                     "AB123CD",
                     "Divieto di sosta",
                     41,
                     rossi,
                     true,
                     {20, 3, 2026}});
    accoda_contravv({2, {1, 4, 2026}, "Torino", "XY987ZT", "Eccesso di velocit\x85", 38.5, rossi});
    accoda_contravv({3, {3, 4, 2026}, lungo.c_str(), "EF456GH", bassi.c_str(), 0.01});
    accoda_contravv({4294967295u,
                     {1, 1, 0},
                     "",
                     "",
                     alti.c_str(),
                     999999999999.99,
                     largo,
                     true,
                     {31, 12, 9999}});
    accoda_contravv(
        {5, {2, 2, 2026}, "Roma", "ZZ000ZZ", "Sosta", 167, nullptr, true, {3, 2, 2026}});
    Cartella c;
    c.scrivi("dati/.tieni", "");
    EXPECT_TRUE(scrivi_archivio(c.file(DATI_C).c_str(), c.file(DATI_A).c_str()));
    libera_liste();
    return {c.leggi(DATI_C) + testo_contravv({6, {4, 4, 2026}, "Bari", "BA111AA", "Sosta", 42}, 77),
            c.leggi(DATI_A)};
}

} // namespace

// Files -> database -> files: what a save of the same archive writes, on
// the sample archive (which is in its saved form) and on every kind of record.
TEST_F(DatabaseCommands, RoundTripGivesBackTheBytesASaveWrites) {
    struct CASO {
        const char* nome;
        ARCHIVIO archivio;
        std::string importato;
    };
    for (const CASO& k :
         {CASO{"campione", archivio_campione(),
               "Creato lo schema sanzionario (versione 3).\nArchivio importato nel database: 20 "
               "contravvenzioni, 10 dati anagrafici.\n"},
          CASO{"ogni tipo", ogni_tipo(),
               "Archivio importato nel database: 6 contravvenzioni, 3 dati anagrafici.\nHa "
               "sostituito l'archivio di prima (20 contravvenzioni, 10 dati anagrafici).\n"}}) {
        SCOPED_TRACE(k.nome);
        Cartella c(k.archivio);
        const Sessione s = importa(c, {"--sostituisci"});
        EXPECT_EQ(s.output, k.importato);
        EXPECT_EQ(s.errori, "");
        ASSERT_EQ(s.stato, 0);
        const ARCHIVIO atteso = salvato(c);
        const ARCHIVIO letto = esportato();
        EXPECT_EQ(letto.contravvenzioni, atteso.contravvenzioni);
        EXPECT_EQ(letto.anagrafica, atteso.anagrafica);
        if (std::string(k.nome) == "campione") {
            EXPECT_EQ(letto.contravvenzioni, k.archivio.contravvenzioni);
            EXPECT_EQ(letto.anagrafica, k.archivio.anagrafica);
        }
    }
    // The texts are readable in the database: UTF-8, one character a byte of the files.
    EXPECT_EQ(valore("SELECT citta FROM sanzionario.anagrafica WHERE codice = 1"), "Forlì");
    EXPECT_EQ(valore("SELECT char_length(tipo) FROM sanzionario.contravvenzioni WHERE numero = "
                     "4294967295"),
              "127");
}

// What importa-archivio refuses, each time with the database left as it
// was (the sample archive imported first), and what the two options allow.
TEST_F(DatabaseCommands, ImportRefusesWhatCannotGoInAndChangesNothing) {
    CartellaCampione campione;
    ASSERT_EQ(importa(campione).stato, 0);
    const ARCHIVIO prima = esportato();
    ARCHIVIO dubbio = archivio_campione();
    dubbio.contravvenzioni.replace(dubbio.contravvenzioni.find("12/03/2026"), 10, "12/03/26");
    ARCHIVIO ripetuto = archivio_campione();
    ripetuto.contravvenzioni.replace(ripetuto.contravvenzioni.find("\n2\n"), 3, "\n1\n");
    const std::string cf = "sanzionario importa-archivio: ";
    struct CASO {
        const char* nome;
        ARCHIVIO archivio;
        std::vector<std::string> opzioni;
        std::string errori;
        int stato;
    };
    for (const CASO& k : std::vector<CASO>{
             {"gia' presente",
              archivio_campione(),
              {},
              cf + "il database contiene gia' un archivio (20 contravvenzioni, 10 dati "
                   "anagrafici): non e' stato cambiato.\nPer sostituirlo con quello dei file "
                   "usare --sostituisci.\n",
              1},
             {"letto male",
              dubbio,
              {"--sostituisci"},
              cf + "il file dati/contravvenzioni.txt non sembra un file delle contravvenzioni: 1 "
                   "record su 20 non ha la forma attesa (il primo alla riga 1).\nNulla e' stato "
                   "importato. Aprire l'archivio nel programma per controllarlo, o importarlo "
                   "come il programma lo legge con --accetta-letture-dubbie.\n",
              1},
             {"numero ripetuto",
              ripetuto,
              {"--sostituisci"},
              cf + "l'archivio non puo' andare nel database: il numero di contravvenzione 1 "
                   "compare piu' volte.\nNulla e' stato importato; 'sanzionario controlla' "
                   "riferisce sull'archivio.\n",
              1}}) {
        SCOPED_TRACE(k.nome);
        Cartella c(k.archivio);
        const Sessione s = importa(c, k.opzioni);
        EXPECT_EQ(s.errori, k.errori);
        EXPECT_EQ(s.output, "");
        EXPECT_EQ(s.stato, k.stato);
        const ARCHIVIO dopo = esportato();
        EXPECT_EQ(dopo.contravvenzioni, prima.contravvenzioni);
        EXPECT_EQ(dopo.anagrafica, prima.anagrafica);
    }
    // Taken as the clerk's "s" takes it: what a save of it writes comes back.
    Cartella c(dubbio);
    const Sessione s = importa(c, {"--sostituisci", "--accetta-letture-dubbie"});
    EXPECT_EQ(s.stato, 0) << s.errori;
    EXPECT_EQ(esportato().contravvenzioni, salvato(c).contravvenzioni);
}

// A failure in the middle of the copy (the server refusing the third fine)
// leaves the database as it was, the old archive's removal included.
TEST_F(DatabaseCommands, AFailureMidCopyLeavesTheDatabaseAsItWas) {
    CartellaCampione campione;
    ASSERT_EQ(importa(campione).stato, 0);
    ASSERT_EQ(sql("CREATE FUNCTION sanzionario.guasto() RETURNS trigger LANGUAGE plpgsql AS "
                  "$$BEGIN RAISE EXCEPTION 'guasto di prova'; END$$;"
                  "CREATE TRIGGER guasto BEFORE INSERT ON sanzionario.contravvenzioni FOR EACH "
                  "ROW WHEN (NEW.posizione = 3) EXECUTE FUNCTION sanzionario.guasto()"),
              "");
    Cartella c(ogni_tipo());
    const Sessione s = importa(c, {"--sostituisci"});
    EXPECT_EQ(s.errori, "sanzionario importa-archivio: il database ha rifiutato l'importazione: "
                        "guasto di prova.\nNel database non e' cambiato nulla.\n");
    EXPECT_EQ(s.stato, 1);
    const ARCHIVIO dopo = esportato();
    EXPECT_EQ(dopo.contravvenzioni, campione.leggi(DATI_C));
    EXPECT_EQ(dopo.anagrafica, campione.leggi(DATI_A));
}

// The database named or not, reachable or not, holding an archive or not;
// the files held by a session. Every message plain, and never the
// connection string, which may hold a password.
TEST_F(DatabaseCommands, ConnectionAndDestinationFailuresAreToldWithoutThePassword) {
    CartellaCampione c;
    ASSERT_EQ(importa(c).stato, 0);
    Programma sessione(c.percorso);
    ASSERT_TRUE(sessione.digita("5\n\n\n", "Caricamento avvenuto correttamente."));
    const std::string segreto = "password=Segreto42";
    struct CASO {
        std::vector<std::string> argomenti;
        std::vector<Variabile> ambiente;
        std::string inizio_errori;
        int stato;
    };
    const std::string vuoto = "dbname=" + nome + "_vuoto", latino = "dbname=" + nome + "_latino";
    ASSERT_EQ(sql("CREATE DATABASE " + nome + "_vuoto"), "");
    ASSERT_EQ(sql("CREATE DATABASE " + nome +
                  "_latino ENCODING 'LATIN1' LOCALE 'C' TEMPLATE "
                  "template0"),
              "");
    for (const CASO& k : std::vector<CASO>{
             {{"importa-archivio"},
              {{"SANZIONARIO_DATABASE", std::nullopt}},
              "sanzionario importa-archivio: manca il database: indicarlo con --database o con "
              "la variabile SANZIONARIO_DATABASE\nProvare 'sanzionario importa-archivio --help' "
              "per maggiori informazioni.\n",
              2},
             {{"esporta-archivio", "--database", "host=/x " + segreto + " port"},
              {},
              "sanzionario esporta-archivio: la stringa di collegamento al database non e' "
              "scritta correttamente\n",
              2},
             {{"importa-archivio", "--database", "host=/nessuna/cartella " + segreto},
              {},
              "sanzionario importa-archivio: impossibile collegarsi al database: ",
              1},
             {{"esporta-archivio", "-c", "altro/c.txt", "-a", "altro/a.txt"},
              {{"SANZIONARIO_DATABASE", cluster + " " + vuoto}},
              "sanzionario esporta-archivio: il database non contiene un archivio del programma "
              "(lo schema sanzionario manca o non e' del programma).\nCrearlo con 'sanzionario "
              "importa-archivio'.\n",
              1},
             {{"importa-archivio", "--sostituisci"},
              {{"SANZIONARIO_DATABASE", cluster + " " + latino}},
              "sanzionario importa-archivio: il database usa la codifica LATIN1, non UTF8: i "
              "testi dell'archivio non vi entrerebbero tutti.\n",
              1},
             {{"esporta-archivio", "--database", indirizzo + " " + segreto},
              {},
              "sanzionario esporta-archivio: L'archivio e' gia' in uso in un'altra sessione" +
                  testi::chi_tiene(sessione.pid) + ".\nChiudere l'altra sessione e riprovare.\n",
              1},
             {{"importa-archivio", "--sostituisci", "--database", indirizzo},
              {},
              "sanzionario importa-archivio: L'archivio e' gia' in uso in un'altra sessione" +
                  testi::chi_tiene(sessione.pid) + ".\nChiudere l'altra sessione e riprovare.\n",
              1}}) {
        SCOPED_TRACE(k.argomenti.front());
        const Sessione s = comando(c, k.argomenti, k.ambiente);
        EXPECT_EQ(s.errori.substr(0, k.inizio_errori.size()), k.inizio_errori);
        EXPECT_EQ(s.errori.find("Segreto42"), std::string::npos) << s.errori;
        EXPECT_EQ(s.output, "");
        EXPECT_EQ(s.stato, k.stato);
    }
    EXPECT_EQ(c.leggi(DATI_C), campione("contravvenzioni.txt"));
}
