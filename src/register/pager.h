// Output of the `registro` command: through the system's pager ($PAGER,
// else less) when standard output is a terminal, plain when it is not.
#pragma once

#include <string_view>

// Writes the whole text. False when it could not be written.
bool mostra_testo(std::string_view testo);
