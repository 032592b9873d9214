// The warnings a session gives when what protects the clerk's work stops:
// the journal or the register can no longer be written. Each is given
// once, until that file is written again; the caller pauses after one.
#pragma once

#include <string>

// The journal at `percorso` cannot be written: the work is not protected
// against a crash. True when the warning was printed.
bool avvisa_giornale_mancante(const std::string& percorso);

// The register in use cannot be written. True when the warning was printed.
bool avvisa_registro_mancante();
