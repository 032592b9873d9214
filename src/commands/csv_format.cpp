// Fields, dates and amounts of the CSV files; quoting is libcsv's.
#include "commands/csv_format.h"

#include <charconv>
#include <cmath>
#include <csv.h>
#include <cstdio>

#include "input/date.h"

namespace {

std::string_view senza_bianchi(std::string_view t) {
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    return t;
}

} // namespace

void aggiungi_campo(std::string& riga, std::string_view testo, const DIALETTO_CSV& d) {
    if (!riga.empty()) riga += d.separatore;
    bool da_quotare = false;
    for (char c : testo) da_quotare |= c == d.separatore || c == '"' || c == '\n' || c == '\r';
    if (!da_quotare) {
        riga += testo;
        return;
    }
    std::string quotato(testo.size() * 2 + 2, '\0');
    quotato.resize(csv_write(quotato.data(), quotato.size(), testo.data(), testo.size()));
    riga += quotato;
}

bool sembra_formula(std::string_view testo) {
    return !testo.empty() && std::string_view("=+-@\t\r").find(testo.front()) != std::string_view::npos;
}

void aggiungi_testo(std::string& riga, std::string_view testo, const DIALETTO_CSV& d) {
    if (d.formule_grezze || !sembra_formula(testo)) return aggiungi_campo(riga, testo, d);
    aggiungi_campo(riga, "'" + std::string(testo), d);
}

std::string data_csv(DATA d, const DIALETTO_CSV& dialetto) {
    if (d.gg == 0 && d.mm == 0 && d.aaaa == 0) return "";
    if (d.gg < 0 || d.mm < 0 || d.aaaa < 0 || d.gg > 99 || d.mm > 99 || d.aaaa > 9999) {
        char testo[32]; // not a date the program writes: as it stands
        std::snprintf(testo, sizeof testo, "%d/%d/%d", d.gg, d.mm, d.aaaa);
        return testo;
    }
    const auto due = [](int v) { return std::string{char('0' + v / 10), char('0' + v % 10)}; };
    const std::string anno = due(d.aaaa / 100) + due(d.aaaa % 100);
    return dialetto.date_italiane ? due(d.gg) + "/" + due(d.mm) + "/" + anno
                                  : anno + "-" + due(d.mm) + "-" + due(d.gg);
}

std::string importo_csv(double importo, const DIALETTO_CSV& dialetto) {
    // An amount the file can hold (under 10^12) in whole cents: exact.
    const long long centesimi = std::llround(importo * 100.0);
    std::string t = std::to_string(centesimi < 0 ? -centesimi : centesimi);
    if (t.size() < 3) t.insert(0, 3 - t.size(), '0');
    t.insert(t.size() - 2, 1, dialetto.decimale);
    return centesimi < 0 ? "-" + t : t;
}

std::optional<DATA> leggi_data_csv(std::string_view testo) {
    const std::string_view t = senza_bianchi(testo);
    // aaaa-mm-gg is read as the same date written gg/mm/aaaa.
    const bool iso = t.size() == 10 && t[4] == '-' && t[7] == '-';
    const std::string italiana = iso ? std::string(t.substr(8, 2)) + "/" +
                                           std::string(t.substr(5, 2)) + "/" +
                                           std::string(t.substr(0, 4))
                                     : std::string(t);
    DATA d{};
    if (!data_da_testo(italiana.c_str(), &d)) return std::nullopt;
    return d;
}

std::optional<uint32_t> leggi_numero_csv(std::string_view testo) {
    const std::string_view t = senza_bianchi(testo);
    uint32_t n = 0;
    const auto [fine, errore] = std::from_chars(t.data(), t.data() + t.size(), n);
    if (t.empty() || errore != std::errc{} || fine != t.data() + t.size()) return std::nullopt;
    return n;
}

std::optional<int64_t> leggi_centesimi_csv(std::string_view testo) {
    const std::string_view t = senza_bianchi(testo);
    const std::size_t segno = t.find_first_of(".,");
    const std::string_view intero = t.substr(0, segno);
    const std::string_view decimali = segno == std::string_view::npos ? "" : t.substr(segno + 1);
    if (intero.empty() || intero.size() > 12 || decimali.size() > 2 ||
        (segno != std::string_view::npos && decimali.empty()))
        return std::nullopt;
    int64_t centesimi = 0;
    for (char c : intero) {
        if (c < '0' || c > '9') return std::nullopt;
        centesimi = centesimi * 10 + (c - '0');
    }
    for (std::size_t i = 0; i < 2; ++i) {
        const char c = i < decimali.size() ? decimali[i] : '0';
        if (c < '0' || c > '9') return std::nullopt;
        centesimi = centesimi * 10 + (c - '0');
    }
    return centesimi;
}
