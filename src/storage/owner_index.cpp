// The owner index: one sorted array of codes, so that linking a million
// fines costs a binary search each and a few bytes per owner.
#include "storage/owner_index.h"

#include <algorithm>

namespace {

bool prima_per_codice(const VOCE_INDICE& a, const VOCE_INDICE& b) {
    return a.codice < b.codice;
}

bool stesso_codice(const VOCE_INDICE& a, const VOCE_INDICE& b) {
    return a.codice == b.codice;
}

} // namespace

void annota_anagraf(INDICE_ANAGRAF& indice, NODO_ANAGRAF* a) {
    indice.push_back({a->codice, a});
}

void ordina_indice(INDICE_ANAGRAF& indice) {
    // Codes given by this system rise along the list, so usually nothing
    // moves; a stable sort keeps owners with one code in list order.
    if (!std::is_sorted(indice.begin(), indice.end(), prima_per_codice))
        std::stable_sort(indice.begin(), indice.end(), prima_per_codice);
    indice.erase(std::unique(indice.begin(), indice.end(), stesso_codice), indice.end());
}

NODO_ANAGRAF* cerca_codice(const INDICE_ANAGRAF& indice, uint32_t codice) {
    const auto voce = std::lower_bound(indice.begin(), indice.end(), VOCE_INDICE{codice, nullptr},
                                       prima_per_codice);
    if (voce == indice.end() || voce->codice != codice) return nullptr;
    return voce->anagraf;
}
