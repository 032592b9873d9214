// Replaying a journal through the door's index: the same records as a
// walk of the lists, also where identifiers repeat.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <span>
#include <string>

#include "model/changes.h"
#include "session/replay.h"
#include "support/records.h"

namespace {

VOCE_GIORNALE voce(std::vector<MODIFICA> modifiche) {
    VOCE_GIORNALE v;
    v.tipo = TIPO_VOCE::MODIFICHE;
    v.modifiche = std::move(modifiche);
    return v;
}

MODIFICA cambio_luogo(const NODO_CONTRAVV* f, POSIZIONE dove, const char* luogo) {
    MODIFICA m;
    m.tipo = TIPO_MODIFICA::CONTRAVV_CAMBIATA;
    m.dove = dove;
    m.contravv = *f;
    std::strcpy(m.contravv.luogo, luogo);
    return m;
}

} // namespace

TEST(Replay, FindsTheRecordsAWalkFindsWhereIdentifiersRepeatAndWhereTheyDoNot) {
    // The second fine's number: the first's again, the next one, or one
    // below it (the numbers then unique, but not rising along the list).
    for (const uint32_t secondo : {5u, 6u, 3u}) {
        SCOPED_TRACE("fines 5, " + std::to_string(secondo) + ", 7");
        const bool doppi = secondo == 5;
        libera_liste();
        NODO_CONTRAVV* uno = accoda_contravv({5, {1, 2, 2026}, "A", "AA111AA", "Sosta", 10});
        NODO_CONTRAVV* due = accoda_contravv({secondo, {1, 2, 2026}, "B", "BB", "X", 20});
        NODO_CONTRAVV* tre = accoda_contravv({7, {1, 2, 2026}, "C", "CC", "Y", 30});
        const LISTE_TOLTE fatte = togli_liste();
        installa_liste(fatte.contravv, fatte.anagraf, !doppi, true);
        ascolta_modifiche(nullptr);
        const POSIZIONE di_due = posizione(due);
        // The second fine renamed, the first deleted, a fine appended, the
        // last one before it deleted: each found where the walk finds it.
        MODIFICA tolta;
        tolta.tipo = TIPO_MODIFICA::CONTRAVV_TOLTA;
        tolta.dove = posizione(uno);
        MODIFICA aggiunta;
        aggiunta.tipo = TIPO_MODIFICA::CONTRAVV_AGGIUNTA;
        aggiunta.contravv = *tre;
        aggiunta.contravv.numero = 8;
        MODIFICA tolta_tre;
        tolta_tre.tipo = TIPO_MODIFICA::CONTRAVV_TOLTA;
        tolta_tre.dove = posizione(tre);
        const std::vector<VOCE_GIORNALE> voci = {voce({cambio_luogo(due, di_due, "Nuovo")}),
                                                 voce({tolta}), voce({aggiunta}),
                                                 voce({tolta_tre})};
        std::size_t applicate = 0;
        long escluse = 0;
        ASSERT_TRUE(riapplica_giornale(voci, applicate, escluse));
        EXPECT_EQ(applicate, 4u);
        ASSERT_EQ(lista_contravv, due);
        EXPECT_STREQ(due->luogo, "Nuovo");
        ASSERT_NE(due->next, nullptr);
        EXPECT_EQ(due->next->numero, 8u);
        EXPECT_EQ(due->next->next, nullptr);
        libera_liste();
    }
}

namespace {

std::vector<VOCE_GIORNALE> registrate;

void registra(std::span<const MODIFICA> gruppo, bool) {
    registrate.push_back(voce({gruppo.begin(), gruppo.end()}));
}

// Owners 1 to 4 (with `doppio` the fourth has code 3 too) and five fines:
// two of the first owner, one of each other, all paid but the fourth.
void prepara(bool doppio) {
    libera_liste();
    NODO_ANAGRAF* a[4];
    for (uint32_t i = 0; i < 4; ++i)
        a[i] = accoda_anagraf({doppio && i == 3 ? 3 : i + 1, "ROSSI", "ANNA", {1, 1, 1980}, "VIA",
                               "ROMA", "00100", "RM", "RSSNNA80A41H501U", "RM1234567A"});
    NODO_ANAGRAF* di[5] = {a[0], a[1], a[2], a[0], a[3]};
    for (uint32_t n = 1; n <= 5; ++n)
        accoda_contravv({n, {1, 2, 2026}, "Roma", "AB123CD", "Sosta", 10.0 * n, di[n - 1], n != 4,
                         {3, 2, 2026}});
    const LISTE_TOLTE fatte = togli_liste();
    installa_liste(fatte.contravv, fatte.anagraf, true, !doppio);
}

NODO_ANAGRAF* persona(std::size_t i) {
    NODO_ANAGRAF* a = lista_anagraf;
    while (i-- > 0) a = a->next;
    return a;
}

NODO_CONTRAVV* multa(uint32_t numero) {
    NODO_CONTRAVV* f = lista_contravv;
    while (f->numero != numero) f = f->next;
    return f;
}

// Each fine's number, owner code and payment; then the owners' codes.
std::string stato() {
    std::string s;
    for (const NODO_CONTRAVV* f = lista_contravv; f != nullptr; f = f->next)
        s += std::to_string(f->numero) + ":" +
             (f->con_anagraf ? std::to_string(f->anagraf->codice) : "-") +
             (f->pagata ? "p " : " ");
    s += "|";
    for (const NODO_ANAGRAF* a = lista_anagraf; a != nullptr; a = a->next)
        s += " " + std::to_string(a->codice);
    return s;
}

} // namespace

TEST(Replay, OwnersRemovedAndMergedLeaveTheFinesAsTheOperationsThemselvesDid) {
    // Each script runs through the door while the journal is kept, then the
    // journal is replayed over the lists as they were: both end the same.
    const std::vector<std::function<void()>> copioni = {
        // Merged twice in a chain, another owner's fine deleted with it,
        // then the last owner of the chain removed with its own fine.
        [] {
            unisci_anagraf(persona(0), persona(1));
            unisci_anagraf(persona(0), persona(2));
            elimina_contravv(multa(3), multa(2), true);
            elimina_contravv(multa(5), multa(4), true);
        },
        // A removal; a fine of a merged owner deleted with its owner.
        [] {
            elimina_anagraf(persona(2));
            unisci_anagraf(persona(0), persona(2));
            elimina_contravv(multa(1), nullptr, true);
        },
    };
    for (const bool doppio : {false, true}) {
        for (std::size_t i = 0; i < copioni.size(); ++i) {
            SCOPED_TRACE("script " + std::to_string(i) + (doppio ? ", a code twice" : ""));
            prepara(doppio);
            registrate.clear();
            ascolta_modifiche(registra);
            copioni[i]();
            ascolta_modifiche(nullptr);
            const std::string atteso = stato();
            prepara(doppio);
            std::size_t applicate = 0;
            long escluse = 0;
            ASSERT_TRUE(riapplica_giornale(registrate, applicate, escluse));
            EXPECT_EQ(stato(), atteso);
        }
    }
    libera_liste();
}
