// The index of a list by identifier: its table or hash table, kept as
// records are appended and removed.
#include "model/record_index.h"

#include <algorithm>

#include "model/walk.h"

namespace {

// A table may hold this many places per record (plus a margin) before the
// index moves to a hash table: a few pointers a record at most.
constexpr uint64_t POSTI_PER_RECORD = 4;
constexpr uint64_t MARGINE_TABELLA = 1024;

// Whether the table takes `id` (the records counted with it): within the
// room made for it, or a few places a record.
template <class N> bool entra_in_tabella(const INDICE_ID<N>& x, uint64_t id) {
    const uint64_t posti =
        std::max<uint64_t>(x.tabella.capacity(), POSTI_PER_RECORD * x.quanti + MARGINE_TABELLA);
    return id >= x.base && id - x.base < posti;
}

// The hash table from now on, with every record of the table.
template <class N> void in_sparsi(INDICE_ID<N>& x) {
    std::unordered_map<uint32_t, N*> sparsi;
    sparsi.reserve(x.quanti + x.quanti / 4);
    for (std::size_t i = 0; i < x.tabella.size(); ++i)
        if (x.tabella[i] != nullptr)
            sparsi.emplace(static_cast<uint32_t>(x.base + i), x.tabella[i]);
    x.sparsi = std::move(sparsi);
    x.tabella = std::vector<N*>();
    x.in_tabella = false;
}

// The place of `id` in the table, made when missing.
template <class N> N*& posto_in_tabella(INDICE_ID<N>& x, uint32_t id) {
    const std::size_t i = id - x.base;
    if (i >= x.tabella.size()) {
        if (i >= x.tabella.capacity())
            x.tabella.reserve(std::max<std::size_t>(i + 1, x.tabella.size() + x.tabella.size() / 8 +
                                                               MARGINE_TABELLA));
        x.tabella.resize(i + 1, nullptr);
    }
    return x.tabella[i];
}

// Sets the first record of `id` (nullptr: none any more).
template <class N> void poni(INDICE_ID<N>& x, uint32_t id, N* r) {
    if (x.in_tabella) {
        if (id >= x.base && id - x.base < x.tabella.size()) x.tabella[id - x.base] = r;
    } else if (r == nullptr) {
        x.sparsi.erase(id);
    } else {
        x.sparsi[id] = r;
    }
}

} // namespace

template <class N> void azzera_indice(INDICE_ID<N>& x, std::size_t quanti, uint32_t massimo) {
    x = INDICE_ID<N>{};
    if (quanti > 0 && massimo < POSTI_PER_RECORD * quanti + MARGINE_TABELLA)
        x.tabella.reserve(std::size_t{massimo} + 1);
}

template <class N> void indice_aggiunto(INDICE_ID<N>& x, N* r) {
    const uint32_t id = identificativo(r);
    if (x.quanti == 0) {
        // An empty list starts afresh, in the table; from identifier 0 when
        // room was made that far (the table holds no record).
        const bool da_zero = x.in_tabella && x.tabella.capacity() > id;
        x.sparsi = {};
        x.in_tabella = true;
        x.crescenti = true;
        x.unici = true;
        if (!da_zero) x.tabella.clear();
        x.base = da_zero ? 0 : id;
        x.massimo = id;
        x.massimo_noto = true;
    } else {
        x.crescenti = x.crescenti && x.coda != nullptr && id > identificativo(x.coda);
        if (id > x.massimo) {
            x.massimo = id;
            x.massimo_noto = true;
        }
    }
    ++x.quanti;
    x.coda = r;
    if (x.in_tabella && !entra_in_tabella(x, id)) in_sparsi(x);
    if (x.in_tabella) {
        N*& posto = posto_in_tabella(x, id);
        if (posto == nullptr) {
            posto = r;
        } else {
            x.unici = false;
        }
    } else if (!x.sparsi.emplace(id, r).second) {
        x.unici = false;
    }
}

