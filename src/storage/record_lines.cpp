// Splitting data file text into lines and records.
#include "storage/record_lines.h"

namespace {

// The next line at `pos`, or false when the text holds no whole line there:
// at its end, or, when the text is not the end of the file, before a line end.
bool prossima_riga(std::string_view testo, bool finale, std::size_t& pos, std::string_view& riga) {
    if (pos >= testo.size()) return false;
    std::size_t fine = testo.find('\n', pos);
    if (fine == std::string_view::npos && !finale) return false;
    const std::size_t dopo = fine == std::string_view::npos ? testo.size() : fine + 1;
    if (fine == std::string_view::npos) fine = testo.size();
    riga = testo.substr(pos, fine - pos);
    if (!riga.empty() && riga.back() == '\r') riga.remove_suffix(1);
    pos = dopo;
    return true;
}

} // namespace

TAGLIO taglia_record(std::string_view testo, bool finale, std::size_t& pos, RIGHE_RECORD& righe) {
    righe = {};
    std::size_t dopo = pos;
    std::size_t lette = 0;
    bool contenuto = false;
    while (lette < RIGHE_PER_RECORD && prossima_riga(testo, finale, dopo, righe[lette])) {
        contenuto = contenuto || !righe[lette].empty();
        ++lette;
    }
    if (lette < RIGHE_PER_RECORD) {
        if (!finale) return TAGLIO::INCOMPLETO;
        if (!contenuto) return TAGLIO::FINE;
    }
    pos = dopo;
    return TAGLIO::RECORD;
}
