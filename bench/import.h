// Importing a day's payment list into a large archive, as the command
// does it in a process of its own, against a load and a save of the same
// archive.
#pragma once

#include <string>

struct TEMPO_IMPORTAZIONE {
    double secondi = 0; // the whole command: start, load, checks, journal, save, end
    std::size_t pagamenti = 0;
    long long picco = 0;       // the command's highest resident memory, in bytes
    std::size_t byte_elenco = 0; // of the list
    bool riuscito = false;
};

// Writes in `cartella` a CSV list paying the first `quanti` unpaid fines
// with owner data of the archive (all of them, when there are fewer), then runs `sanzionario importa-pagamenti`
// on it there. The archive's files are then saved with those payments.
TEMPO_IMPORTAZIONE misura_importazione(const std::string& cartella, const std::string& file_c,
                                       const std::string& file_a, std::size_t quanti);
