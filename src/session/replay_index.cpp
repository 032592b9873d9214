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
    salto.resize(in_ordine.size());
    for (std::size_t i = 0; i < salto.size(); ++i) salto[i] = static_cast<int64_t>(i) - 1;
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
    const auto it = std::lower_bound(crescenti.begin(), crescenti.end(), id);
    if (it == crescenti.end() || *it != id) return -1;
    const auto i = static_cast<std::size_t>(it - crescenti.begin());
    return in_ordine[i] == nullptr ? -1 : static_cast<int64_t>(i);
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
        cerca = salto[static_cast<std::size_t>(cerca)];
    while (k >= 0 && in_ordine[static_cast<std::size_t>(k)] == nullptr) {
        const int64_t prossimo = salto[static_cast<std::size_t>(k)];
        salto[static_cast<std::size_t>(k)] = cerca;
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
        in_ordine.pop_back();
        salto.pop_back();
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
    salto.push_back(static_cast<int64_t>(qui) - 1);
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
