// Shared ground for the data-file tests: a fresh working folder per test,
// the console on string streams, empty lists, and small builders and
// printers for records and files.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "console/console.h"
#include "model/lists.h"
#include "model/records.h"

namespace prova_archivio {

namespace fs = std::filesystem;

inline const std::string PAUSA = "Premere un tasto per continuare . . . \n";

inline std::string leggi(const std::string& percorso) {
    std::ifstream f(percorso, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

inline void scrivi(const std::string& percorso, const std::string& testo) {
    std::ofstream f(percorso, std::ios::binary | std::ios::trunc);
    f << testo;
}

inline mode_t permessi(const std::string& percorso) {
    struct stat st {};
    stat(percorso.c_str(), &st);
    return st.st_mode & 07777;
}

// Names in a folder that look like temporary files of a save.
inline int temporanei(const std::string& cartella) {
    int n = 0;
    for (const auto& voce : fs::directory_iterator(cartella))
        if (voce.path().filename().string().find(".tmp-") != std::string::npos) ++n;
    return n;
}

inline NODO_ANAGRAF* aggiungi_anagraf(uint32_t codice, const char* cognome, const char* nome,
                                      DATA nascita, const char* indirizzo, const char* citta,
                                      const char* cap, const char* provincia, const char* cf,
                                      const char* patente) {
    NODO_ANAGRAF* a = nuovo_anagraf();
    a->codice = codice;
    copia_campo(a->cognome, cognome);
    copia_campo(a->nome, nome);
    a->data_nascita = nascita;
    copia_campo(a->indirizzo, indirizzo);
    copia_campo(a->citta, citta);
    copia_campo(a->cap, cap);
    copia_campo(a->provincia, provincia);
    copia_campo(a->codice_fiscale, cf);
    copia_campo(a->patente, patente);
    accoda(lista_anagraf, a);
    return a;
}

inline NODO_CONTRAVV* aggiungi_contravv(uint32_t numero, DATA verbale, const char* luogo,
                                        const char* targa, const char* tipo, double importo,
                                        NODO_ANAGRAF* proprietario = nullptr, bool pagata = false,
                                        DATA pagamento = {0, 0, 0}) {
    NODO_CONTRAVV* c = nuovo_contravv();
    c->numero = numero;
    c->data_verbale = verbale;
    copia_campo(c->luogo, luogo);
    copia_campo(c->targa, targa);
    copia_campo(c->tipo, tipo);
    c->importo = importo;
    c->con_anagraf = proprietario != nullptr;
    c->anagraf = proprietario;
    c->pagata = pagata;
    c->data_pagamento = pagamento;
    accoda(lista_contravv, c);
    return c;
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

template <class N> int conta(const N* lista) {
    int n = 0;
    for (; lista != nullptr; lista = lista->next) ++n;
    return n;
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
        char modello[] = "/tmp/sanz-archivio-XXXXXX";
        ASSERT_NE(mkdtemp(modello), nullptr);
        cartella_ = modello;
        precedente_ = fs::current_path();
        fs::current_path(cartella_);
        fs::create_directory("dati");
        azzera();
        usa_flussi(in(), out());
    }

    void TearDown() override {
        azzera();
        fs::current_path(precedente_);
        std::error_code ec;
        for (const auto& voce : fs::recursive_directory_iterator(cartella_, ec))
            if (voce.is_directory()) fs::permissions(voce.path(), fs::perms::owner_all, ec);
        fs::remove_all(cartella_, ec);
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

    fs::path cartella_;
    fs::path precedente_;
};

} // namespace prova_archivio
