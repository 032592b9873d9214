// Loading: the dialogue and the reading of both data files into new lists,
// which replace the current ones only when both files were read whole.
#include "storage/load.h"

#include <new>
#include <string>

#include "console/console.h"
#include "model/lists.h"
#include "storage/file_read.h"
#include "storage/fines_file.h"
#include "storage/owners_file.h"
#include "storage/path_prompt.h"

namespace {

constexpr const char* TITOLO_CARICA = "\n CARICA DA FILE\n_________________\n\n";
constexpr const char* DOMANDA_FILE_C =
    "Inserire il nome del file contenente i dati delle contravvenzioni:\n"
    "(premere INVIO per caricare il file di default)\n";
constexpr const char* DOMANDA_FILE_A =
    "\n\nInserisci il nome del file contenente i dati anagrafici:\n"
    "(premere INVIO per caricare il file di default)\n";
constexpr const char* MSG_CARICATO = "\n\nCaricamento avvenuto correttamente.\n\n";
constexpr const char* MSG_ERRORE_APERTURA =
    "\n\n\n ! ATTENZIONE\n\nErrore nell'apertura dei file\n"
    "Verificare il percorso o il nome dei file e assicurarsi di avere i permessi per accedere "
    "ad essi\n\n";
constexpr const char* MSG_MEMORIA = "\n\nATTENZIONE: Memoria disponibile insufficiente.\n\n"
                                    "I dati non sono stati caricati correttamente\n\n";

// Builds both lists from the two texts, owners first, and makes them the
// current ones. -1, with nothing changed, when memory runs out.
int sostituisci_liste(const std::string& testo_c, const std::string& testo_a) {
    NODO_ANAGRAF* nuovi_a = nullptr;
    NODO_CONTRAVV* nuovi_c = nullptr;
    bool riuscito = false;
    try {
        INDICE_ANAGRAF indice;
        riuscito = anagrafica_da_testo(testo_a, nuovi_a, indice) &&
                   contravvenzioni_da_testo(testo_c, indice, nuovi_c);
    } catch (const std::bad_alloc&) {
        riuscito = false;
    }
    if (!riuscito) {
        libera_lista(nuovi_c);
        libera_lista(nuovi_a);
        return -1;
    }
    libera_lista(lista_contravv);
    libera_lista(lista_anagraf);
    lista_anagraf = nuovi_a;
    lista_contravv = nuovi_c;
    return 0;
}

} // namespace

int carica_archivio(const char* file_c, const char* file_a) {
    const int fd_c = apri_file_dati(file_c);
    const int fd_a = apri_file_dati(file_a);
    std::string testo_c;
    std::string testo_a;
    int esito = 0;
    try {
        if (fd_c < 0 || fd_a < 0 || !leggi_file_dati(fd_a, testo_a) ||
            !leggi_file_dati(fd_c, testo_c))
            esito = 1;
    } catch (const std::bad_alloc&) {
        esito = -1;
    }
    chiudi_file_dati(fd_c);
    chiudi_file_dati(fd_a);
    if (esito != 0) return esito;
    return sostituisci_liste(testo_c, testo_a);
}

int carica() {
    console_out() << TITOLO_CARICA;
    const std::string file_c = chiedi_percorso(DOMANDA_FILE_C, FILE_CONTRAVV_DEFAULT);
    const std::string file_a = chiedi_percorso(DOMANDA_FILE_A, FILE_ANAGRAF_DEFAULT);
    const int esito = carica_archivio(file_c.c_str(), file_a.c_str());
    if (esito == 0) {
        copia_campo(nome_file_c, file_c.c_str());
        copia_campo(nome_file_a, file_a.c_str());
        console_out() << MSG_CARICATO;
    } else {
        console_out() << (esito == 1 ? MSG_ERRORE_APERTURA : MSG_MEMORIA);
    }
    pausa();
    return esito;
}
