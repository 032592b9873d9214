// Record slots in blocks aligned to their size, so that a slot's block is
// found from its address alone. Each block starts with its own bookkeeping:
// the slots given back (linked through their first bytes), how many slots
// were ever handed out, how many records are in use. The blocks that have a
// free slot form a list; a full block leaves it, and comes back to its head
// when one of its records is given back, so that holes are filled before a
// new block is taken. For a load, the new blocks of fines come in order from
// one reserved stretch of address space, whose pages the owners' thread can
// fill in just ahead of the fines' thread (a page fault costs the zeroing of
// the page, and so moves to the thread that has time for it).
#include "model/record_blocks.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <sys/mman.h>

#include "model/walk.h"

#if defined(__SANITIZE_ADDRESS__)
#define SANZ_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SANZ_ASAN 1
#endif
#endif
#ifdef SANZ_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace {

// One huge page where the system offers them: the records of a large
// archive then cost a few hundred page faults, not tens of thousands.
constexpr std::size_t DIMENSIONE_BLOCCO = std::size_t{2} << 20;

struct BLOCCO {
    BLOCCO* prec; // in the list of blocks with a free slot
    BLOCCO* succ;
    void* liberi;        // slots given back, each holding the address of the next
    BLOCCO* toccato;     // the next block holding records of a list being given back
    uint32_t usati;      // slots [0, usati) were handed out at least once
    uint32_t vivi;       // records in use
    uint32_t da_rendere; // records of the list being given back that lie here
    bool con_posto;      // in the list of blocks with a free slot
    bool da_azzerare;    // a reused block: its slots hold old bytes
};

// The bookkeeping, then the slots, the first one 48 bytes past the start
// of a cache line: a fine's last 40 bytes (amount, owner link, paid mark,
// payment date, link to the next fine) and the next fine's number then lie
// in one cache line, so that the walks along the list read one line per
// fine, not two.
constexpr std::size_t INIZIO_POSTI = 48;
static_assert(sizeof(BLOCCO) <= INIZIO_POSTI);

struct RISERVA {
    std::size_t dimensione; // bytes of one record
    BLOCCO* con_posto;      // blocks with a free slot, the one to use first at the head
    BLOCCO* scorta;         // an empty block kept for the next record
};

RISERVA di_contravv{sizeof(NODO_CONTRAVV), nullptr, nullptr};
RISERVA di_anagraf{sizeof(NODO_ANAGRAF), nullptr, nullptr};

static_assert(INIZIO_POSTI % alignof(NODO_CONTRAVV) == 0 &&
              INIZIO_POSTI % alignof(NODO_ANAGRAF) == 0);
static_assert(sizeof(NODO_CONTRAVV) % alignof(NODO_CONTRAVV) == 0);
static_assert(sizeof(NODO_ANAGRAF) % alignof(NODO_ANAGRAF) == 0);

// Slots not in use are unreadable to AddressSanitizer, as freed memory is.
void chiudi_posti(void* p, std::size_t n) {
#ifdef SANZ_ASAN
    ASAN_POISON_MEMORY_REGION(p, n);
#else
    (void)p;
    (void)n;
#endif
}

void apri_posti(void* p, std::size_t n) {
#ifdef SANZ_ASAN
    ASAN_UNPOISON_MEMORY_REGION(p, n);
#else
    (void)p;
    (void)n;
#endif
}

std::size_t posti(const RISERVA& r) {
    return (DIMENSIONE_BLOCCO - INIZIO_POSTI) / r.dimensione;
}

char* posto(BLOCCO* b, std::size_t i, const RISERVA& r) {
    return reinterpret_cast<char*>(b) + INIZIO_POSTI + i * r.dimensione;
}

BLOCCO* blocco_di(const void* p) {
    return reinterpret_cast<BLOCCO*>(reinterpret_cast<std::uintptr_t>(p) &
                                     ~std::uintptr_t{DIMENSIONE_BLOCCO - 1});
}

