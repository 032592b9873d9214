// Loading: the dialogue and the reading of both data files, record by
// record, into new lists, which replace the current ones only when both
// files were read whole.
#include "storage/load.h"

#include <new>
#include <string>

#include "console/console.h"
#include "model/lists.h"
#include "storage/file_read.h"
#include "storage/fines_file.h"
#include "storage/list_load.h"
#include "storage/load_info.h"
#include "storage/owner_index.h"
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

// Builds both lists from the two open files and makes them the current
// ones. 1 (read error) or -1 (memory), with nothing changed, when a file
// could not be read whole.
int sostituisci_liste(int fd_c, int fd_a) {
    LISTE_LETTE nuove;
    const int esito = leggi_liste(fd_c, fd_a, nuove);
    if (esito != 0) return esito;
    libera_lista(lista_contravv);
    libera_lista(lista_anagraf);
    lista_anagraf = nuove.anagraf;
    lista_contravv = nuove.contravv;
    numeri_unici = nuove.numeri_unici;
    codici_unici = nuove.codici_unici;
    return 0;
}

} // namespace

int carica_archivio(const char* file_c, const char* file_a) {
    const int fd_c = apri_file_dati(file_c);
    const int fd_a = apri_file_dati(file_a);
    const int esito = fd_c < 0 || fd_a < 0 ? 1 : sostituisci_liste(fd_c, fd_a);
    chiudi_file_dati(fd_c);
    chiudi_file_dati(fd_a);
    return esito;
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
