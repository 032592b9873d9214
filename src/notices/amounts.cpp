// Amounts in cents: the reduction's rule and the Italian way of writing them.
#include "notices/amounts.h"

#include <cmath>

int64_t centesimi(double euro) {
    return std::llround(euro * 100.0);
}

int64_t importo_ridotto(int64_t intero, int centesimi_percento) {
    if (intero <= 0 || centesimi_percento <= 0) return intero;
    // The reduction in ten-thousandths of a cent, then half-up to the cent.
    const int64_t riduzione = (intero * centesimi_percento + 5000) / 10000;
    return intero - riduzione;
}

std::string euro_italiano(int64_t centesimi) {
    const bool negativo = centesimi < 0;
    const uint64_t c = negativo ? 0 - static_cast<uint64_t>(centesimi) : static_cast<uint64_t>(centesimi);
    const std::string interi = std::to_string(c / 100);
    std::string t;
    for (std::size_t i = 0; i < interi.size(); ++i) {
        if (i > 0 && (interi.size() - i) % 3 == 0) t += '.';
        t += interi[i];
    }
    const unsigned resto = static_cast<unsigned>(c % 100);
    t += ',';
    t += static_cast<char>('0' + resto / 10);
    t += static_cast<char>('0' + resto % 10);
    return negativo ? "-" + t : t;
}

int64_t importo_dovuto(double euro, TIPO_IMPORTO tipo, int centesimi_percento) {
    const int64_t intero = centesimi(euro);
    return tipo == TIPO_IMPORTO::INTERO ? intero : importo_ridotto(intero, centesimi_percento);
}
