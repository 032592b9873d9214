// The notices measure: the fines asked for by number, the office's
// settings written beside the archive.
#include "notices.h"

#include <cstdio>
#include <fstream>
#include <vector>

#include "measures.h"
#include "model/lists.h"
#include "storage/archive_files.h"

namespace {

constexpr const char* IMPOSTAZIONI = "[ufficio]\n"
                                     "nome = Comune di Prova\n"
                                     "reparto = Polizia Locale\n"
                                     "indirizzo = Piazza del Municipio 1, 00100 Prova (RM)\n"
                                     "contatti = Tel. 06 0000000 - verbali@comune.prova.it\n"
                                     "[pagopa]\n"
                                     "codice_fiscale_ente = 00123456782\n"
                                     "cifra_ausiliaria = 3\n"
                                     "codice_segregazione = 01\n"
                                     "[importi]\n"
                                     "riduzione_percentuale = 30\n"
                                     "giorni_riduzione = 5\n"
                                     "giorni_pagamento = 60\n";

} // namespace

TEMPO_AVVISI misura_avvisi(const std::string& cartella, const std::string& file_c,
                           const std::string& file_a, std::size_t quanti, int ripetizioni) {
    TEMPO_AVVISI t;
    if (carica_archivio(file_c.c_str(), file_a.c_str()) != 0) return t;
    std::vector<std::string> avvisi = {SANZIONARIO_BIN, "avvisi", "--ufficio", "ufficio.conf",
                                       "-o", "avvisi.pdf"};
    for (const NODO_CONTRAVV* f = lista_contravv; f != nullptr && t.quanti < quanti; f = f->next) {
        if (f->pagata || !f->con_anagraf) continue;
        avvisi.push_back("--contravvenzione");
        avvisi.push_back(std::to_string(f->numero));
        ++t.quanti;
    }
    libera_liste();
    std::ofstream(cartella + "/ufficio.conf", std::ios::binary) << IMPOSTAZIONI;
    std::vector<double> tempi_avvisi, tempi_esporta;
    t.riuscito = true;
    for (int i = 0; i < ripetizioni; ++i) {
        const ESITO_PROCESSO a = esegui(avvisi, cartella, "");
        const ESITO_PROCESSO e =
            esegui({SANZIONARIO_BIN, "esporta", "-o", "esporta.csv"}, cartella, "");
        t.riuscito = t.riuscito && a.riuscito && e.riuscito;
        tempi_avvisi.push_back(a.secondi);
        tempi_esporta.push_back(e.secondi);
    }
    t.avvisi = mediana(tempi_avvisi);
    t.esporta = mediana(tempi_esporta);
    t.byte_pdf = leggi_tutto((cartella + "/avvisi.pdf").c_str()).size();
    for (const char* f : {"/ufficio.conf", "/avvisi.pdf", "/esporta.csv"})
        std::remove((cartella + f).c_str());
    return t;
}
