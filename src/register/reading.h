// Reading a register file back, line by line, for the `registro` command.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

struct RIGA_LETTA {
    std::size_t numero = 0; // 1 for the first line
    std::string testo;      // without its line end
    bool completa = true;   // it had its line end (false: the file ends in the middle of it)
};

enum class LETTURA_REGISTRO {
    LETTO,
    ASSENTE,    // no file at that path
    ILLEGGIBILE // not a regular file, or it cannot be read
};

// Calls `riga` for each line of the register at `percorso`, opened without
// following a link and without waiting (a FIFO is no register). The zeros
// at its end, kept ahead by a session that writes it, are no line.
LETTURA_REGISTRO leggi_registro(const std::string& percorso,
                                const std::function<void(const RIGA_LETTA&)>& riga);
