// The owners' data index: FNV-1a over the nine fields, chains of codes.
#include "model/owner_data_index.h"

#include <cstring>
#include <initializer_list>
#include <string_view>

#include "model/walk.h"

namespace {

constexpr std::size_t SECCHI_MINIMI = 1024;

uint64_t mescola(uint64_t h, const void* dati, std::size_t n) {
    const auto* b = static_cast<const unsigned char*>(dati);
    for (std::size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 0x100000001B3u;
    return h;
}

uint64_t mescola_testo(uint64_t h, const char* t) {
    return mescola(h, t, std::strlen(t) + 1); // the terminator keeps fields apart
}

uint64_t impronta(const NODO_ANAGRAF* a) {
    uint64_t h = 0xCBF29CE484222325u;
    for (const char* t : {a->cognome, a->nome, a->indirizzo, a->citta, a->provincia, a->cap,
                          a->codice_fiscale, a->patente})
        h = mescola_testo(h, t);
    const int16_t nascita[3] = {a->data_nascita.gg, a->data_nascita.mm, a->data_nascita.aaaa};
    return mescola(h, nascita, sizeof nascita);
}

std::size_t secchio(const INDICE_DATI& d, const NODO_ANAGRAF* a) {
    return static_cast<std::size_t>(impronta(a)) & (d.teste.size() - 1);
}

uint32_t& seguente_di(INDICE_DATI& d, uint32_t codice) {
    const std::size_t i = codice - d.base;
    if (i >= d.seguenti.size()) d.seguenti.resize(i + 1 + i / 8, 0);
    return d.seguenti[i];
}

// Every code of every chain, for a larger table.
void ingrandisci(INDICE_DATI& d, const INDICE_ID<NODO_ANAGRAF>& x) {
    std::vector<uint32_t> codici;
    codici.reserve(d.quanti);
    for (uint32_t c : d.teste)
        for (std::size_t passi = 0; c != 0 && passi <= d.quanti; ++passi) {
            codici.push_back(c - 1);
            c = d.seguenti[c - 1 - d.base];
        }
    d.teste.assign(d.teste.size() * 2, 0);
    d.quanti = 0;
    for (uint32_t c : codici)
        if (const NODO_ANAGRAF* a = indice_trova(x, c)) dati_entrati(d, x, a);
}

} // namespace

bool stessi_dati(const NODO_ANAGRAF* a, const NODO_ANAGRAF* b) {
    return std::strcmp(a->cognome, b->cognome) == 0 && std::strcmp(a->nome, b->nome) == 0 &&
           a->data_nascita.gg == b->data_nascita.gg && a->data_nascita.mm == b->data_nascita.mm &&
           a->data_nascita.aaaa == b->data_nascita.aaaa &&
           std::strcmp(a->indirizzo, b->indirizzo) == 0 && std::strcmp(a->citta, b->citta) == 0 &&
           std::strcmp(a->cap, b->cap) == 0 && std::strcmp(a->provincia, b->provincia) == 0 &&
           std::strcmp(a->codice_fiscale, b->codice_fiscale) == 0 &&
           std::strcmp(a->patente, b->patente) == 0;
}

bool dati_indicizzabili(const INDICE_ID<NODO_ANAGRAF>& x) {
    return x.in_tabella && x.crescenti && x.unici;
}

void indicizza_dati(INDICE_DATI& d, const INDICE_ID<NODO_ANAGRAF>& x, const NODO_ANAGRAF* lista,
                    const NODO_ANAGRAF* esclusa) {
    d = INDICE_DATI{};
    d.base = x.base;
    std::size_t secchi = SECCHI_MINIMI;
    while (secchi < x.quanti) secchi *= 2;
    d.teste.assign(secchi, 0);
    d.seguenti.assign(x.tabella.size(), 0);
    for (const NODO_ANAGRAF* a = lista; a != nullptr; a = seguente(a))
        if (a != esclusa) dati_entrati(d, x, a);
}

bool dati_entrati(INDICE_DATI& d, const INDICE_ID<NODO_ANAGRAF>& x, const NODO_ANAGRAF* a) {
    if (a->codice < d.base) return false;
    if (d.quanti >= 2 * d.teste.size()) ingrandisci(d, x);
    uint32_t& testa = d.teste[secchio(d, a)];
    seguente_di(d, a->codice) = testa;
    testa = a->codice + 1;
    ++d.quanti;
    return true;
}

bool dati_usciti(INDICE_DATI& d, const NODO_ANAGRAF* a) {
    if (a->codice < d.base) return false;
    uint32_t* anello = &d.teste[secchio(d, a)];
    for (std::size_t passi = 0; *anello != 0 && passi <= d.quanti; ++passi) {
        if (*anello == a->codice + 1) {
            *anello = d.seguenti[a->codice - d.base];
            d.seguenti[a->codice - d.base] = 0;
            --d.quanti;
            return true;
        }
        if (*anello - 1 - d.base >= d.seguenti.size()) return false;
        anello = &d.seguenti[*anello - 1 - d.base];
    }
    return false;
}

NODO_ANAGRAF* dati_uguali(const INDICE_DATI& d, const INDICE_ID<NODO_ANAGRAF>& x,
                          const NODO_ANAGRAF* p) {
    NODO_ANAGRAF* primo = nullptr;
    uint32_t c = d.teste[secchio(d, p)];
    for (std::size_t passi = 0; c != 0 && passi <= d.quanti; ++passi) {
        NODO_ANAGRAF* q = indice_trova(x, c - 1);
        if (q != nullptr && q != p && stessi_dati(q, p) &&
            (primo == nullptr || q->codice < primo->codice))
            primo = q;
        if (c - 1 - d.base >= d.seguenti.size()) break;
        c = d.seguenti[c - 1 - d.base];
    }
    return primo;
}
