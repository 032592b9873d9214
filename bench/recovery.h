// Recovering a journal of many operations over a large archive, against a
// load of the same archive: what a crash after a busy day costs.
#pragma once

#include <cstddef>
#include <string>

struct TEMPO_RECUPERO {
    double recupero = 0; // load, replay of the journal and the journal resumed (seconds)
    double carica = 0;   // load of the same files, no journal (seconds)
    std::size_t byte_registro = 0; // what the recovery wrote to the register
    std::size_t voci_registro = 0; // in entries: one per operation, and the recovery's
    bool riuscito = false;
};

// Writes beside the fines file a journal of `operazioni` operations (the
// amount of a fine changed, every tenth a fine recorded), as the program
// would have left it, and a register that names that journal but holds
// none of its operations, then times loading with its recovery (the
// register's missing entries written in one batch) against a plain load.
// The lists are left empty.
TEMPO_RECUPERO misura_recupero(const std::string& file_c, const std::string& file_a,
                               std::size_t operazioni);
