// Each operation is run with its answers already typed into a string
// stream and its output thrown away, so that only its own work is timed.
#include "operations.h"

#include <algorithm>
#include <functional>
#include <sstream>

#include "console/console.h"
#include "fines/fines.h"
#include "measures.h"
#include "model/lists.h"
#include "owners/owners.h"
#include "payments/payments.h"

namespace {

// The entry form of a fine, then "n" to the question about owner data.
constexpr const char* MODULO_MULTA =
    "15/03/2024\nMilano, viale Monza\nab123cd\nDivieto di sosta\n42.00\nn\n";

// One run of f with `risposte` typed, added to t. f tells whether it did
// what was asked; `verifica`, run after the clock stopped, whether the
// lists show it.
void cronometra(
    TEMPO_OPERAZIONE& t, const std::string& risposte, const std::function<bool()>& f,
    const std::function<bool()>& verifica = [] { return true; }) {
    std::istream& console_prima = console_in();
    std::ostream& uscita_prima = console_out();
    std::istringstream in(risposte);
    std::ostringstream out;
    usa_flussi(in, out);
    bool riuscita = false;
    const double inizio = adesso();
    try {
        riuscita = f();
    } catch (const FineInput&) {
        riuscita = false;
    }
    t.durate.push_back(adesso() - inizio);
    usa_flussi(console_prima, uscita_prima);
    t.riuscita = t.riuscita && riuscita && verifica();
}

// A copy of the last owner record, outside the list, that equals none of them.
NODO_ANAGRAF* anagrafe_diverso() {
    NODO_ANAGRAF* p = nuovo_anagraf();
    const NODO_ANAGRAF* ultimo = coda(lista_anagraf);
    if (p == nullptr || ultimo == nullptr) return p;
    *p = *ultimo;
    p->next = nullptr;
    copia_campo(p->patente, "ZZ0000000Z");
    return p;
}

} // namespace

double mediana(std::vector<double> durate) {
    if (durate.empty()) return 0.0;
    std::sort(durate.begin(), durate.end());
    return durate[durate.size() / 2];
}

double peggiore(const std::vector<double>& durate) {
    return durate.empty() ? 0.0 : *std::max_element(durate.begin(), durate.end());
}

std::vector<TEMPO_OPERAZIONE> misura_operazioni(int volte) {
    const NODO_CONTRAVV* ultima = coda(lista_contravv);
    if (ultima == nullptr) return {};
    const unsigned long numero = ultima->numero;
    NODO_ANAGRAF* diverso = anagrafe_diverso();

    TEMPO_OPERAZIONE vis{"vis_contravv (last fine)", {}, true};
    TEMPO_OPERAZIONE ins{"ins_contravv (no owner)", {}, true};
    TEMPO_OPERAZIONE canc{"canc_contravv (last fine)", {}, true};
    TEMPO_OPERAZIONE doppia{"anagraf_doppia (equal to none)", {}, true};
    TEMPO_OPERAZIONE stat{"bilancio (payment statistics)", {}, true};
    for (int i = 0; i < volte; ++i) {
        cronometra(vis, "", [&] { return vis_contravv(lista_contravv, numero) == 0; });
        // Each deletion takes away the fine just recorded.
        cronometra(
            ins, MODULO_MULTA, [&] { return ins_contravv(lista_contravv) == 0; },
            [&] { return coda(lista_contravv)->numero == numero + 1; });
        cronometra(
            canc, std::to_string(numero + 1) + "\n\nn\n\n", [&] { return canc_contravv() == 0; },
            [&] { return coda(lista_contravv) == ultima; });
        cronometra(doppia, "",
                   [&] { return diverso != nullptr && anagraf_doppia(diverso) == diverso; });
        cronometra(stat, "", [&] { return bilancio(lista_contravv) == 0; });
    }
    libera_anagraf(diverso);
    return {vis, ins, canc, doppia, stat};
}
