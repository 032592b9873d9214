// Asking the operator for the path of a data file, at loading and at
// "Salva con nome...".
#pragma once

#include <cstddef>
#include <string>

// Longest path the current file names can hold.
constexpr std::size_t PERCORSO_MAX = 127;

// Prints the question and ">", then reads the answer. An answer longer than
// PERCORSO_MAX is refused (never cut): a message and ">" are printed and the
// answer is read again. An empty answer gives the default path.
std::string chiedi_percorso(const char* domanda, const char* predefinito);
