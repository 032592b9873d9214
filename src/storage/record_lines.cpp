// Splitting data file text into lines and records.
#include "storage/record_lines.h"

namespace {

// The next line at `pos`, or false at the end of the text.
bool prossima_riga(std::string_view testo, std::size_t& pos, std::string_view& riga) {
    if (pos >= testo.size()) return false;
    std::size_t fine = testo.find('\n', pos);
    const std::size_t dopo = fine == std::string_view::npos ? testo.size() : fine + 1;
    if (fine == std::string_view::npos) fine = testo.size();
    riga = testo.substr(pos, fine - pos);
    if (!riga.empty() && riga.back() == '\r') riga.remove_suffix(1);
    pos = dopo;
    return true;
}

} // namespace

bool prossimo_record(std::string_view testo, std::size_t& pos, RIGHE_RECORD& righe) {
    righe = {};
    std::size_t lette = 0;
    bool contenuto = false;
    while (lette < RIGHE_PER_RECORD && prossima_riga(testo, pos, righe[lette])) {
        contenuto = contenuto || !righe[lette].empty();
        ++lette;
    }
    if (lette == RIGHE_PER_RECORD) return true;
    return contenuto;
}
