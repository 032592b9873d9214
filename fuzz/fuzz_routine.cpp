// libFuzzer target for one console input routine, chosen at build time
// with -DROUTINE_DA_PROVARE=<name of guasti::ROUTINE>: the input is typed
// at the console until it runs out.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "faults/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t n) {
    const std::string difetto = guasti::prova_routine(guasti::ROUTINE::ROUTINE_DA_PROVARE,
                                                      {reinterpret_cast<const char*>(dati), n});
    if (!difetto.empty()) {
        std::fprintf(stderr, "%s\n", difetto.c_str());
        std::abort();
    }
    return 0;
}
