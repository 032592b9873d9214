// The searches of the search menu: fines by plate, owners by surname or
// tax code, each result paged on its own with "X per uscire".
#include <string>
#include <string_view>
#include <vector>

#include "console/console.h"
#include "console/conventions.h"
#include "fines/fines.h"
#include "input/line.h"
#include "model/walk.h"
#include "owners/owners.h"
#include "search/search.h"

namespace {

const char* const FINE_RISULTATI = "\nFine dei risultati della ricerca.\n";

// A letter a to z in upper case; any other character as it is.
char maiuscola(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string maiuscolo(std::string s) {
    maiusc(s.data());
    return s;
}

// Whether `testo` holds `cercato` (already upper case) at `da`, letters a
// to z compared without regard to case.
bool uguale_da(std::string_view testo, std::size_t da, std::string_view cercato) {
    for (std::size_t j = 0; j < cercato.size(); ++j)
        if (maiuscola(testo[da + j]) != cercato[j]) return false;
    return true;
}

// Whether a record's text contains `cercato` (already upper case), compared
// in place: the walk over a large list copies nothing.
bool contiene(std::string_view testo, std::string_view cercato) {
    if (cercato.size() > testo.size()) return false;
    for (std::size_t i = 0; i + cercato.size() <= testo.size(); ++i)
        if (uguale_da(testo, i, cercato)) return true;
    return false;
}

// Shows every record that the search picks, in list order, with the paging
// prompt after each. 0 results shown; -1 none found (after its message and a pause).
template <typename NODO, typename CRITERIO, typename MOSTRA>
int mostra_risultati(NODO* lista, const CRITERIO& scelto, const MOSTRA& mostra, const char* prompt,
                     const char* nessuno) {
    if (sfoglia(lista, scelto, mostra, prompt, FINE_RISULTATI, seguente<NODO>) >= 0) return 0;
    fine_elenco(nessuno);
    return -1;
}

// The fine numbers of the owners a search shows, gathered for a batch of
// results at a time in one walk of the fines: paging through many results
// costs one walk every LOTTO of them, not one each.
constexpr std::size_t LOTTO = 16;

struct MULTE_DEL_LOTTO {
    const NODO_ANAGRAF* persone[LOTTO] = {}; // the batch, in list order
    std::size_t quante = 0;
    std::vector<uint32_t> numeri[LOTTO]; // each one's fines, in list order
};

// The batch of the owners picked from `p` on, and their fines.
template <typename CRITERIO>
void prepara_lotto(MULTE_DEL_LOTTO& l, const NODO_ANAGRAF* p, const CRITERIO& scelto) {
    l.quante = 0;
    for (; p != nullptr && l.quante < LOTTO; p = seguente(p)) {
        if (!scelto(p)) continue;
        l.numeri[l.quante].clear();
        l.persone[l.quante++] = p;
    }
    for (const NODO_CONTRAVV* f = lista_contravv; f != nullptr; f = seguente(f)) {
        bool nel_lotto = false; // compared with all at once, without a branch each
        for (std::size_t k = 0; k < LOTTO; ++k) nel_lotto |= f->anagraf == l.persone[k];
        if (!nel_lotto || f->anagraf == nullptr) continue;
        for (std::size_t k = 0; k < l.quante; ++k)
            if (f->anagraf == l.persone[k]) l.numeri[k].push_back(f->numero);
    }
}

// The numbers of the fines that point to owner p, after its block.
void stampa_contravv_di(const std::vector<uint32_t>& numeri) {
    std::ostream& out = console_out();
    for (std::size_t i = 0; i < numeri.size(); ++i)
        out << (i > 0 ? ", " : "\nContravvenzioni associate: ") << numeri[i];
    out << (numeri.empty() ? "\nNessuna contravvenzione associata\n" : "\n");
}

} // namespace

int cerca_contravv(NODO_CONTRAVV* lista) {
    console_out() << "\nInserire la targa, o parte di essa, del veicolo da cercare\n"
                     "(premere INVIO per tornare al menu')\n>";
    char targa[8];
    ins_str(targa, 7);
    if (targa[0] == '\0') return 1;
    const std::string cercata = maiuscolo(targa);
    return mostra_risultati(
        lista, [&](const NODO_CONTRAVV* f) { return contiene(f->targa, cercata); },
        [](const NODO_CONTRAVV* f) { stampa_contravv(f); }, PROMPT_CONTRAVV_SUCCESSIVA,
        "\nNessuna contravvenzione trovata per la targa indicata.\n");
}

int cerca_anagraf(NODO_ANAGRAF* lista) {
    console_out() << "\nInserire il cognome, o parte di esso, oppure il codice fiscale del "
                     "proprietario\n(premere INVIO per tornare al menu')\n>";
    char testo[32];
    ins_str(testo, 31);
    if (testo[0] == '\0') return 1;
    const std::string cercato = maiuscolo(testo);
    const auto scelto = [&](const NODO_ANAGRAF* p) {
        const std::string_view codice_fiscale = p->codice_fiscale;
        return contiene(p->cognome, cercato) ||
               (codice_fiscale.size() == cercato.size() && uguale_da(codice_fiscale, 0, cercato));
    };
    MULTE_DEL_LOTTO lotto;
    std::size_t nel_lotto = 0; // the next owner of the batch to be shown
    return mostra_risultati(
        lista, scelto,
        [&](NODO_ANAGRAF* p) {
            if (nel_lotto == lotto.quante || lotto.persone[nel_lotto] != p) {
                prepara_lotto(lotto, p, scelto);
                nel_lotto = 0;
            }
            vis_anagraf(lista, p);
            stampa_contravv_di(lotto.numeri[nel_lotto++]);
        },
        "\nPremere invio per visualizzare i dati successivi, X per uscire... ",
        "\nNessun dato anagrafico trovato per il cognome o il codice fiscale indicato.\n");
}
