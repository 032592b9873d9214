// Building the owner index from the owners list just read.
#include "storage/owner_index.h"

#include <algorithm>

namespace {

constexpr std::size_t MARGINE_TABELLA = 1024;

bool prima_per_codice(const VOCE_INDICE& a, const VOCE_INDICE& b) {
    return a.codice < b.codice;
}

bool stesso_codice(const VOCE_INDICE& a, const VOCE_INDICE& b) {
    return a.codice == b.codice;
}

} // namespace

INDICE_ANAGRAF indicizza_anagrafica(NODO_ANAGRAF* lista, std::size_t quanti, uint32_t massimo) {
    INDICE_ANAGRAF indice;
    if (quanti == 0) return indice;
    if (massimo <= 2 * quanti + MARGINE_TABELLA) {
        indice.tabella.assign(std::size_t{massimo} + 1, nullptr);
        for (NODO_ANAGRAF* a = lista; a != nullptr; a = a->next) {
            NODO_ANAGRAF*& voce = indice.tabella[a->codice];
            if (voce == nullptr)
                voce = a;
            else
                indice.codici_unici = false;
        }
        return indice;
    }
    indice.ordinato.reserve(quanti);
    for (NODO_ANAGRAF* a = lista; a != nullptr; a = a->next)
        indice.ordinato.push_back({a->codice, a});
    // Codes given by this system rise along the list, so usually nothing
    // moves; a stable sort keeps owners with one code in list order.
    if (!std::is_sorted(indice.ordinato.begin(), indice.ordinato.end(), prima_per_codice))
        std::stable_sort(indice.ordinato.begin(), indice.ordinato.end(), prima_per_codice);
    const auto doppi = std::unique(indice.ordinato.begin(), indice.ordinato.end(), stesso_codice);
    indice.codici_unici = doppi == indice.ordinato.end();
    indice.ordinato.erase(doppi, indice.ordinato.end());
    return indice;
}
