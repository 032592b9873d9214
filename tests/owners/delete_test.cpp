// Deleting owner records: the fines that pointed to them lose owner and payment.
#include "fines/fixtures.h"
#include "owners/owners.h"

using OwnersDelete = ListeVuote;

TEST_F(OwnersDelete, SharedOwnerLeavesItsFinesWithoutOwnerAndUnpaid) {
    NODO_ANAGRAF* a = aggiungi_anagraf(1);
    NODO_ANAGRAF* b = aggiungi_anagraf(2, "BIANCHI");
    aggiungi_contravv(1, a, DATA{20, 3, 2008});
    aggiungi_contravv(2, a);
    aggiungi_contravv(3, b, DATA{21, 3, 2008});
    EXPECT_EQ(canc_anagraf(1), 0);
    EXPECT_EQ(lista_anagraf, b);
    for (const NODO_CONTRAVV* f = lista_contravv; f != lista_contravv->next->next; f = f->next) {
        EXPECT_FALSE(f->con_anagraf);
        EXPECT_EQ(f->anagraf, nullptr);
        EXPECT_FALSE(f->pagata);
        EXPECT_EQ(f->data_pagamento.gg + f->data_pagamento.mm + f->data_pagamento.aaaa, 0);
    }
    EXPECT_TRUE(lista_contravv->next->next->pagata);
}

TEST_F(OwnersDelete, ByCodeTakesTheFirstRecordByRecordTakesThatOne) {
    aggiungi_anagraf(7, "PRIMO");
    NODO_ANAGRAF* secondo = aggiungi_anagraf(7, "SECONDO");
    NODO_ANAGRAF* terzo = aggiungi_anagraf(7, "TERZO");
    EXPECT_EQ(canc_anagraf_record(terzo), 0);
    EXPECT_EQ(canc_anagraf(7), 0);
    EXPECT_EQ(lista_anagraf, secondo);
    EXPECT_EQ(secondo->next, nullptr);
    EXPECT_EQ(canc_anagraf(8), -1);
}
