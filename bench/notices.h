// The payment notices measure of the benchmark: a thousand notices of a
// large archive made by `sanzionario avvisi`, against `esporta` of the same
// archive, each in a process of its own, in turns.
#pragma once

#include <cstddef>
#include <string>

struct TEMPO_AVVISI {
    double avvisi = 0;  // median seconds of the command making the notices
    double esporta = 0; // median seconds of `esporta -o` of the same archive
    std::size_t quanti = 0;
    std::size_t byte_pdf = 0;
    bool riuscito = false;
};

// Asks `sanzionario avvisi` in `cartella` for the notices of the first
// `quanti` unpaid fines with owner data, `ripetizioni` times in turns with
// `sanzionario esporta`; the files they write are removed.
TEMPO_AVVISI misura_avvisi(const std::string& cartella, const std::string& file_c,
                           const std::string& file_a, std::size_t quanti, int ripetizioni);
