// Reading and applying a period's two ends.
#include "report/period.h"

void leggi_estremo_periodo(const char* testo, bool dal, PERIODO& p, std::string& sbaglio) {
    DATA letta{};
    if (data_da_testo(testo, &letta)) (dal ? p.dal : p.al) = letta;
    else if (sbaglio.empty()) sbaglio = std::string("data non valida: ") + testo;
}

std::string errore_periodo(const PERIODO& p) {
    if (p.dal && p.al && ordine_data(*p.al, *p.dal) == 0) return "la data --al precede la data --dal";
    return "";
}

bool nel_periodo(const PERIODO& p, DATA data) {
    // ordine_data: 0 earlier, -1 the same day, 1 later.
    if (p.dal && ordine_data(data, *p.dal) == 0) return false;
    if (p.al && ordine_data(data, *p.al) == 1) return false;
    return true;
}
