// The pager convention: $PAGER when set and not empty, else less (told to
// quit at once when the text fits the screen, and to pass colours, as git
// does, unless LESS says otherwise); a pager that cannot be started, and
// any output that is not a terminal, get the text plain.
#include "register/pager.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

bool scrivi_tutto(std::FILE* f, std::string_view testo) {
    return std::fwrite(testo.data(), 1, testo.size(), f) == testo.size() && std::fflush(f) == 0;
}

} // namespace

bool mostra_testo(std::string_view testo) {
    if (isatty(STDOUT_FILENO)) {
        const char* pager = std::getenv("PAGER");
        if (pager == nullptr || *pager == '\0') pager = "less";
        setenv("LESS", "FRX", 0);
        std::fflush(stdout);
        if (std::FILE* p = popen(pager, "w")) {
            // Leaving the pager early is no error.
            const auto prima = std::signal(SIGPIPE, SIG_IGN);
            std::fwrite(testo.data(), 1, testo.size(), p);
            pclose(p);
            std::signal(SIGPIPE, prima);
            return true;
        }
    }
    return scrivi_tutto(stdout, testo);
}
