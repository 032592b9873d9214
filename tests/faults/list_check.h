// Walks the two global lists and tells whether they are well formed: each
// one ends, and a fine's owner link points into the owners list exactly
// when its con_anagraf flag is set. Used by the fault tests and the fuzzers,
// which count the records with conta (support/records.h).
#pragma once

#include <string>
#include <unordered_set>

#include "support/records.h"

namespace guasti {

// "" when both lists are well formed, otherwise what is wrong with them.
inline std::string difetto_liste() {
    std::unordered_set<const NODO_ANAGRAF*> anagrafiche;
    for (const NODO_ANAGRAF* a = lista_anagraf; a != nullptr; a = a->next)
        if (!anagrafiche.insert(a).second)
            return "the owners list runs back into itself after " +
                   std::to_string(anagrafiche.size()) + " records";
    std::unordered_set<const NODO_CONTRAVV*> multe;
    for (const NODO_CONTRAVV* c = lista_contravv; c != nullptr; c = c->next) {
        if (!multe.insert(c).second)
            return "the fines list runs back into itself after " + std::to_string(multe.size()) +
                   " records";
        const bool nella_lista = c->anagraf != nullptr && anagrafiche.count(c->anagraf) == 1;
        if (c->anagraf != nullptr && !nella_lista)
            return "fine n." + std::to_string(c->numero) +
                   " points to an owner record outside the owners list";
        if (c->con_anagraf != nella_lista)
            return "fine n." + std::to_string(c->numero) + " has con_anagraf " +
                   (c->con_anagraf ? "set without" : "clear with") + " an owner record";
    }
    return "";
}

} // namespace guasti