// `blocchi` blocks' worth of fresh memory in one piece, aligned to the
// block size; its pages read as zero. nullptr when the system refuses.
char* mappa_blocchi(std::size_t blocchi) {
    const std::size_t voluti = blocchi * DIMENSIONE_BLOCCO;
    const std::size_t richiesti = voluti + DIMENSIONE_BLOCCO;
    void* p = mmap(nullptr, richiesti, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    const std::uintptr_t inizio = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t allineato =
        (inizio + DIMENSIONE_BLOCCO - 1) & ~std::uintptr_t{DIMENSIONE_BLOCCO - 1};
    if (allineato > inizio) munmap(p, allineato - inizio);
    const std::uintptr_t dopo = allineato + voluti;
    if (inizio + richiesti > dopo) munmap(reinterpret_cast<void*>(dopo), inizio + richiesti - dopo);
#ifdef MADV_HUGEPAGE
    madvise(reinterpret_cast<void*>(allineato), voluti, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<char*>(allineato);
}

// Address space reserved for the fines of a load, taken block by block from
// its front; `presi` is read by the thread that fills pages in ahead.
struct AREA {
    char* inizio = nullptr;
    std::size_t blocchi = 0;
    std::atomic<std::size_t> presi{0};
    std::size_t anticipati = 0; // blocks filled in ahead (by the other thread only)
};

AREA area_contravv;

// A block's worth of fresh memory: the next reserved block, or a new one.
void* mappa_blocco(RISERVA& r) {
    if (&r == &di_contravv && area_contravv.inizio != nullptr) {
        const std::size_t i = area_contravv.presi.load(std::memory_order_relaxed);
        if (i < area_contravv.blocchi) {
            area_contravv.presi.store(i + 1, std::memory_order_release);
            return area_contravv.inizio + i * DIMENSIONE_BLOCCO;
        }
    }
    return mappa_blocchi(1);
}

void entra(RISERVA& r, BLOCCO* b) {
    b->prec = nullptr;
    b->succ = r.con_posto;
    if (r.con_posto != nullptr) r.con_posto->prec = b;
    r.con_posto = b;
    b->con_posto = true;
}

void esce(RISERVA& r, BLOCCO* b) {
    (b->prec == nullptr ? r.con_posto : b->prec->succ) = b->succ;
    if (b->succ != nullptr) b->succ->prec = b->prec;
    b->prec = b->succ = nullptr;
    b->con_posto = false;
}

// The kept empty block, or a new one; nullptr when the system has no memory.
BLOCCO* blocco_vuoto(RISERVA& r) {
    BLOCCO* b = r.scorta;
    r.scorta = nullptr;
    if (b == nullptr) {
        void* m = mappa_blocco(r);
        if (m == nullptr) return nullptr;
        b = new (m) BLOCCO{};
        chiudi_posti(posto(b, 0, r), posti(r) * r.dimensione);
    }
    entra(r, b);
    return b;
}

void* prendi(RISERVA& r) {
    BLOCCO* b = r.con_posto != nullptr ? r.con_posto : blocco_vuoto(r);
    if (b == nullptr) return nullptr;
    char* p;
    bool azzera = b->da_azzerare;
    if (b->liberi != nullptr) {
        p = static_cast<char*>(b->liberi);
        apri_posti(p, r.dimensione);
        std::memcpy(&b->liberi, p, sizeof b->liberi);
        azzera = true;
    } else {
        p = posto(b, b->usati++, r);
        apri_posti(p, r.dimensione);
    }
    if (++b->vivi == posti(r)) esce(r, b);
    // A slot never handed out in a block fresh from the system is zero already.
    if (azzera) std::memset(p, 0, r.dimensione);
    return p;
}

// A block with no record in use any more: kept for the next record when no
// other one is, otherwise given back to the system.
void svuotato(RISERVA& r, BLOCCO* b) {
    if (b->con_posto) esce(r, b);
    if (r.scorta != nullptr) {
        munmap(b, DIMENSIONE_BLOCCO);
        return;
    }
    b->liberi = nullptr;
    b->usati = 0;
    b->vivi = 0;
    b->da_azzerare = true;
    r.scorta = b;
    chiudi_posti(posto(b, 0, r), posti(r) * r.dimensione);
}

void rendi(RISERVA& r, void* p) {
    if (p == nullptr) return;
    BLOCCO* b = blocco_di(p);
    std::memcpy(p, &b->liberi, sizeof b->liberi);
    b->liberi = p;
    chiudi_posti(p, r.dimensione);
    if (!b->con_posto) entra(r, b);
    if (--b->vivi == 0) svuotato(r, b);
}

// Gives back a whole list. A first walk only counts its records in each
// block; the blocks left with no record in use then go back at once, and
// only the records in blocks that keep others go back one by one, in a
// second walk. Freeing a whole archive (at the end, or before a load takes
// its place) so reads each record once and writes none.
template <class N> void rendi_tutti(RISERVA& r, N* testa) {
    BLOCCO* toccati = nullptr;
    for (const N* p = testa; p != nullptr; p = seguente(p)) {
        BLOCCO* b = blocco_di(p);
        if (b->da_rendere++ == 0) {
            b->toccato = toccati;
            toccati = b;
        }
    }
    bool parziali = false;
    for (const BLOCCO* b = toccati; b != nullptr; b = b->toccato)
        parziali = parziali || b->da_rendere < b->vivi;
    for (N* p = parziali ? testa : nullptr; p != nullptr;) {
        N* dopo = seguente(p);
        BLOCCO* b = blocco_di(p);
        if (b->da_rendere < b->vivi) { // a block that keeps other records
            --b->da_rendere;
            rendi(r, p);
        }
        p = dopo;
    }
    while (toccati != nullptr) {
        BLOCCO* b = toccati;
        toccati = b->toccato;
        const bool vuoto = b->da_rendere == b->vivi;
        b->da_rendere = 0;
        if (vuoto) svuotato(r, b);
    }
}

} // namespace

NODO_CONTRAVV* prendi_contravv() {
    return static_cast<NODO_CONTRAVV*>(prendi(di_contravv));
}

NODO_ANAGRAF* prendi_anagraf() {
    return static_cast<NODO_ANAGRAF*>(prendi(di_anagraf));
}

void rendi_contravv(NODO_CONTRAVV* p) {
    rendi(di_contravv, p);
}

void rendi_anagraf(NODO_ANAGRAF* p) {
    rendi(di_anagraf, p);
}

void rendi_lista(NODO_CONTRAVV* testa) {
    rendi_tutti(di_contravv, testa);
}

void rendi_lista(NODO_ANAGRAF* testa) {
    rendi_tutti(di_anagraf, testa);
}

void riserva_contravv(std::size_t quanti) {
    chiudi_riserva_contravv();
    const std::size_t blocchi = (quanti + posti(di_contravv) - 1) / posti(di_contravv);
    if (blocchi == 0) return;
    area_contravv.inizio = mappa_blocchi(blocchi);
    area_contravv.blocchi = area_contravv.inizio != nullptr ? blocchi : 0;
    area_contravv.presi.store(0, std::memory_order_relaxed);
    area_contravv.anticipati = 0;
}

bool anticipa_blocco_contravv(std::size_t avanti) {
#ifdef MADV_POPULATE_WRITE
    AREA& a = area_contravv;
    const std::size_t presi = a.presi.load(std::memory_order_acquire);
    if (a.anticipati < presi) a.anticipati = presi; // the other thread got there first
    if (a.anticipati >= a.blocchi || a.anticipati >= presi + avanti) return false;
    // Filling pages in changes no byte: it may meet the other thread writing there.
    if (madvise(a.inizio + a.anticipati * DIMENSIONE_BLOCCO, DIMENSIONE_BLOCCO,
                MADV_POPULATE_WRITE) != 0) {
        a.anticipati = a.blocchi; // not possible here: no more tries
        return false;
    }
    ++a.anticipati;
    return true;
#else
    (void)avanti;
    return false;
#endif
}

void chiudi_riserva_contravv() {
    AREA& a = area_contravv;
    if (a.inizio == nullptr) return;
    const std::size_t presi = a.presi.load(std::memory_order_relaxed);
    if (presi < a.blocchi)
        munmap(a.inizio + presi * DIMENSIONE_BLOCCO, (a.blocchi - presi) * DIMENSIONE_BLOCCO);
    a.inizio = nullptr;
    a.blocchi = 0;
}
