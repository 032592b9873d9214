// The calendar date every record carries: the DATA value, the calendar's
// rules and the order of two dates. Reading and printing one is the
// console input's (input/date.h).
#pragma once

#include <cstdint>

struct DATA {
    int16_t gg;   // day of the month, 1 to 31
    int16_t mm;   // month, 1 to 12
    int16_t aaaa; // year, 0 to 9999
};
// 0/0/0 stands for "no date" (the payment date of an unpaid fine).

// 0 when a is earlier than b, -1 when they are the same day, 1 when a is later.
int ordine_data(DATA a, DATA b);

bool anno_bisestile(int anno);
// A real calendar date with a year from 0 to 9999 (a date loaded from a
// hand-edited file need not be one; 0/0/0 is none).
bool data_valida(DATA d);
int giorni_del_mese(int mese, int anno); // 0 for a month out of range

// The date as typed text gg/mm/aaaa, when it is a valid one.
bool data_da_testo(const char* testo, DATA* d);
