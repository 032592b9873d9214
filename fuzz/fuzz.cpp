// The libFuzzer targets, in one executable: SANZ_FUZZ_BERSAGLIO names the
// one a run exercises.
//   carica      the loader: the input stands for the fines file and the
//               owners file (split at the first NUL byte, or half way),
//               which are loaded, checked, saved and loaded again
//   giornale    the recovery journal: the input stands for a journal found
//               beside the sample archive; it is read and, when recognised,
//               replayed over the sample's lists, which must stay well formed
//   avvisi      the office's settings and the notice codes: the input
//               stands for a settings file, then (after a NUL byte) a
//               payment row whose code is looked for
//   elenco      a payment list: the input is read as the CSV importa-pagamenti
//               reads, each field as an amount and as a reason, and quoted
//               as a message quotes it
//   ins_str ... domanda_sn
//               one console input routine (guasti::BERSAGLI): the input is
//               typed at the console until it runs out
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>

#include "faults/fuzz_harness.h"
#include "faults/fuzz_notices.h"

namespace {

char propria[64] = ""; // the folder the loader target made for itself, if any

// Removes the files of the last run and the folder this target made.
void togli_propria() {
    for (const char* nome : {"c0", "a0", "c1", "a1", "c2", "a2"})
        unlink((std::string(propria) + "/" + nome + ".txt").c_str());
    unlink((std::string(propria) + "/ufficio.conf").c_str());
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

enum class TIPO { CARICA, GIORNALE, AVVISI, ELENCO, ROUTINE };
TIPO tipo = TIPO::CARICA;
guasti::ROUTINE routine = guasti::ROUTINE::INS_STR;
const char* nome = "carica";

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* scelto = std::getenv("SANZ_FUZZ_BERSAGLIO");
    if (scelto == nullptr) scelto = "";
    if (std::strcmp(scelto, "carica") == 0) return 0;
    nome = scelto;
    if (std::strcmp(scelto, "giornale") == 0) {
        tipo = TIPO::GIORNALE;
        return 0;
    }
    if (std::strcmp(scelto, "avvisi") == 0) {
        tipo = TIPO::AVVISI;
        return 0;
    }
    if (std::strcmp(scelto, "elenco") == 0) {
        tipo = TIPO::ELENCO;
        return 0;
    }
    for (const auto& [bersaglio, r] : guasti::BERSAGLI) {
        if (std::strcmp(scelto, bersaglio) == 0) {
            tipo = TIPO::ROUTINE;
            routine = r;
            return 0;
        }
    }
    std::fprintf(stderr,
                 "SANZ_FUZZ_BERSAGLIO=\"%s\" names no target; the targets: carica giornale avvisi elenco",
                 scelto);
    for (const auto& [bersaglio, r] : guasti::BERSAGLI) std::fprintf(stderr, " %s", bersaglio);
    std::fprintf(stderr, "\n");
    std::exit(2);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t n) {
    const std::string_view input(reinterpret_cast<const char*>(dati), n);
    std::string difetto;
    switch (tipo) {
        case TIPO::CARICA: difetto = guasti::prova_caricamento(input, cartella()); break;
        case TIPO::GIORNALE: difetto = guasti::prova_giornale(input, CAMPIONE); break;
        case TIPO::AVVISI: difetto = guasti::prova_avvisi(input, cartella()); break;
        case TIPO::ELENCO: difetto = guasti::prova_elenco(input); break;
        case TIPO::ROUTINE: difetto = guasti::prova_routine(routine, input); break;
    }
    if (!difetto.empty()) {
        std::fprintf(stderr, "%s: %s\n", nome, difetto.c_str());
        std::abort();
    }
    return 0;
}
