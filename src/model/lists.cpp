// Record allocation (with its failure seam), look-up, numbering, linking
// and release. The lists are plain singly linked lists; these helpers are
// written once for both kinds of record. Record memory comes from the
// blocks of model/record_blocks.
#include "model/lists.h"

#include <atomic>
#include <cstring>

#include "model/record_blocks.h"
#include "model/walk.h"

namespace {

// 0 or less: no failure planned. The loader allocates owners and fines on
// two threads at once: exactly one allocation takes the count to 0 and fails.
std::atomic<long> allocazioni_al_guasto{0};

// Changes to the links of the lists in use (the loader frees records on
// two threads, hence atomic).
std::atomic<uint64_t> versione{0};

void cambiata() {
    versione.fetch_add(1, std::memory_order_relaxed);
}

template <class N> void cambiata(N* const& lista) {
    if (&lista == static_cast<const void*>(&lista_contravv) ||
        &lista == static_cast<const void*>(&lista_anagraf))
        cambiata();
}

bool allocazione_negata() {
    if (allocazioni_al_guasto.load(std::memory_order_relaxed) <= 0) return false;
    return allocazioni_al_guasto.fetch_sub(1, std::memory_order_relaxed) == 1;
}

NODO_CONTRAVV* prendi(NODO_CONTRAVV*) {
    return prendi_contravv();
}
NODO_ANAGRAF* prendi(NODO_ANAGRAF*) {
    return prendi_anagraf();
}
void rendi(NODO_CONTRAVV* p) {
    rendi_contravv(p);
}
void rendi(NODO_ANAGRAF* p) {
    rendi_anagraf(p);
}

template <class N> N* nuovo() {
    if (allocazione_negata()) return nullptr;
    return prendi(static_cast<N*>(nullptr));
}

uint32_t id(const NODO_CONTRAVV* p) {
    return p->numero;
}
uint32_t id(const NODO_ANAGRAF* p) {
    return p->codice;
}

template <class N> N* trova(N* lista, unsigned long valore) {
    for (N* p = lista; p != nullptr; p = seguente(p))
        if (id(p) == valore) return p;
    return nullptr;
}

template <class N> N* trova(N* lista, unsigned long valore, N** prima) {
    *prima = nullptr;
    for (N* p = lista; p != nullptr; *prima = p, p = seguente(p))
        if (id(p) == valore) return p;
    *prima = nullptr;
    return nullptr;
}

template <class N> N* ultimo(N* lista) {
    if (lista == nullptr) return nullptr;
    while (lista->next != nullptr) lista = seguente(lista);
    return lista;
}

template <class N> std::optional<uint32_t> prossimo(N* lista, N** coda) {
    if (coda != nullptr) *coda = nullptr;
    if (lista == nullptr) return 1;
    uint64_t massimo = 0;
    N* p = lista;
    for (;; p = seguente(p)) {
        if (id(p) > massimo) massimo = id(p);
        if (p->next == nullptr) break;
    }
    if (coda != nullptr) *coda = p;
    const uint64_t candidato = uint64_t{id(p)} + 1;
    // Only a list whose identifiers do not rise can hold the candidate already.
    bool in_uso = false;
    if (candidato <= massimo)
        for (const N* q = lista; q != nullptr && !in_uso; q = seguente(q))
            in_uso = id(q) == candidato;
    const uint64_t scelto = in_uso ? massimo + 1 : candidato;
    if (scelto > UINT32_MAX) return std::nullopt;
    return static_cast<uint32_t>(scelto);
}

template <class N> void dopo(N*& lista, N* coda, N* p) {
    cambiata(lista);
    p->next = nullptr;
    if (coda == nullptr) {
        lista = p;
    } else {
        coda->next = p;
    }
}

template <class N> void in_mezzo(N*& lista, N* prima, N* p) {
    cambiata(lista);
    N*& posto = prima == nullptr ? lista : prima->next;
    p->next = posto;
    posto = p;
}

template <class N> void in_coda(N*& lista, N* p) {
    cambiata(lista);
    p->next = nullptr;
    if (lista == nullptr) {
        lista = p;
    } else {
        ultimo(lista)->next = p;
    }
}

template <class N> bool togli(N*& lista, N* p) {
    cambiata(lista);
    N* prima = nullptr;
    for (N* q = lista; q != nullptr; prima = q, q = seguente(q)) {
        if (q != p) continue;
        if (prima == nullptr) {
            lista = q->next;
        } else {
            prima->next = q->next;
        }
        q->next = nullptr;
        return true;
    }
    return false;
}

template <class N> void libera_tutti(N*& lista) {
    cambiata(lista);
    rendi_lista(lista);
    lista = nullptr;
}

} // namespace

