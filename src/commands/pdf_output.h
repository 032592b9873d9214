// A command's PDF written to its output (a file or standard output, see
// USCITA), a block at a time as cairo produces it.
#pragma once

#include <functional>
#include <string>

#include "commands/command_support.h"
#include "pdf/document.h"

// Draws the document with `disegna` (false when it could not) into the
// output `u`, already open, and closes the output: false, after telling
// why on standard error, when anything failed.
bool scrivi_pdf_uscita(USCITA& u, const std::string& titolo,
                       const std::function<bool(DOCUMENTO_PDF&)>& disegna);
