// Dates at the console: reading gg/mm/aaaa with a calendar check, printing.
#include "input/date.h"

#include "console/console.h"
#include "input/line.h"

int ins_data(DATA* d) {
    char testo[64];
    for (bool primo = true;; primo = false) {
        if (!primo)
            console_out()
                << "La data  inserita non e' corretta, prego riprovare (formato gg/mm/aaaa)\n";
        if (ins_str_intero(testo, 63) && data_da_testo(testo, d)) return 0;
    }
}

void vis_data(DATA d) {
    console_out() << d.gg << "/" << d.mm << "/" << d.aaaa << "\n";
    console_out().flush();
}