NODO_CONTRAVV* nuovo_contravv() {
    return nuovo<NODO_CONTRAVV>();
}
NODO_ANAGRAF* nuovo_anagraf() {
    return nuovo<NODO_ANAGRAF>();
}
void guasto_allocazione(long n) {
    allocazioni_al_guasto.store(n, std::memory_order_relaxed);
}

void libera_contravv(NODO_CONTRAVV* p) {
    cambiata();
    rendi(p);
}
void libera_anagraf(NODO_ANAGRAF* p) {
    cambiata();
    rendi(p);
}
void libera_lista(NODO_CONTRAVV*& lista) {
    libera_tutti(lista);
}
void libera_lista(NODO_ANAGRAF*& lista) {
    libera_tutti(lista);
}
void libera_liste() {
    libera_lista(lista_contravv);
    libera_lista(lista_anagraf);
}

NODO_CONTRAVV* trova_contravv(NODO_CONTRAVV* lista, unsigned long numero) {
    return trova(lista, numero);
}
NODO_ANAGRAF* trova_anagraf(NODO_ANAGRAF* lista, unsigned long codice) {
    return trova(lista, codice);
}
NODO_CONTRAVV* coda(NODO_CONTRAVV* lista) {
    return ultimo(lista);
}
NODO_ANAGRAF* coda(NODO_ANAGRAF* lista) {
    return ultimo(lista);
}

NODO_CONTRAVV* trova_contravv(NODO_CONTRAVV* lista, unsigned long numero, NODO_CONTRAVV** prima) {
    return trova(lista, numero, prima);
}

std::optional<uint32_t> nuovo_numero(NODO_CONTRAVV* lista, NODO_CONTRAVV** coda) {
    return prossimo(lista, coda);
}
std::optional<uint32_t> nuovo_codice(NODO_ANAGRAF* lista, NODO_ANAGRAF** coda) {
    return prossimo(lista, coda);
}
void accoda_dopo(NODO_CONTRAVV*& lista, NODO_CONTRAVV* coda, NODO_CONTRAVV* p) {
    dopo(lista, coda, p);
}
void accoda_dopo(NODO_ANAGRAF*& lista, NODO_ANAGRAF* coda, NODO_ANAGRAF* p) {
    dopo(lista, coda, p);
}

void inserisci_dopo(NODO_CONTRAVV*& lista, NODO_CONTRAVV* prima, NODO_CONTRAVV* p) {
    in_mezzo(lista, prima, p);
}
void inserisci_dopo(NODO_ANAGRAF*& lista, NODO_ANAGRAF* prima, NODO_ANAGRAF* p) {
    in_mezzo(lista, prima, p);
}

void accoda(NODO_CONTRAVV*& lista, NODO_CONTRAVV* p) {
    in_coda(lista, p);
}
void accoda(NODO_ANAGRAF*& lista, NODO_ANAGRAF* p) {
    in_coda(lista, p);
}
bool sgancia(NODO_CONTRAVV*& lista, NODO_CONTRAVV* p) {
    return togli(lista, p);
}
bool sgancia(NODO_ANAGRAF*& lista, NODO_ANAGRAF* p) {
    return togli(lista, p);
}

uint64_t versione_liste() {
    return versione.load(std::memory_order_relaxed);
}

void copia_campo(char* campo, std::size_t cap, const char* testo) {
    std::size_t n = std::strlen(testo);
    if (n >= cap) n = cap - 1;
    std::memcpy(campo, testo, n);
    campo[n] = '\0';
}
