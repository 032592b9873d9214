// libFuzzer target for the recovery journal: the input stands for a
// journal found beside the sample archive. It is read and, when it is
// recognised, replayed over the sample's lists: nothing may crash, and the
// lists must stay well formed whatever the journal says.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "faults/list_check.h"
#include "model/changes.h"
#include "model/lists.h"
#include "storage/journal_format.h"
#include "storage/journal_replay.h"
#include "storage/load.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t n) {
    if (carica_archivio(CAMPIONE "/contravvenzioni.txt", CAMPIONE "/anagrafica.txt") != 0)
        std::abort();
    ascolta_modifiche(nullptr);
    const GIORNALE_LETTO g =
        decodifica_giornale(std::string_view(reinterpret_cast<const char*>(dati), n));
    if (g.riconosciuto) riapplica_giornale(g.voci);
    const std::string difetto = guasti::difetto_liste();
    if (!difetto.empty()) {
        std::fprintf(stderr, "giornale: %s\n", difetto.c_str());
        std::abort();
    }
    libera_liste();
    return 0;
}
