// Both lists read from their files and made current, or written back whole.
#include "storage/archive_files.h"

#include <array>
#include <new>

#include "model/changes.h"
#include "model/lists.h"
#include "model/walk.h"
#include "storage/file_read.h"
#include "storage/fines_file.h"
#include "storage/list_load.h"
#include "storage/owners_file.h"

namespace {

// Reads both lists from the two open files: 1 (read error) or -1
// (memory), with nothing made, when a file could not be read whole;
// CARICAMENTO_RIFIUTATO when a malformed file was not wanted.
int leggi_da(const char* file_c, int fd_c, const char* file_a, int fd_a, CONFERMA_FORMA conferma,
             LISTE_LETTE& nuove) {
    const int esito = leggi_liste(fd_c, fd_a, nuove);
    if (esito != 0) return esito;
    const bool voluti = conferma == nullptr ||
                        ((nuove.forma_c.malformati == 0 || conferma(file_c, true, nuove.forma_c)) &&
                         (nuove.forma_a.malformati == 0 || conferma(file_a, false, nuove.forma_a)));
    if (voluti) return 0;
    libera_lista(nuove.contravv);
    libera_lista(nuove.anagraf);
    nuove = LISTE_LETTE{};
    return CARICAMENTO_RIFIUTATO;
}

} // namespace

int leggi_archivio(const char* file_c, const char* file_a, CONFERMA_FORMA conferma,
                   LISTE_LETTE& nuove) {
    nuove = LISTE_LETTE{};
    const int fd_c = apri_file_dati(file_c);
    const int fd_a = apri_file_dati(file_a);
    const int esito =
        fd_c < 0 || fd_a < 0 ? 1 : leggi_da(file_c, fd_c, file_a, fd_a, conferma, nuove);
    chiudi_file_dati(fd_c);
    chiudi_file_dati(fd_a);
    return esito;
}

void installa_lette(LISTE_LETTE& nuove) {
    installa_liste(nuove.contravv, nuove.anagraf, nuove.numeri_unici, nuove.codici_unici,
                   std::move(nuove.indice_c), std::move(nuove.indice_a));
    nuove = LISTE_LETTE{};
}

int carica_archivio(const char* file_c, const char* file_a, CONFERMA_FORMA conferma) {
    LISTE_LETTE nuove;
    const int esito = leggi_archivio(file_c, file_a, conferma, nuove);
    if (esito == 0) installa_lette(nuove);
    return esito;
}

namespace {

// Both files' writers: the owners file first, so that it is complete
// before the fines name its codes.
template <class F> bool con_scrittori(FUORI_LAYOUT* fuori, F&& fai) {
    FUORI_LAYOUT fuori_c, fuori_a; // each file is written on its own thread
    try {
        const bool fatto = fai(fuori_c, fuori_a);
        if (fuori != nullptr) *fuori = fuori_c.motivo != nullptr ? fuori_c : fuori_a;
        return fatto;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace

bool prepara_archivio(const char* file_c, const char* file_a, bool impronte, FILE_PREPARATI& p,
                      FUORI_LAYOUT* fuori) {
    return con_scrittori(fuori, [&](FUORI_LAYOUT& fuori_c, FUORI_LAYOUT& fuori_a) {
        const std::array<FILE_DA_SCRIVERE, 2> files{
            {{file_a, parti_anagrafica(lista_anagraf, fuori_a)},
             {file_c, parti_contravvenzioni(lista_contravv, fuori_c)}}};
        return prepara_file(files, impronte, p);
    });
}

bool scrivi_archivio(const char* file_c, const char* file_a, FUORI_LAYOUT* fuori) {
    return con_scrittori(fuori, [&](FUORI_LAYOUT& fuori_c, FUORI_LAYOUT& fuori_a) {
        const std::array<FILE_DA_SCRIVERE, 2> files{
            {{file_a, parti_anagrafica(lista_anagraf, fuori_a)},
             {file_c, parti_contravvenzioni(lista_contravv, fuori_c)}}};
        return sostituisci_file(files);
    });
}
