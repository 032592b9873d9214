// The cluster the database tests share, and each test's own database.
#include "support/postgresql.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <libpq-fe.h>
#include <memory>
#include <unistd.h>

#include "support/folder.h"

namespace {

const std::string SCRIPT = SANZIONARIO_TESTS_DIR "/support/postgresql_cluster.sh";

// A cluster this process started (run without CTest), stopped at its end.
struct CLUSTER_PROPRIO {
    std::string stato;
    ~CLUSTER_PROPRIO() {
        if (stato.empty()) return;
        const int fermato = std::system((SCRIPT + " stop '" + stato + "'").c_str());
        static_cast<void>(fermato); // nothing more can be done at the end of the run
    }
};

bool risponde(const std::string& indirizzo) {
    return PQping((indirizzo + " dbname=postgres").c_str()) == PQPING_OK;
}

// What the state file says: the connection string, or "" and why not.
std::string leggi_stato(const std::string& file, std::string& perche) {
    std::string prima = leggi_file(file);
    prima = prima.substr(0, prima.find('\n'));
    if (prima.rfind("assente: ", 0) == 0) {
        perche = prima.substr(9);
        return "";
    }
    return prima;
}

using CONNESSIONE = std::unique_ptr<PGconn, decltype(&PQfinish)>;

CONNESSIONE connetti(const std::string& indirizzo) {
    return CONNESSIONE(PQconnectdb(indirizzo.c_str()), &PQfinish);
}

} // namespace

std::optional<std::string> cluster_postgresql(std::string& perche) {
    static std::string indirizzo, motivo;
    static bool cercato = false;
    static CLUSTER_PROPRIO proprio;
    if (!cercato) {
        cercato = true;
        indirizzo = leggi_stato(SANZIONARIO_POSTGRESQL, motivo);
        // None started by CTest, or one left by a run that was killed.
        if (!indirizzo.empty() && !risponde(indirizzo)) indirizzo.clear();
        if (indirizzo.empty() && motivo.empty()) {
            proprio.stato = "/tmp/sanzionario-pg-stato-" + std::to_string(getpid());
            if (std::system((SCRIPT + " start '" + proprio.stato + "'").c_str()) == 0)
                indirizzo = leggi_stato(proprio.stato, motivo);
            if (indirizzo.empty() && motivo.empty())
                motivo = "the test cluster could not be started (" + SCRIPT + ")";
        }
    }
    perche = motivo;
    if (indirizzo.empty()) return std::nullopt;
    return indirizzo;
}

void DatabaseProva::SetUp() {
    std::string perche;
    const std::optional<std::string> c = cluster_postgresql(perche);
    if (!c) GTEST_SKIP() << "DATABASE TEST SKIPPED: " << perche;
    cluster = *c;
    static std::atomic<int> contatore{0};
    nome = "prova_" + std::to_string(getpid()) + "_" + std::to_string(++contatore);
    const CONNESSIONE admin = connetti(cluster + " dbname=postgres");
    ASSERT_EQ(PQstatus(admin.get()), CONNECTION_OK) << PQerrorMessage(admin.get());
    PGresult* r = PQexec(admin.get(), ("CREATE DATABASE " + nome + " TEMPLATE template0").c_str());
    ASSERT_EQ(PQresultStatus(r), PGRES_COMMAND_OK) << PQerrorMessage(admin.get());
    PQclear(r);
    indirizzo = cluster + " dbname=" + nome;
}

void DatabaseProva::TearDown() {
    if (nome.empty()) return;
    const CONNESSIONE admin = connetti(cluster + " dbname=postgres");
    PQclear(PQexec(admin.get(), ("DROP DATABASE IF EXISTS " + nome + " WITH (FORCE)").c_str()));
}

std::string DatabaseProva::sql(const std::string& testo, const std::string& ruolo) {
    const CONNESSIONE c = connetti(indirizzo);
    if (PQstatus(c.get()) != CONNECTION_OK) return PQerrorMessage(c.get());
    const std::string tutto = (ruolo.empty() ? "" : "SET ROLE " + ruolo + ";") + testo;
    PGresult* r = PQexec(c.get(), tutto.c_str());
    const ExecStatusType s = PQresultStatus(r);
    std::string errore =
        s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK ? "" : PQresultErrorMessage(r);
    PQclear(r);
    return errore;
}

std::string DatabaseProva::valore(const std::string& testo) {
    const CONNESSIONE c = connetti(indirizzo);
    PGresult* r = PQexec(c.get(), testo.c_str());
    std::string v =
        PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0 ? PQgetvalue(r, 0, 0) : "";
    PQclear(r);
    return v;
}
