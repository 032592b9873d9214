// Reading and applying a period's two ends.
#include "report/period.h"

bool leggi_giorno_periodo(const char* testo, std::optional<DATA>& d) {
    DATA letta{};
    if (!data_da_testo(testo, &letta)) return false;
    d = letta;
    return true;
}

bool nel_periodo(const PERIODO& p, DATA data) {
    // ordine_data: 0 earlier, -1 the same day, 1 later.
    if (p.dal && ordine_data(data, *p.dal) == 0) return false;
    if (p.al && ordine_data(data, *p.al) == 1) return false;
    return true;
}
