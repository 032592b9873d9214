// Points the console at string streams for the length of a test, and gives
// back what was printed.
#pragma once

#include <sstream>
#include <string>

#include "console/console.h"

struct ConsoleFinta {
    std::istringstream in;
    std::ostringstream out;
    explicit ConsoleFinta(const std::string& input = "") : in(input) { usa_flussi(in, out); }
    ~ConsoleFinta() { usa_flussi(std::cin, std::cout); }
    std::string testo() const { return out.str(); }
};
