// libFuzzer target for the loader: the input stands for the fines file and
// the owners file (split at the first NUL byte, or half way), which are
// loaded, checked, saved and loaded again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "faults/fuzz_harness.h"

namespace {

char propria[64] = ""; // the folder this target made for itself, if any

// Removes the files of the last run and the folder this target made.
void togli_propria() {
    for (const char* nome : {"c0", "a0", "c1", "a1", "c2", "a2"})
        unlink((std::string(propria) + "/" + nome + ".txt").c_str());
    rmdir(propria);
}

// One folder for the whole run: the one fuzz/run.sh gives (and removes
// afterwards, also after a crash), or a new one in memory when the system
// offers it.
const char* cartella() {
    if (const char* fornita = std::getenv("SANZ_FUZZ_CARTELLA")) return fornita;
    if (propria[0] == '\0') {
        std::snprintf(propria, sizeof propria, "%s/sanz-fuzz-XXXXXX",
                      access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
        if (mkdtemp(propria) == nullptr) std::abort();
        std::atexit(togli_propria);
    }
    return propria;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t n) {
    const std::string difetto =
        guasti::prova_caricamento({reinterpret_cast<const char*>(dati), n}, cartella());
    if (!difetto.empty()) {
        std::fprintf(stderr, "carica: %s\n", difetto.c_str());
        std::abort();
    }
    return 0;
}
