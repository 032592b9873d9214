// The places of the records during a replay.
#include "session/replay_index.h"

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
    dove.clear();
    unici = true;
    for (N* r = lista; r != nullptr; r = seguente(r)) in_ordine.push_back(r);
    dove.reserve(in_ordine.size() + in_ordine.size() / 4);
    for (std::size_t i = 0; i < in_ordine.size() && unici; ++i)
        unici = dove.emplace(identificativo(in_ordine[i]), static_cast<uint32_t>(i)).second;
    salto.assign(in_ordine.size(), -1);
    for (std::size_t i = 0; i < salto.size(); ++i) salto[i] = static_cast<int64_t>(i) - 1;
}

template <class N> N* POSTI<N>::trova(N* lista, POSIZIONE p) const {
    if (!unici) return in_posizione(lista, p);
    if (p.ordine != 0) return nullptr; // one record a identifier: no second one
    const auto it = dove.find(p.id);
    return it == dove.end() ? nullptr : in_ordine[it->second];
}

template <class N> N* POSTI<N>::prima_di(N* lista, const N* r) {
    if (!unici) {
        N* prima = nullptr;
        for (N* q = lista; q != r; q = seguente(q)) prima = q;
        return prima;
    }
    int64_t k = static_cast<int64_t>(dove.at(identificativo(r))) - 1;
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
    }
    return in_ordine.empty() ? nullptr : in_ordine.back();
}

template <class N> void POSTI<N>::aggiunto(N* r) {
    if (!unici) return;
    const uint32_t posto = static_cast<uint32_t>(in_ordine.size());
    if (!dove.emplace(identificativo(r), posto).second) {
        unici = false; // an identifier met twice: walked from now on
        return;
    }
    salto.push_back(static_cast<int64_t>(posto) - 1);
    in_ordine.push_back(r);
}

template <class N> void POSTI<N>::tolto(const N* r) {
    if (!unici) return;
    const auto it = dove.find(identificativo(r));
    if (it == dove.end() || in_ordine[it->second] != r) return;
    in_ordine[it->second] = nullptr;
    dove.erase(it);
}

template struct POSTI<NODO_CONTRAVV>;
template struct POSTI<NODO_ANAGRAF>;
