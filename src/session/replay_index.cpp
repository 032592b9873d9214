// The places of the records during a replay.
#include "session/replay_index.h"

#include <algorithm>

#include "model/walk.h"

namespace {

uint32_t identificativo(const NODO_CONTRAVV* f) {
    return f->numero;
}
uint32_t identificativo(const NODO_ANAGRAF* a) {
    return a->codice;
}

// The place of `id` among rising identifiers, or their count when it is
// not there. Identifiers numbered by the program are nearly evenly spread,
// so a guess from the values at both ends of the range lands next to the
// place, and the few memory reads of a guess replace the twenty of a
// binary search; a halving after each guess keeps the worst case to twice
// a binary search's steps, whatever the spread.
std::size_t cerca_crescente(const std::vector<uint32_t>& c, uint32_t id) {
    std::size_t da = 0, a = c.size(); // the place, if any, is in [da, a)
    for (bool indovina = true; a - da > 8; indovina = !indovina) {
        const uint64_t primo = c[da], ultimo = c[a - 1];
        if (id < primo || id > ultimo) return c.size();
        std::size_t m = da + (a - da) / 2;
        if (indovina && ultimo > primo)
            m = da + static_cast<std::size_t>((id - primo) * (a - 1 - da) / (ultimo - primo));
        if (c[m] == id) return m;
        if (c[m] < id) {
            da = m + 1;
        } else {
            a = m;
        }
    }
    for (; da < a; ++da)
        if (c[da] == id) return da;
    return c.size();
}

} // namespace

template <class N> void POSTI<N>::costruisci(N* lista) {
    in_ordine.clear();
    salto.clear();
    crescenti.clear();
    dove.clear();
    in_tabella = false;
    unici = true;
    for (N* r = lista; r != nullptr; r = seguente(r)) {
        if (!in_tabella && !crescenti.empty() && identificativo(r) <= crescenti.back())
            in_tabella = true;
        if (!in_tabella) crescenti.push_back(identificativo(r));
        in_ordine.push_back(r);
    }
    if (in_tabella) in_tabella_da_ora();
}

template <class N> int64_t POSTI<N>::salto_da(int64_t k) const {
    const auto it = salto.find(k);
    return it == salto.end() ? k - 1 : it->second;
}

template <class N> void POSTI<N>::in_tabella_da_ora() {
    in_tabella = true;
    crescenti.clear();
    dove.clear();
    dove.reserve(in_ordine.size() + in_ordine.size() / 4);
    for (std::size_t i = 0; i < in_ordine.size() && unici; ++i)
        if (in_ordine[i] != nullptr)
            unici = dove.emplace(identificativo(in_ordine[i]), static_cast<uint32_t>(i)).second;
}

template <class N> int64_t POSTI<N>::posto(uint32_t id) const {
    if (in_tabella) {
        const auto it = dove.find(id);
        return it == dove.end() ? -1 : static_cast<int64_t>(it->second);
    }
    const std::size_t i = cerca_crescente(crescenti, id);
    if (i == crescenti.size() || in_ordine[i] == nullptr) return -1;
    return static_cast<int64_t>(i);
}

template <class N> N* POSTI<N>::trova(N* lista, POSIZIONE p) const {
    if (!unici) return in_posizione(lista, p);
    if (p.ordine != 0) return nullptr; // one record a identifier: no second one
    const int64_t i = posto(p.id);
    return i < 0 ? nullptr : in_ordine[static_cast<std::size_t>(i)];
}

template <class N> N* POSTI<N>::prima_di(N* lista, const N* r) {
    if (!unici) {
        N* prima = nullptr;
        for (N* q = lista; q != r; q = seguente(q)) prima = q;
        return prima;
    }
    int64_t k = posto(identificativo(r)) - 1;
    // Past the places removed, each jump made shorter for the next look.
    int64_t cerca = k;
    while (cerca >= 0 && in_ordine[static_cast<std::size_t>(cerca)] == nullptr)
        cerca = salto_da(cerca);
    while (k >= 0 && in_ordine[static_cast<std::size_t>(k)] == nullptr) {
        const int64_t prossimo = salto_da(k);
        salto[k] = cerca;
        k = prossimo;
    }
    return cerca < 0 ? nullptr : in_ordine[static_cast<std::size_t>(cerca)];
}

template <class N> N* POSTI<N>::coda(N* lista) {
    if (!unici) {
        N* ultimo = nullptr;
        for (N* q = lista; q != nullptr; q = seguente(q)) ultimo = q;
        return ultimo;
    }
    while (!in_ordine.empty() && in_ordine.back() == nullptr) {
        salto.erase(static_cast<int64_t>(in_ordine.size()) - 1);
        in_ordine.pop_back();
        if (!in_tabella) crescenti.pop_back();
    }
    return in_ordine.empty() ? nullptr : in_ordine.back();
}

template <class N> void POSTI<N>::aggiunto(N* r) {
    if (!unici) return;
    const uint32_t id = identificativo(r);
    if (!in_tabella && !crescenti.empty() && id <= crescenti.back()) in_tabella_da_ora();
    if (!unici) return;
    const uint32_t qui = static_cast<uint32_t>(in_ordine.size());
    if (in_tabella && !dove.emplace(id, qui).second) {
        unici = false; // an identifier met twice: walked from now on
        return;
    }
    if (!in_tabella) crescenti.push_back(id);
    in_ordine.push_back(r);
}

template <class N> void POSTI<N>::tolto(const N* r) {
    if (!unici) return;
    const int64_t i = posto(identificativo(r));
    if (i < 0 || in_ordine[static_cast<std::size_t>(i)] != r) return;
    in_ordine[static_cast<std::size_t>(i)] = nullptr;
    if (in_tabella) dove.erase(identificativo(r));
}

template struct POSTI<NODO_CONTRAVV>;
template struct POSTI<NODO_ANAGRAF>;
