// Summing up the fines of a period, one walk of the list.
#include "report/summary.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <unordered_map>

#include "console/encoding.h"
#include "model/walk.h"
#include "notices/amounts.h"

namespace {

// Longest span of months listed with the empty ones between; beyond it
// (dates far apart in a hand-edited file) only the months with fines.
constexpr int MESI_CONTINUI = 240;

void somma(RIGA_RAPPORTO& r, const NODO_CONTRAVV& f) {
    const int64_t importo = centesimi(f.importo);
    ++r.emesse;
    r.emesso += importo;
    if (f.pagata) {
        ++r.pagate;
        r.riscosso += importo;
    }
}

std::string chiave_mese(int indice) {
    char t[16];
    std::snprintf(t, sizeof t, "%04d-%02d", indice / 12, indice % 12 + 1);
    return t;
}

// The form under which kinds and places are counted together: upper case,
// single blanks.
std::string forma(std::string_view cp850) {
    std::string t;
    for (char c : cp850) {
        if (c == ' ' && (t.empty() || t.back() == ' ')) continue;
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        t += c;
    }
    while (!t.empty() && t.back() == ' ') t.pop_back();
    return t;
}

struct CONTEGGIO {
    std::unordered_map<std::string, std::size_t> posto;
    std::vector<RIGA_RAPPORTO> righe;
    void aggiungi(const char* testo, const NODO_CONTRAVV& f) {
        const auto [it, nuova] = posto.emplace(forma(testo), righe.size());
        if (nuova) {
            righe.emplace_back();
            righe.back().voce = in_utf8(testo);
        }
        somma(righe[it->second], f);
    }
    std::vector<RIGA_RAPPORTO> prime_dieci() {
        const auto prima = [](const RIGA_RAPPORTO& a, const RIGA_RAPPORTO& b) {
            return a.emesse != b.emesse ? a.emesse > b.emesse : a.voce < b.voce;
        };
        const std::size_t n = std::min<std::size_t>(10, righe.size());
        std::partial_sort(righe.begin(), righe.begin() + static_cast<std::ptrdiff_t>(n), righe.end(),
                          prima);
        righe.resize(n);
        return std::move(righe);
    }
};

} // namespace

RAPPORTO componi_rapporto(const NODO_CONTRAVV* lista, const PERIODO& periodo) {
    const auto indice_mese = [](DATA d) { return d.aaaa * 12 + std::clamp<int>(d.mm, 1, 12) - 1; };
    RAPPORTO r;
    std::map<int, RIGA_RAPPORTO> mesi;
    CONTEGGIO infrazioni, luoghi;
    for (const NODO_CONTRAVV* f = lista; f != nullptr; f = seguente(f)) {
        if (!nel_periodo(periodo, f->data_verbale)) continue;
        somma(mesi[indice_mese(f->data_verbale)], *f);
        somma(r.totale, *f);
        infrazioni.aggiungi(f->tipo, *f);
        luoghi.aggiungi(f->luogo, *f);
    }
    // The period's ends, when given, bound the months listed; else the
    // first and last month with fines.
    const int primo = periodo.dal ? indice_mese(*periodo.dal) : mesi.empty() ? 0 : mesi.begin()->first;
    const int ultimo = periodo.al ? indice_mese(*periodo.al) : mesi.empty() ? -1 : mesi.rbegin()->first;
    if (ultimo >= primo && ultimo - primo < MESI_CONTINUI) {
        for (int m = primo; m <= ultimo; ++m) {
            RIGA_RAPPORTO riga = mesi.count(m) != 0 ? mesi[m] : RIGA_RAPPORTO{};
            riga.voce = chiave_mese(m);
            r.mesi.push_back(riga);
        }
    } else {
        for (auto& [m, riga] : mesi) {
            riga.voce = chiave_mese(m);
            r.mesi.push_back(riga);
        }
    }
    r.infrazioni = infrazioni.prime_dieci();
    r.luoghi = luoghi.prime_dieci();
    return r;
}

std::string nome_mese(const std::string& voce) {
    static const char* const NOMI[] = {"gennaio", "febbraio", "marzo",     "aprile",
                                       "maggio",  "giugno",   "luglio",    "agosto",
                                       "settembre", "ottobre", "novembre", "dicembre"};
    if (voce.size() != 7) return voce;
    const int mese = (voce[5] - '0') * 10 + (voce[6] - '0');
    if (mese < 1 || mese > 12) return voce;
    return std::string(NOMI[mese - 1]) + " " + voce.substr(0, 4);
}
