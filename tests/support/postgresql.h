// The suite's PostgreSQL cluster (postgresql_cluster.sh: CTest starts it
// before the database tests and stops it after them) and a database of
// its own for each test.
#pragma once

#include <gtest/gtest.h>
#include <optional>
#include <string>

// The connection string of the cluster's superuser (no database named),
// or nothing when there is no cluster: then why, in `perche`. Run without
// CTest, the suite starts the cluster here, once, and stops it at its end.
std::optional<std::string> cluster_postgresql(std::string& perche);

// A fresh database for the test, made in the cluster before it and dropped
// after it; the test is skipped, saying why, where there is no server.
class DatabaseProva : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Runs statements in the test's database as the superuser, or as
    // `ruolo` (SET ROLE): "" when done, else the server's message.
    std::string sql(const std::string& testo, const std::string& ruolo = "");
    // The first value the query gives ("" when none, or on error).
    std::string valore(const std::string& testo);

    std::string cluster;   // the superuser's connection string, no database named
    std::string nome;      // the test's database
    std::string indirizzo; // the connection string of the test's database
};
