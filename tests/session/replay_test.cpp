// Replaying a journal through the index of places: the same records as a
// walk of the lists, also where identifiers repeat.
#include <gtest/gtest.h>

#include <cstring>
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
