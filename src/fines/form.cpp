// The fields of the fine form that recording and editing share: place,
// plate, kind, amount, and the payment date checked against the ticket.
#include "fines/form.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

#include "console/console.h"
#include "input/date.h"
#include "input/line.h"

namespace {

// 10^12 euro in cents: the fines file holds twelve integer digits at most.
constexpr uint64_t CENTESIMI_LIMITE = 100'000'000'000'000;

// The amount in cents, the decimal value read rounded half up at the
// second decimal, or nothing when it does not fit the fines file. The
// decimal value is the shortest text that reads back as v, that is, what
// was typed (up to the precision of a double).
std::optional<uint64_t> centesimi(double v) {
    if (!(v >= 0.0) || v >= 1e12) return std::nullopt;
    char buf[512];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    if (r.ec != std::errc()) return std::nullopt;
    const std::string_view testo(buf, static_cast<std::size_t>(r.ptr - buf));
    const std::size_t punto = testo.find('.');
    const std::string_view intera = testo.substr(0, punto);
    const std::string_view decimali =
        punto == std::string_view::npos ? std::string_view() : testo.substr(punto + 1);
    uint64_t c = 0;
    for (char cifra : intera) c = c * 10 + static_cast<uint64_t>(cifra - '0');
    for (std::size_t i = 0; i < 2; ++i)
        c = c * 10 + (i < decimali.size() ? static_cast<uint64_t>(decimali[i] - '0') : 0);
    if (decimali.size() > 2 && decimali[2] >= '5') ++c;
    if (c >= CENTESIMI_LIMITE) return std::nullopt;
    return c;
}

} // namespace

void chiedi_luogo(NODO_CONTRAVV* f) {
    console_out() << "\nInserire il luogo in cui e' stata commessa l'infrazione (citta', via):\n> ";
    ins_str(f->luogo, 63);
}

void chiedi_targa(NODO_CONTRAVV* f) {
    console_out() << "\nInserire la targa del veicolo multato:\n> ";
    ins_str(f->targa, 7);
    maiusc(f->targa);
}

void chiedi_tipo(NODO_CONTRAVV* f) {
    console_out() << "\nInserire il tipo di infrazione:\n> ";
    ins_str(f->tipo, 127);
}

void chiedi_importo(NODO_CONTRAVV* f) {
    console_out() << "\nInserire l'importo della multa in euro:\n> ";
    for (;;) {
        double v = 0.0;
        ins_double(&v);
        if (const auto c = centesimi(v)) {
            // Division of two exact integers rounds once: the stored double is
            // the one nearest to the two-decimal text, which is what fisso2 prints.
            f->importo = static_cast<double>(*c) / 100.0;
            return;
        }
        console_out() << MSG_NUMERO_NON_VALIDO << "\n";
    }
}

DATA leggi_data_pagamento(const NODO_CONTRAVV* f, const char* messaggio_rifiuto) {
    DATA d{};
    ins_data(&d);
    // A ticket date that is no real date (a hand-edited file) binds nothing:
    // otherwise no payment date could ever be accepted.
    while (data_valida(f->data_verbale) && ordine_data(f->data_verbale, d) == 1) {
        console_out() << messaggio_rifiuto;
        ins_data(&d);
    }
    return d;
}
