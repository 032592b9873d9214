// The door's index against walks of the lists: after random changes, every
// look-up by identifier gives what a walk gives ("the first record whose
// identifier matches"), on lists numbered as this system numbers them,
// spread unevenly, with identifiers that repeat and that do not rise;
// whether the index was made by the load or by the door itself.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "model/changes.h"
#include "model/owner_data_index.h"
#include "storage/archive_files.h"
#include "support/folder.h"
#include "support/records.h"

namespace {

constexpr uint32_t MULTE = 120;
constexpr uint32_t PERSONE = 50;
constexpr int PASSI = 150;

struct NUMERAZIONE {
    const char* nome;
    std::function<uint32_t(uint32_t)> id; // the identifier of the i-th record
};

const std::vector<NUMERAZIONE> NUMERAZIONI = {
    {"rising, one after the other", [](uint32_t i) { return i + 1; }},
    {"rising, even steps", [](uint32_t i) { return 3 * i + 1; }},
    {"rising, ever wider gaps", [](uint32_t i) { return i * i + 1; }},
    {"rising, a cluster then a leap near the top",
     [](uint32_t i) { return i < 90 ? i + 1 : 4'294'967'000u + i; }},
    {"repeated", [](uint32_t i) { return i / 3 + 1; }},
    {"falling", [](uint32_t i) { return 100'000 - 7 * i; }},
    {"scattered, some repeated", [](uint32_t i) { return (i * 2'654'435'761u) % 400 + 1; }},
};

template <class N> N* prima_a_piedi(N* lista, const N* r) {
    N* prima = nullptr;
    for (N* q = lista; q != r; q = q->next) prima = q;
    return prima;
}

template <class N> N* a_caso(N* lista, std::mt19937& caso) {
    const int n = conta(lista);
    if (n == 0) return nullptr;
    N* r = lista;
    for (int k = std::uniform_int_distribution<int>(0, n - 1)(caso); k > 0; --k) r = r->next;
    return r;
}

// Owners with one of five first names: many equal in all nine data fields.
const char* const NOMI[] = {"ANNA", "LUCA", "SARA", "PIERO", "ELENA"};

CAMPI_ANAGRAF persona(uint32_t codice, uint32_t variante) {
    return {codice,  "ROSSI", NOMI[variante % 5], {1, 1, 1980}, "VIA", "ROMA",
            "00100", "RM",    "RSSNNA80A41H501U", "RM1234567A"};
}

NODO_ANAGRAF* uguale_a_piedi(const NODO_ANAGRAF* p) {
    for (NODO_ANAGRAF* q = lista_anagraf; q != nullptr; q = q->next)
        if (q != p && stessi_dati(q, p)) return q;
    return nullptr;
}

// Every look-up of the door against the walk, for every identifier in the
// lists, the one after each, and the ends of the range.
void confronta() {
    std::vector<uint64_t> numeri = {0, UINT32_MAX, uint64_t{UINT32_MAX} + 1};
    for (const NODO_CONTRAVV* f = lista_contravv; f != nullptr; f = f->next) {
        numeri.push_back(f->numero);
        numeri.push_back(uint64_t{f->numero} + 1);
        ASSERT_EQ(precedente(f), prima_a_piedi(lista_contravv, f));
        ASSERT_EQ(in_posizione(lista_contravv, posizione(f)), f);
    }
    for (const uint64_t n : numeri) {
        NODO_CONTRAVV *prima = nullptr, *prima_walk = nullptr;
        NODO_CONTRAVV* walk =
            n > UINT32_MAX ? nullptr : trova_contravv(lista_contravv, n, &prima_walk);
        ASSERT_EQ(trova_numero(lista_contravv, n, &prima), walk) << n;
        ASSERT_EQ(prima, prima_walk) << n;
    }
    std::vector<uint64_t> codici = {0, UINT32_MAX};
    for (NODO_ANAGRAF* a = lista_anagraf; a != nullptr; a = a->next) {
        codici.push_back(a->codice);
        codici.push_back(uint64_t{a->codice} + 1);
        ASSERT_EQ(precedente(a), prima_a_piedi(lista_anagraf, a));
        ASSERT_EQ(in_posizione(lista_anagraf, posizione(a)), a);
        ASSERT_EQ(anagraf_uguale(a), uguale_a_piedi(a));
    }
    for (const uint64_t c : codici)
        ASSERT_EQ(trova_codice(lista_anagraf, c),
                  c > UINT32_MAX ? nullptr : trova_anagraf(lista_anagraf, c))
            << c;
    NODO_CONTRAVV *coda_c = nullptr, *coda_walk_c = nullptr;
    ASSERT_EQ(numero_nuovo(lista_contravv, &coda_c), nuovo_numero(lista_contravv, &coda_walk_c));
    ASSERT_EQ(coda_c, coda_walk_c);
    ASSERT_EQ(ultima_contravv(), coda(lista_contravv));
    NODO_ANAGRAF *coda_a = nullptr, *coda_walk_a = nullptr;
    ASSERT_EQ(codice_nuovo(lista_anagraf, &coda_a), nuovo_codice(lista_anagraf, &coda_walk_a));
    ASSERT_EQ(coda_a, coda_walk_a);
    ASSERT_EQ(ultima_anagraf(), coda(lista_anagraf));
}

// One random change: mostly through the door, now and then past it.
void cambia(std::mt19937& caso, const NUMERAZIONE& n) {
    switch (std::uniform_int_distribution<int>(0, 9)(caso)) {
    case 0: { // a fine recorded, as its entry screen does
        NODO_CONTRAVV* coda = nullptr;
        const auto numero = numero_nuovo(lista_contravv, &coda);
        if (!numero) return;
        NODO_CONTRAVV* f = crea_contravv({*numero, {1, 2, 2026}, "A", "AA", "B", 1.0});
        accoda_bozza(f, coda);
        if (NODO_ANAGRAF* a = a_caso(lista_anagraf, caso)) collega_anagraf(f, a);
        conferma_bozza(f);
        return;
    }
    case 1: { // an owner recorded, or found equal to one on file and dropped
        NODO_ANAGRAF* coda = nullptr;
        const auto codice = codice_nuovo(lista_anagraf, &coda);
        if (!codice) return;
        NODO_ANAGRAF* a = crea_anagraf(persona(*codice, static_cast<uint32_t>(caso())));
        accoda_bozza(a, coda);
        if (anagraf_uguale(a) != uguale_a_piedi(a)) ADD_FAILURE() << "a draft's equal";
        if (caso() % 3 == 0) {
            scarta_bozza(a);
        } else {
            conferma_bozza(a);
        }
        return;
    }
    case 2:
    case 3: { // a fine deleted, with its owner one time in three
        const NODO_CONTRAVV* scelta = a_caso(lista_contravv, caso);
        if (scelta == nullptr) return;
        NODO_CONTRAVV* prima = nullptr;
        NODO_CONTRAVV* f = trova_numero(lista_contravv, scelta->numero, &prima);
        elimina_contravv(f, prima, caso() % 3 == 0);
        return;
    }
    case 4: // an owner deleted
        if (NODO_ANAGRAF* a = a_caso(lista_anagraf, caso)) elimina_anagraf(a);
        return;
    case 5: { // two owners merged
        NODO_ANAGRAF* a = a_caso(lista_anagraf, caso);
        NODO_ANAGRAF* b = a_caso(lista_anagraf, caso);
        if (a != nullptr && a != b) unisci_anagraf(a, b);
        return;
    }
    case 6: // a record appended past the door, with the row's numbering
        accoda_contravv(
            {n.id(static_cast<uint32_t>(caso() % MULTE)), {1, 2, 2026}, "A", "AA", "B", 1.0});
        return;
    case 7: // the fines' head deleted through the door
        if (lista_contravv != nullptr) elimina_contravv(lista_contravv, nullptr, false);
        return;
    case 9: { // another program's fine, placed after a record rather than at the tail,
              // with a number just above it (one the next record may hold too)
        NODO_CONTRAVV* p = a_caso(lista_contravv, caso);
        if (p == nullptr || p->next == nullptr || p->numero == UINT32_MAX) return;
        NODO_CONTRAVV* f = crea_contravv({p->numero + 1, {1, 2, 2026}, "A", "AA", "B", 1.0});
        inserisci_record(f, nullptr, p);
        return;
    }
    case 8: // an owner's data changed
        if (NODO_ANAGRAF* a = a_caso(lista_anagraf, caso)) {
            NODO_ANAGRAF nuovi = *a;
            copia_campo(nuovi.nome, NOMI[caso() % 5]);
            modifica_dati(a, nuovi);
        }
        return;
    }
}

} // namespace

TEST(RecordIndex, GivesWhatAWalkGivesAfterRandomChangesWhateverTheNumbering) {
    for (const NUMERAZIONE& n : NUMERAZIONI) {
        for (const bool caricate : {false, true}) {
            SCOPED_TRACE(std::string(n.nome) + (caricate ? ", loaded" : ", in memory"));
            libera_liste();
            std::vector<NODO_ANAGRAF*> persone;
            for (uint32_t i = 0; i < PERSONE; ++i)
                persone.push_back(accoda_anagraf(persona(n.id(i), i)));
            for (uint32_t i = 0; i < MULTE; ++i)
                accoda_contravv({n.id(i),
                                 {1, 2, 2026},
                                 "A",
                                 "AA",
                                 "B",
                                 1.0,
                                 i % 4 == 0 ? nullptr : persone[i % PERSONE]});
            Cartella cartella;
            if (caricate) {
                const std::string c = cartella.file("c.txt"), a = cartella.file("a.txt");
                ASSERT_TRUE(scrivi_archivio(c.c_str(), a.c_str()));
                ASSERT_EQ(carica_archivio(c.c_str(), a.c_str()), 0);
            }
            std::mt19937 caso(12345);
            for (int passo = 0; passo < PASSI; ++passo) {
                cambia(caso, n);
                ASSERT_NO_FATAL_FAILURE(confronta()) << "after change " << passo;
            }
        }
    }
    libera_liste();
}
