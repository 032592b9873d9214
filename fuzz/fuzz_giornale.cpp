// libFuzzer target for the recovery journal: the input stands for a
// journal found beside the sample archive. It is read and, when it is
// recognised, replayed over the sample's lists: nothing may crash, and the
// lists must stay well formed whatever the journal says.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "faults/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t n) {
    const std::string difetto = guasti::prova_giornale(
        std::string_view(reinterpret_cast<const char*>(dati), n), CAMPIONE);
    if (!difetto.empty()) {
        std::fprintf(stderr, "giornale: %s\n", difetto.c_str());
        std::abort();
    }
    return 0;
}
