// The archive copied into an SQLite database beside it, and the program's
// operations and searches done there as an application built on SQLite
// would do them, each read to its last column.
#include "sqlite.h"

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sqlite3.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "measures.h"
#include "model/records.h"

namespace {

constexpr const char* SCHEMA =
    "CREATE TABLE anagrafica(codice INTEGER PRIMARY KEY, cognome TEXT, nome TEXT, "
    "nascita TEXT, indirizzo TEXT, citta TEXT, provincia TEXT, cap TEXT, codice_fiscale TEXT, "
    "patente TEXT);"
    "CREATE TABLE contravvenzioni(numero INTEGER PRIMARY KEY, data_verbale TEXT, luogo TEXT, "
    "targa TEXT, tipo TEXT, importo REAL, anagraf INTEGER, pagata INTEGER, "
    "data_pagamento TEXT);";
constexpr const char* INDICI = "CREATE INDEX per_targa ON contravvenzioni(targa);"
                               "CREATE INDEX per_cognome ON anagrafica(cognome);"
                               "CREATE INDEX per_codice_fiscale ON anagrafica(codice_fiscale);";

constexpr const char* INSERISCI_A = "INSERT INTO anagrafica VALUES(?,?,?,?,?,?,?,?,?,?)";
constexpr const char* INSERISCI_C = "INSERT INTO contravvenzioni VALUES(?,?,?,?,?,?,?,?,?)";
constexpr const char* MULTA =
    "SELECT c.*, a.* FROM contravvenzioni c LEFT JOIN anagrafica a ON a.codice = c.anagraf "
    "WHERE c.numero = ?";
constexpr const char* UGUALE =
    "SELECT codice FROM anagrafica WHERE cognome = ? AND nome = ? AND nascita = ? AND "
    "indirizzo = ? AND citta = ? AND provincia = ? AND cap = ? AND codice_fiscale = ? AND "
    "patente = ? LIMIT 1";

struct DB {
    sqlite3* db = nullptr;
    bool riuscito = true;
    ~DB() { sqlite3_close(db); }
};

// A prepared statement, finalized at the end of its scope.
struct FRASE {
    sqlite3_stmt* s = nullptr;
    FRASE(DB& d, const char* sql) {
        if (sqlite3_prepare_v2(d.db, sql, -1, &s, nullptr) != SQLITE_OK) d.riuscito = false;
    }
    ~FRASE() { sqlite3_finalize(s); }
};

void esegui_sql(DB& d, const char* sql) {
    if (sqlite3_exec(d.db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) d.riuscito = false;
}

std::string data(DATA x) {
    char t[32];
    std::snprintf(t, sizeof t, "%04d-%02d-%02d", x.aaaa, x.mm, x.gg);
    return t;
}

void testo(sqlite3_stmt* s, int i, const std::string& t) {
    sqlite3_bind_text(s, i, t.c_str(), -1, SQLITE_TRANSIENT);
}

// Runs a statement with its parameters bound to its end, reading every
// column of every row; the rows read.
int righe(DB& d, sqlite3_stmt* s) {
    int n = 0;
    int r;
    while ((r = sqlite3_step(s)) == SQLITE_ROW) {
        ++n;
        for (int i = 0; i < sqlite3_column_count(s); ++i) sqlite3_column_text(s, i);
    }
    if (r != SQLITE_DONE) d.riuscito = false;
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    return n;
}

void lega_anagraf(sqlite3_stmt* s, int da, const NODO_ANAGRAF& a) {
    testo(s, da, a.cognome);
    testo(s, da + 1, a.nome);
    testo(s, da + 2, data(a.data_nascita));
    testo(s, da + 3, a.indirizzo);
    testo(s, da + 4, a.citta);
    testo(s, da + 5, a.provincia);
    testo(s, da + 6, a.cap);
    testo(s, da + 7, a.codice_fiscale);
    testo(s, da + 8, a.patente);
}

void inserisci_anagraf(DB& d, sqlite3_stmt* s, const NODO_ANAGRAF& a) {
    sqlite3_bind_int64(s, 1, a.codice);
    lega_anagraf(s, 2, a);
    righe(d, s);
}

void inserisci_contravv(DB& d, sqlite3_stmt* s, const NODO_CONTRAVV& f) {
    sqlite3_bind_int64(s, 1, f.numero);
    testo(s, 2, data(f.data_verbale));
    testo(s, 3, f.luogo);
    testo(s, 4, f.targa);
    testo(s, 5, f.tipo);
    sqlite3_bind_double(s, 6, f.importo);
    if (f.con_anagraf && f.anagraf != nullptr) sqlite3_bind_int64(s, 7, f.anagraf->codice);
    sqlite3_bind_int(s, 8, f.pagata ? 1 : 0);
    if (f.pagata) testo(s, 9, data(f.data_pagamento));
    righe(d, s);
}

// The lists in use copied into a new database, quickly and without
// durability; then the durability of the operations.
bool riempi(DB& d, const std::string& percorso) {
    if (sqlite3_open(percorso.c_str(), &d.db) != SQLITE_OK) return false;
    esegui_sql(d, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;");
    esegui_sql(d, SCHEMA);
    esegui_sql(d, "BEGIN");
    {
        FRASE a(d, INSERISCI_A);
        for (const NODO_ANAGRAF* p = lista_anagraf; p != nullptr && d.riuscito; p = p->next)
            inserisci_anagraf(d, a.s, *p);
        FRASE c(d, INSERISCI_C);
        for (const NODO_CONTRAVV* f = lista_contravv; f != nullptr && d.riuscito; f = f->next)
            inserisci_contravv(d, c.s, *f);
    }
    esegui_sql(d, "COMMIT");
    esegui_sql(d, INDICI);
    esegui_sql(d, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; ANALYZE;");
    return d.riuscito;
}

// One timed run of `f`, in one transaction when `transazione`.
void cronometra(DB& d, std::vector<double>& durate, bool transazione, const std::function<void()>& f) {
    const double inizio = adesso();
    if (transazione) esegui_sql(d, "BEGIN IMMEDIATE");
    f();
    if (transazione) esegui_sql(d, "COMMIT");
    durate.push_back(adesso() - inizio);
}

} // namespace

std::map<std::string, double> misura_sqlite(const std::string& cartella, int volte) {
    const std::string percorso = cartella + "/archivio.sqlite";
    std::map<std::string, double> mediane;
    const NODO_CONTRAVV* ultima_c = lista_contravv;
    for (; ultima_c != nullptr && ultima_c->next != nullptr; ultima_c = ultima_c->next) {
    }
    const NODO_ANAGRAF* ultimo_a = lista_anagraf;
    for (; ultimo_a != nullptr && ultimo_a->next != nullptr; ultimo_a = ultimo_a->next) {
    }
    if (ultima_c == nullptr || ultimo_a == nullptr) return mediane;
    {
        DB d;
        if (!riempi(d, percorso)) {
            unlink(percorso.c_str());
            return mediane;
        }
        const int64_t numero = ultima_c->numero;
        // A fine and an owner like the program's own benchmark records.
        NODO_ANAGRAF nuovo = *ultimo_a;
        std::snprintf(nuovo.patente, sizeof nuovo.patente, "%s", "ZZ7654321Z");
        NODO_CONTRAVV multa = *ultima_c;
        multa.con_anagraf = false;
        multa.pagata = false;

        FRASE mostra(d, MULTA), uguale(d, UGUALE), ins_a(d, INSERISCI_A), ins_c(d, INSERISCI_C);
        FRASE massimo_c(d, "SELECT max(numero) FROM contravvenzioni");
        FRASE massimo_a(d, "SELECT max(codice) FROM anagrafica");
        FRASE importo(d, "UPDATE contravvenzioni SET importo = ? WHERE numero = ?");
        FRASE paga(d, "UPDATE contravvenzioni SET pagata = 1, data_pagamento = ? WHERE numero = ?");
        FRASE togli_c(d, "DELETE FROM contravvenzioni WHERE numero = ?");
        FRASE suo(d, "SELECT anagraf FROM contravvenzioni WHERE numero = ?");
        FRASE stacca(d, "UPDATE contravvenzioni SET anagraf = NULL, pagata = 0, "
                        "data_pagamento = NULL WHERE anagraf = ?");
        FRASE togli_a(d, "DELETE FROM anagrafica WHERE codice = ?");
        FRASE bilancio(d, "SELECT pagata, count(*), sum(importo) FROM contravvenzioni "
                          "GROUP BY pagata");
        // The searches find what the program's find: a plate or a surname
        // holding the text typed, or the whole tax code.
        FRASE targa(d, "SELECT c.*, a.* FROM contravvenzioni c LEFT JOIN anagrafica a ON "
                       "a.codice = c.anagraf WHERE c.targa LIKE '%' || ?1 || '%' LIMIT 1");
        FRASE persona(d, "SELECT * FROM anagrafica WHERE cognome LIKE '%' || ?1 || '%' OR "
                         "codice_fiscale = upper(?1) LIMIT 1");
        FRASE sue(d, "SELECT * FROM contravvenzioni WHERE anagraf = ?");
        FRASE senza(d, "SELECT * FROM contravvenzioni WHERE anagraf IS NULL LIMIT 1");
        FRASE non_pagata(d, "SELECT * FROM contravvenzioni WHERE pagata = 0 LIMIT 1");
        if (!d.riuscito) {
            unlink(percorso.c_str());
            return mediane;
        }

        std::map<std::string, std::vector<double>> durate;
        for (int i = 0; i < volte && d.riuscito; ++i) {
            cronometra(d, durate["show the last fine"], false, [&] {
                sqlite3_bind_int64(mostra.s, 1, numero);
                righe(d, mostra.s);
            });
            cronometra(d, durate["record a fine with new owner data"], true, [&] {
                righe(d, massimo_c.s);
                righe(d, massimo_a.s);
                lega_anagraf(uguale.s, 1, nuovo);
                righe(d, uguale.s);
                nuovo.codice = ultimo_a->codice + 1;
                inserisci_anagraf(d, ins_a.s, nuovo);
                multa.numero = static_cast<uint32_t>(numero + 1);
                multa.con_anagraf = true;
                multa.anagraf = &nuovo;
                inserisci_contravv(d, ins_c.s, multa);
            });
            cronometra(d, durate["edit a fine (its amount)"], true, [&] {
                sqlite3_bind_int64(mostra.s, 1, numero + 1);
                righe(d, mostra.s);
                sqlite3_bind_double(importo.s, 1, 50.0);
                sqlite3_bind_int64(importo.s, 2, numero + 1);
                righe(d, importo.s);
            });
            cronometra(d, durate["record a payment"], true, [&] {
                sqlite3_bind_int64(mostra.s, 1, numero + 1);
                righe(d, mostra.s);
                testo(paga.s, 1, "2024-03-20");
                sqlite3_bind_int64(paga.s, 2, numero + 1);
                righe(d, paga.s);
            });
            // A second fine, without owner data, recorded untimed and deleted.
            esegui_sql(d, "BEGIN");
            multa.numero = static_cast<uint32_t>(numero + 2);
            multa.con_anagraf = false;
            inserisci_contravv(d, ins_c.s, multa);
            esegui_sql(d, "COMMIT");
            cronometra(d, durate["delete a fine"], true, [&] {
                sqlite3_bind_int64(mostra.s, 1, numero + 2);
                righe(d, mostra.s);
                sqlite3_bind_int64(togli_c.s, 1, numero + 2);
                righe(d, togli_c.s);
            });
            // The first one goes, and its owner with it: the tables are as they were.
            cronometra(d, durate["delete a fine with its owner data"], true, [&] {
                sqlite3_bind_int64(mostra.s, 1, numero + 1);
                righe(d, mostra.s);
                sqlite3_bind_int64(suo.s, 1, numero + 1);
                int64_t codice = 0;
                if (sqlite3_step(suo.s) == SQLITE_ROW) codice = sqlite3_column_int64(suo.s, 0);
                sqlite3_reset(suo.s);
                sqlite3_bind_int64(togli_c.s, 1, numero + 1);
                righe(d, togli_c.s);
                sqlite3_bind_int64(stacca.s, 1, codice);
                righe(d, stacca.s);
                sqlite3_bind_int64(togli_a.s, 1, codice);
                righe(d, togli_a.s);
            });
            cronometra(d, durate["payment statistics"], false, [&] { righe(d, bilancio.s); });
            cronometra(d, durate["duplicate search of an owner entry"], false, [&] {
                lega_anagraf(uguale.s, 1, nuovo);
                righe(d, uguale.s);
            });
            // The searches, up to their first result.
            cronometra(d, durate["search by plate, none found"], false, [&] {
                testo(targa.s, 1, "qq999qq");
                righe(d, targa.s);
            });
            cronometra(d, durate["search by plate, the last fine's"], false, [&] {
                testo(targa.s, 1, ultima_c->targa);
                righe(d, targa.s);
            });
            cronometra(d, durate["search by surname, none found"], false, [&] {
                testo(persona.s, 1, "zzzz");
                righe(d, persona.s);
            });
            // An owner found is shown with its fines.
            const auto con_le_multe = [&](const char* valore) {
                testo(persona.s, 1, valore);
                int64_t codice = -1;
                if (sqlite3_step(persona.s) == SQLITE_ROW) codice = sqlite3_column_int64(persona.s, 0);
                sqlite3_reset(persona.s);
                sqlite3_bind_int64(sue.s, 1, codice);
                righe(d, sue.s);
            };
            cronometra(d, durate["search by the last owner's tax code"], false,
                       [&] { con_le_multe(ultimo_a->codice_fiscale); });
            cronometra(d, durate["search by a common surname"], false,
                       [&] { con_le_multe("rossi"); });
            cronometra(d, durate["first fine without owner data"], false,
                       [&] { righe(d, senza.s); });
            cronometra(d, durate["first unpaid fine"], false, [&] { righe(d, non_pagata.s); });
        }
        if (d.riuscito)
            for (const auto& [nome, tempi] : durate) mediane[nome] = mediana(tempi);
    }
    for (const char* coda : {"", "-wal", "-shm"}) unlink((percorso + coda).c_str());
    return mediane;
}

double misura_fdatasync(const std::string& cartella, int volte, double pausa) {
    const std::string percorso = cartella + "/fdatasync.bin";
    const int fd = open(percorso.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0600);
    if (fd < 0) return 0;
    const std::vector<char> blocco(4096, 'x');
    std::vector<double> durate;
    bool riuscito = true;
    for (int i = 0; i < volte && riuscito; ++i) {
        if (pausa > 0) usleep(static_cast<useconds_t>(pausa * 1e6));
        const double inizio = adesso();
        riuscito = write(fd, blocco.data(), blocco.size()) == static_cast<ssize_t>(blocco.size()) &&
                   fdatasync(fd) == 0;
        durate.push_back(adesso() - inizio);
    }
    close(fd);
    unlink(percorso.c_str());
    return riuscito ? mediana(durate) : 0;
}
