// The two files of a load on two threads. This one reads the fines; a
// second one reads the owners, indexes their codes, and then follows the
// fines as they are read, linking each to its owner, indexing it, and
// filling in the pages of the blocks the fines will take next. A failure on
// either side stops the other at its next record. Once both are done, the
// address space reserved for fines and not used goes back; the two indexes
// go with the lists to the change door.
#include "storage/list_load.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <new>
#include <sys/stat.h>
#include <system_error>
#include <thread>

#include "model/lists.h"
#include "model/record_blocks.h"
#include "storage/file_read.h"
#include "storage/fines_file.h"
#include "storage/owners_file.h"

namespace {

// Fewer bytes than any fine of this system takes in the file: the fines
// file's size divided by it is a number of fines never short by much.
constexpr std::size_t BYTE_PER_MULTA_MIN = 128;

// Blocks of fines whose pages are filled in ahead of the reading: enough
// to keep the reading off page faults, few enough to add little memory.
constexpr std::size_t BLOCCHI_IN_ANTICIPO = 2;

struct LETTURA_ANAGRAFICA {
    int fd = -1;
    NODO_ANAGRAF* lista = nullptr;
    INDICE_ID<NODO_ANAGRAF> indice;
    FORMA_FILE forma;
    int esito = 0;
};

void leggi_anagrafica(LETTURA_ANAGRAFICA& l, AVANZAMENTO_MULTE& avanzamento) {
    try {
        CODICI_LETTI codici;
        {
            LETTURA_DATI file; // its buffer goes back before the index is built
            file.fd = l.fd;
            // The page of the fines' next block is filled in meanwhile: this
            // side has the lighter file, but also the index and the links
            // still to make, so it keeps only one block ahead until then.
            l.esito = anagrafica_da_file(file, l.lista, codici, avanzamento.fermo,
                                         [] { anticipa_blocco_contravv(1); });
        }
        l.forma = codici.forma;
        if (l.esito == 0) indicizza(l.indice, l.lista, codici.quanti, codici.massimo);
    } catch (const std::bad_alloc&) {
        l.esito = -1;
    }
    if (l.esito != 0) avanzamento.fermo.store(true, std::memory_order_relaxed);
}

// Links and indexes the fines as the other thread publishes them, from the
// head of `lista` (read only once a first fine is published), until the
// reading is over; while there is nothing to link, fills in pages of the
// next blocks. Throws std::bad_alloc.
void segui_multe(NODO_CONTRAVV* const& lista, const INDICE_ID<NODO_ANAGRAF>& indice,
                 AVANZAMENTO_MULTE& avanzamento, MULTE_ORFANE& orfane,
                 INDICE_ID<NODO_CONTRAVV>& multe) {
    const NODO_CONTRAVV* collegata = nullptr; // the last fine linked
    for (;;) {
        const unsigned turno = avanzamento.turno.load(std::memory_order_acquire);
        if (avanzamento.fermo.load(std::memory_order_relaxed)) return;
        const bool finita = avanzamento.finita.load(std::memory_order_acquire);
        NODO_CONTRAVV* ultima = avanzamento.ultima.load(std::memory_order_acquire);
        if (ultima != nullptr && ultima != collegata) {
            collega_proprietari(collegata == nullptr ? lista : collegata->next, ultima, indice,
                                orfane, multe);
            collegata = ultima;
            continue;
        }
        if (finita) return;
        if (anticipa_blocco_contravv(BLOCCHI_IN_ANTICIPO)) continue;
        avanzamento.turno.wait(turno, std::memory_order_acquire);
    }
}

int leggi_contravvenzioni(int fd, NODO_CONTRAVV*& lista, bool& crescenti, FORMA_FILE& forma,
                          AVANZAMENTO_MULTE& avanzamento) {
    LETTURA_DATI file;
    file.fd = fd;
    return contravvenzioni_da_file(file, lista, crescenti, forma, avanzamento);
}

bool fallito(int esito) {
    return esito != 0 && esito != LETTURA_INTERROTTA;
}

std::size_t multe_stimate(int fd) {
    struct stat st;
    if (fstat(fd, &st) != 0 || st.st_size <= 0) return 0;
    return static_cast<std::size_t>(st.st_size) / BYTE_PER_MULTA_MIN + 1;
}

} // namespace

int leggi_liste(int fd_c, int fd_a, LISTE_LETTE& liste) {
    AVANZAMENTO_MULTE avanzamento;
    LETTURA_ANAGRAFICA anagrafica;
    anagrafica.fd = fd_a;
    NODO_CONTRAVV* contravv = nullptr;
    bool crescenti = true;
    const std::size_t stimate = multe_stimate(fd_c);
    riserva_contravv(stimate);
    INDICE_ID<NODO_CONTRAVV> multe;
    int esito_indice = 0;
    try {
        azzera_indice(multe, stimate,
                      static_cast<uint32_t>(std::min<std::size_t>(stimate, UINT32_MAX)));
    } catch (const std::bad_alloc&) {
        esito_indice = -1;
    }

    std::thread parallelo;
    try {
        parallelo = std::thread([&] {
            leggi_anagrafica(anagrafica, avanzamento);
            if (anagrafica.esito != 0 || esito_indice != 0) return;
            try {
                segui_multe(contravv, anagrafica.indice, avanzamento, liste.orfane, multe);
            } catch (const std::bad_alloc&) {
                esito_indice = -1;
                avanzamento.fermo.store(true, std::memory_order_relaxed);
            }
        });
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
    if (!parallelo.joinable()) leggi_anagrafica(anagrafica, avanzamento); // one after the other
    FORMA_FILE forma_c;
    const int esito_c = leggi_contravvenzioni(fd_c, contravv, crescenti, forma_c, avanzamento);
    const bool collegate = parallelo.joinable();
    if (collegate) parallelo.join();
    chiudi_riserva_contravv();

    if (!collegate && esito_indice == 0 && !fallito(anagrafica.esito) && !fallito(esito_c)) {
        try {
            collega_proprietari(contravv, nullptr, anagrafica.indice, liste.orfane, multe);
        } catch (const std::bad_alloc&) {
            esito_indice = -1;
        }
    }
    const int esito = fallito(anagrafica.esito) ? anagrafica.esito
                      : fallito(esito_c)        ? esito_c
                                                : esito_indice;
    if (esito != 0) {
        libera_lista(contravv);
        libera_lista(anagrafica.lista);
        return esito;
    }
    liste.contravv = contravv;
    liste.anagraf = anagrafica.lista;
    liste.numeri_unici = crescenti;
    liste.codici_unici = anagrafica.indice.unici;
    liste.indice_c = std::move(multe);
    liste.indice_a = std::move(anagrafica.indice);
    liste.forma_c = forma_c;
    liste.forma_a = anagrafica.forma;
    return 0;
}
