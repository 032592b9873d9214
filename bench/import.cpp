// The payment import measure of the benchmark.
#include "import.h"

#include <cstdio>
#include <fstream>

#include "measures.h"
#include "model/lists.h"
#include "storage/archive_files.h"

TEMPO_IMPORTAZIONE misura_importazione(const std::string& cartella, const std::string& file_c,
                                       const std::string& file_a, std::size_t quanti) {
    TEMPO_IMPORTAZIONE t;
    if (carica_archivio(file_c.c_str(), file_a.c_str()) != 0) return t;
    std::string csv = "Numero;Data pagamento;Importo\n";
    char riga[96];
    for (const NODO_CONTRAVV* f = lista_contravv; f != nullptr && t.pagamenti < quanti;
         f = f->next) {
        if (f->pagata || !f->con_anagraf) continue;
        std::snprintf(riga, sizeof riga, "%u;%02d/%02d/%04d;%.2f\n", f->numero, f->data_verbale.gg,
                      f->data_verbale.mm, f->data_verbale.aaaa, f->importo);
        csv += riga;
        ++t.pagamenti;
    }
    libera_liste();
    const std::string elenco = cartella + "/pagamenti.csv";
    std::ofstream(elenco, std::ios::binary) << csv;
    const ESITO_PROCESSO p =
        esegui({SANZIONARIO_BIN, "importa-pagamenti", "pagamenti.csv"}, cartella, "");
    t.secondi = p.secondi;
    t.picco = p.picco;
    t.byte_elenco = csv.size();
    t.riuscito = p.riuscito; // status 0: every row recorded
    std::remove(elenco.c_str());
    return t;
}
