// Shared ground for the data-file tests: a fresh working folder per test,
// the console on string streams, empty lists, and small builders and
// printers for records and files.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "console/console.h"
#include "model/lists.h"
#include "model/records.h"
#include "support/folder.h"
#include "support/record_text.h"
#include "support/records.h"
#include "support/texts.h"

namespace prova_archivio {

namespace fs = std::filesystem;

using testi::PAUSA;

inline NODO_ANAGRAF* aggiungi_anagraf(uint32_t codice, const char* cognome, const char* nome,
                                      DATA nascita, const char* indirizzo, const char* citta,
                                      const char* cap, const char* provincia, const char* cf,
                                      const char* patente) {
    return accoda_anagraf(
        {codice, cognome, nome, nascita, indirizzo, citta, cap, provincia, cf, patente});
}

inline NODO_CONTRAVV* aggiungi_contravv(uint32_t numero, DATA verbale, const char* luogo,
                                        const char* targa, const char* tipo, double importo,
                                        NODO_ANAGRAF* proprietario = nullptr, bool pagata = false,
                                        DATA pagamento = {0, 0, 0}) {
    return accoda_contravv(
        {numero, verbale, luogo, targa, tipo, importo, proprietario, pagata, pagamento});
}

inline std::string testo_data(DATA d) {
    return std::to_string(d.gg) + "/" + std::to_string(d.mm) + "/" + std::to_string(d.aaaa);
}

// One line with every field of a record, to compare records whole.
inline std::string descrivi(const NODO_ANAGRAF& a) {
    return std::to_string(a.codice) + "|" + a.cognome + "|" + a.nome + "|" +
           testo_data(a.data_nascita) + "|" + a.indirizzo + "|" + a.citta + "|" + a.cap + "|" +
           a.provincia + "|" + a.codice_fiscale + "|" + a.patente;
}

inline std::string descrivi(const NODO_CONTRAVV& c) {
    char importo[64];
    std::snprintf(importo, sizeof importo, "%.4f", c.importo);
    std::string s = std::to_string(c.numero) + "|" + testo_data(c.data_verbale) + "|" + c.luogo +
                    "|" + c.targa + "|" + c.tipo + "|" + importo + "|";
    s += c.con_anagraf ? "owner " + std::to_string(c.anagraf->codice) : std::string("no owner");
    s += c.pagata ? "|paid " + testo_data(c.data_pagamento)
                  : "|unpaid " + testo_data(c.data_pagamento);
    return s;
}

inline std::string riga(char c, int n) {
    return std::string(static_cast<std::size_t>(n), c);
}

// The two worked examples of the file layout: two owners, two fines.
inline std::string esempio_anagrafica(std::string_view a_capo = "\n") {
    return testo_anagraf({1, "ROSSI", "MARIO", {5, 3, 1970}, "VIA ROMA 10", "MILANO", "20100", "MI",
                          "RSSMRA70C05F205Z", "AB1234567C"},
                         a_capo) +
           testo_anagraf({2, "BIANCHI", "ANNA MARIA", {21, 11, 1985}, "PIAZZA GARIBALDI 3",
                          "TORINO", "10121", "TO", "BNCNMR85S61L219K", "CD7654321E"},
                         a_capo);
}

inline std::string esempio_contravvenzioni(std::string_view a_capo = "\n") {
    return testo_contravv({1, {12, 3, 2008}, "Milano, viale Monza", "AB123CD",
                           "Eccesso di velocita", 41.0, nullptr, true, {20, 3, 2008}},
                          1, a_capo) +
           testo_contravv({2, {1, 4, 2008}, "Torino", "XY987ZT", "Divieto di sosta", 38.5},
                          std::nullopt, a_capo);
}

// A fresh folder as working directory, the console on string streams, no
// records and no current paths; everything put back afterwards.
class AmbienteArchivio : public ::testing::Test {
  protected:
    void SetUp() override {
        cartella_ = std::make_unique<Cartella>();
        precedente_ = fs::current_path();
        fs::current_path(cartella_->percorso);
        fs::create_directory("dati");
        azzera();
        usa_flussi(in(), out());
    }

    void TearDown() override {
        azzera();
        fs::current_path(precedente_);
        cartella_.reset();
    }

    static void azzera() {
        guasto_allocazione(0);
        libera_liste();
        nome_file_c[0] = '\0';
        nome_file_a[0] = '\0';
    }

    // The streams live as long as the program, so the console never points at a dead one.
    static std::istringstream& in() {
        static std::istringstream s;
        return s;
    }
    static std::ostringstream& out() {
        static std::ostringstream s;
        return s;
    }

    // Sets what the operator will type and forgets what was printed so far.
    static void digita(const std::string& testo) {
        in().clear();
        in().str(testo);
        out().str("");
    }
    static std::string stampato() { return out().str(); }

    std::unique_ptr<Cartella> cartella_;
    fs::path precedente_;
};

} // namespace prova_archivio
