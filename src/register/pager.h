// Output of the `registro` command: through the system's pager ($PAGER,
// else less) when standard output is a terminal, plain when it is not.
#pragma once

#include <string_view>

// Writes the whole text. False when it could not be written, or when the
// pager could not be started: that is told on standard error, and the
// text then follows plain.
bool mostra_testo(std::string_view testo);
