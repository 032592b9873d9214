// Runs the real program as a clerk would: in a working folder of its own,
// standard input fed from a string, standard output and error captured.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "support/folder.h"

struct Sessione {
    std::string output;
    std::string errori; // standard error: must stay empty
    int stato = -1;     // exit status, or -1 when the program did not exit normally
};

// Runs the program in the folder with the given input. The environment is
// the test's own but for the locale, which is set to `locale` (LANG, with
// LC_ALL and LC_CTYPE removed).
Sessione esegui_programma(const Cartella& dove, const std::string& input,
                          const std::string& locale = "C");
