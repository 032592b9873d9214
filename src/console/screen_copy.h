// What the terminal shows since it was last cleared, kept as the bytes that
// drew it (the program's output and the input lines the terminal echoed),
// so that the screen can be drawn again when the program is resumed after
// Ctrl-Z.
#pragma once

#include <string>
#include <string_view>

struct COPIA_SCHERMO {
    std::string byte; // from just after the last clearing, at most COPIA_MAX
};

// Only the end of a very long screen is kept: more than a terminal shows.
constexpr std::size_t COPIA_MAX = 64 * 1024;

// Adds bytes as they reached the terminal; a clearing among them (the
// escape sequence, or the form feed of a terminal without sequences)
// starts the copy anew after it.
void annota_schermo(COPIA_SCHERMO& copia, std::string_view testo);
