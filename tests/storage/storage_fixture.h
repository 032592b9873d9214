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
inline std::string esempio_anagrafica() {
    return "\n1\nROSSI" + riga(' ', 26) + " MARIO\n05/03/1970\nVIA ROMA 10" + riga(' ', 20) +
           " MILANO" + riga(' ', 25) + " 20100 MI\nRSSMRA70C05F205Z\nAB1234567C\n" + riga('_', 88) +
           "\n" + "\n2\nBIANCHI" + riga(' ', 24) + " ANNA MARIA\n21/11/1985\nPIAZZA GARIBALDI 3" +
           riga(' ', 13) + " TORINO" + riga(' ', 25) + " 10121 TO\nBNCNMR85S61L219K\nCD7654321E\n" +
           riga('_', 88) + "\n";
}

inline std::string esempio_contravvenzioni() {
    return "\n1\n12/03/2008 Milano, viale Monza\nAB123CD\nEccesso di velocita\n* 1\n" +
           riga(' ', 10) + "41.00 * 20/03/2008\n" + riga('_', 87) + "\n" +
           "\n2\n01/04/2008      Torino\nXY987ZT\nDivieto di sosta\n- \n" + riga(' ', 10) +
           "38.50 - \n" + riga('_', 87) + "\n";
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
