// The owner block's failure messages (the block itself is checked inside
// the fine display).
#include "fines/fixtures.h"
#include "owners/owners.h"

using OwnersDisplay = ListeVuote;

TEST_F(OwnersDisplay, EmptyListComesBeforeMissingRecord) {
    ConsoleFinta c("\n\n");
    NODO_ANAGRAF altro{};
    EXPECT_EQ(vis_anagraf(nullptr, &altro), -1);
    EXPECT_EQ(vis_anagraf(aggiungi_anagraf(1), nullptr), 1);
    EXPECT_EQ(c.testo(), "Non sono presenti dati anagrafici.\n" + PAUSA +
                             "Dati anagrafici inesistenti.\n" + PAUSA);
}