template <class N> bool indice_inserito(INDICE_ID<N>& x, N* r, const N* prima) {
    const uint32_t id = identificativo(r);
    const N* dopo = r->next;
    if (!x.crescenti || dopo == nullptr || (prima != nullptr && identificativo(prima) >= id) ||
        identificativo(dopo) <= id)
        return false;
    if (x.in_tabella && !entra_in_tabella(x, id)) in_sparsi(x);
    if (x.in_tabella) {
        N*& posto = posto_in_tabella(x, id);
        if (posto != nullptr) return false;
        posto = r;
    } else if (!x.sparsi.emplace(id, r).second) {
        return false;
    }
    ++x.quanti;
    return true;
}

template <class N> void indice_tolto(INDICE_ID<N>& x, N* r, N* prima) {
    const uint32_t id = identificativo(r);
    if (indice_trova(x, id) == r) {
        // Where identifiers repeat, the next record with this one becomes the first.
        N* dopo = nullptr;
        if (!x.unici)
            for (dopo = r->next; dopo != nullptr && identificativo(dopo) != id;
                 dopo = seguente(dopo)) {
            }
        poni(x, id, dopo);
    }
    if (x.coda == r) x.coda = prima;
    if (--x.quanti == 0) {
        x.massimo = 0;
        x.massimo_noto = true;
    } else if (id == x.massimo) {
        x.massimo_noto = x.crescenti;
        if (x.crescenti) x.massimo = identificativo(x.coda);
    }
}

template <class N> void indicizza(INDICE_ID<N>& x, N* lista, std::size_t quanti, uint32_t massimo) {
    azzera_indice(x, quanti, massimo);
    for (N* r = lista; r != nullptr; r = seguente(r)) indice_aggiunto(x, r);
}

template <class N> N* indice_trova(const INDICE_ID<N>& x, uint64_t id) {
    if (x.in_tabella)
        return id >= x.base && id - x.base < x.tabella.size() ? x.tabella[id - x.base] : nullptr;
    if (id > UINT32_MAX) return nullptr;
    const auto it = x.sparsi.find(static_cast<uint32_t>(id));
    return it == x.sparsi.end() ? nullptr : it->second;
}

template <class N> N* indice_prima(const INDICE_ID<N>& x, N* lista, const N* r) {
    if (x.crescenti && x.in_tabella) {
        // The nearest lower identifier in use: the records before `r` are
        // exactly those with lower identifiers.
        for (std::size_t i = identificativo(r) - x.base; i > 0; --i)
            if (x.tabella[i - 1] != nullptr) return x.tabella[i - 1];
        return nullptr;
    }
    N* prima = nullptr;
    for (N* q = lista; q != nullptr && q != r; q = seguente(q)) prima = q;
    return prima;
}

template <class N> uint32_t indice_massimo(INDICE_ID<N>& x, N* lista) {
    if (x.massimo_noto) return x.massimo;
    x.massimo = 0;
    if (x.in_tabella) {
        for (std::size_t i = x.tabella.size(); i > 0; --i)
            if (x.tabella[i - 1] != nullptr) {
                x.massimo = static_cast<uint32_t>(x.base + i - 1);
                break;
            }
    } else {
        for (const N* q = lista; q != nullptr; q = seguente(q))
            x.massimo = std::max(x.massimo, identificativo(q));
    }
    x.massimo_noto = true;
    return x.massimo;
}

#define SANZ_INDICE_PER(N)                                                                         \
    template void azzera_indice(INDICE_ID<N>&, std::size_t, uint32_t);                             \
    template void indice_aggiunto(INDICE_ID<N>&, N*);                                              \
    template void indice_tolto(INDICE_ID<N>&, N*, N*);                                             \
    template bool indice_inserito(INDICE_ID<N>&, N*, const N*);                                    \
    template void indicizza(INDICE_ID<N>&, N*, std::size_t, uint32_t);                             \
    template N* indice_trova(const INDICE_ID<N>&, uint64_t);                                       \
    template N* indice_prima(const INDICE_ID<N>&, N*, const N*);                                   \
    template uint32_t indice_massimo(INDICE_ID<N>&, N*);
SANZ_INDICE_PER(NODO_CONTRAVV)
SANZ_INDICE_PER(NODO_ANAGRAF)
#undef SANZ_INDICE_PER
