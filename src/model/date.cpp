// The calendar: leap years, month lengths, valid dates, dates from text
// and the order of two dates.
#include "model/date.h"

#include <cstring>
#include <initializer_list>

bool anno_bisestile(int anno) {
    return (anno % 4 == 0 && anno % 100 != 0) || anno % 400 == 0;
}

int giorni_del_mese(int mese, int anno) {
    switch (mese) {
    case 1:
    case 3:
    case 5:
    case 7:
    case 8:
    case 10:
    case 12:
        return 31;
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    case 2:
        return anno_bisestile(anno) ? 29 : 28;
    default:
        return 0;
    }
}

bool data_valida(DATA d) {
    return d.aaaa >= 0 && d.aaaa <= 9999 && d.gg >= 1 && d.gg <= giorni_del_mese(d.mm, d.aaaa);
}

bool data_da_testo(const char* t, DATA* d) {
    if (std::strlen(t) != 10 || t[2] != '/' || t[5] != '/') return false;
    for (int i : {0, 1, 3, 4, 6, 7, 8, 9})
        if (t[i] < '0' || t[i] > '9') return false;
    const int gg = (t[0] - '0') * 10 + (t[1] - '0');
    const int mm = (t[3] - '0') * 10 + (t[4] - '0');
    const int aaaa = (t[6] - '0') * 1000 + (t[7] - '0') * 100 + (t[8] - '0') * 10 + (t[9] - '0');
    if (mm < 1 || mm > 12 || gg < 1 || gg > giorni_del_mese(mm, aaaa)) return false;
    d->gg = static_cast<int16_t>(gg);
    d->mm = static_cast<int16_t>(mm);
    d->aaaa = static_cast<int16_t>(aaaa);
    return true;
}

int ordine_data(DATA a, DATA b) {
    if (a.aaaa != b.aaaa) return a.aaaa < b.aaaa ? 0 : 1;
    if (a.mm != b.mm) return a.mm < b.mm ? 0 : 1;
    if (a.gg != b.gg) return a.gg < b.gg ? 0 : 1;
    return -1;
}
