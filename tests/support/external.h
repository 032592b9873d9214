// Programs no one here wrote, which read back what the program makes
// (pdftotext, zbarimg, python3): whether one is installed, and its output.
#pragma once

#include <optional>
#include <string>

// The program `nome` is on the PATH.
bool programma_presente(const std::string& nome);

// What the shell command `comando` wrote on standard output, when it ended
// with status 0.
std::optional<std::string> uscita_comando(const std::string& comando);
