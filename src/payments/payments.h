// Payments: entry, status, change, removal, statistics and the payments menu.
#pragma once

#include "model/records.h"

// Records the payment of the first fine with that number.
// 0 recorded; 1 refused (already paid, no owner); -1 empty list or no such fine.
int ins_pagam(unsigned long numero);
// The same for one given fine.
int ins_pagam_record(NODO_CONTRAVV* f);
// Prints the prompt and reads a payment date for f until it is not earlier
// than the ticket date, with the payment screens' refusal message.
DATA chiedi_data_pagamento(const NODO_CONTRAVV* f, const char* prompt);

// 0 paid; 1 unpaid; -1 empty list or no such fine. Prints, never pauses.
int vis_pagam(NODO_CONTRAVV* lista, unsigned long numero);
// 0 date replaced; 1 unpaid or declined; -1 empty list or no such fine.
int mod_pagam(NODO_CONTRAVV* lista, unsigned long numero);
// The same for one given fine.
int mod_pagam_record(NODO_CONTRAVV* f);
// 0 removed; 1 declined; -1 unpaid, empty list or no such fine.
int canc_pagam(NODO_CONTRAVV* lista, unsigned long numero);

// Counts, sums and shares of paid and unpaid fines. 0 printed; 1 empty list.
int bilancio(NODO_CONTRAVV* lista);

void menu_pagam();
