// The copy of the screen drawn again after a stop.
#include "console/screen_copy.h"

void annota_schermo(COPIA_SCHERMO& copia, std::string_view testo) {
    constexpr std::string_view PULISCI = "\x1b[2J";
    const std::size_t sequenza = testo.rfind(PULISCI);
    const std::size_t foglio = testo.rfind('\f');
    std::size_t da = std::string_view::npos;
    if (sequenza != std::string_view::npos) da = sequenza + PULISCI.size();
    if (foglio != std::string_view::npos && (da == std::string_view::npos || foglio + 1 > da))
        da = foglio + 1;
    if (da != std::string_view::npos) {
        copia.byte.clear();
        testo.remove_prefix(da);
    }
    copia.byte += testo;
    if (copia.byte.size() > COPIA_MAX) {
        // Cut at a line's start, so that no escape sequence is split.
        const std::size_t a_capo = copia.byte.find('\n', copia.byte.size() - COPIA_MAX / 2);
        copia.byte.erase(0, a_capo == std::string::npos ? copia.byte.size() : a_capo + 1);
    }
}
