// The fuzz targets' inputs as ordinary tests: every seed and every input a
// fuzzer once failed on (kept in fuzz/corpus/<target>/) goes through the
// same checks as in fuzz/run.sh, so that a fault found once stays found.
#include <gtest/gtest.h>

#include <filesystem>

#include "faults/fault_support.h"
#include "faults/fuzz_harness.h"
#include "faults/fuzz_notices.h"

namespace {

namespace fs = std::filesystem;
using namespace guasti;

const fs::path CORPUS = fs::path(SANZIONARIO_SAMPLE_DIR).parent_path() / "fuzz" / "corpus";

std::string prova_file(const std::string& bersaglio, const fs::path& file, const Cartella& c) {
    const std::string dati = leggi_file(file.string());
    if (bersaglio == "carica") return prova_caricamento(dati, c.percorso);
    if (bersaglio == "giornale") return prova_giornale(dati, SANZIONARIO_SAMPLE_DIR "/dati");
    if (bersaglio == "avvisi") return prova_avvisi(dati, c.percorso);
    if (bersaglio == "elenco") return prova_elenco(dati);
    for (const auto& [nome, routine] : BERSAGLI)
        if (bersaglio == nome) return prova_routine(routine, dati);
    return "no fuzz target is called " + bersaglio;
}

} // namespace

TEST(FaultFuzz, EverySeedAndRegressionInputPasses) {
    ASSERT_TRUE(fs::is_directory(CORPUS)) << CORPUS;
    Cartella c;
    int file = 0;
    for (const auto& cartella : fs::directory_iterator(CORPUS)) {
        for (const auto& voce : fs::directory_iterator(cartella.path())) {
            ++file;
            EXPECT_EQ(prova_file(cartella.path().filename().string(), voce.path(), c), "")
                << voce.path();
        }
    }
    EXPECT_GE(file, 30);
}

TEST(FaultFuzz, AFieldEndingInACarriageReturnComesBackAfterASaveAndALoad) {
    // Found by fuzz_carica: a place and a kind of infringement cut from
    // longer lines, each ending in a CR.
    Cartella c;
    const std::string dati =
        leggi_file((CORPUS / "carica" / "regression-cr-before-line-end").string());
    EXPECT_EQ(prova_caricamento(dati, c.percorso), "");
    // The same from the sample: a licence line whose tenth character is a CR.
    std::string anagrafica = campione("anagrafica.txt");
    const std::size_t patente = anagrafica.find("MI1234567A\n");
    ASSERT_NE(patente, std::string::npos);
    anagrafica.replace(patente, 11, "MI1234567\rA\n");
    EXPECT_EQ(prova_caricamento(campione("contravvenzioni.txt") + '\0' + anagrafica, c.percorso),
              "");
}
