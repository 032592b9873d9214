// The payment platform's notice codes ("codice avviso", 18 digits) of a
// fine: one for the reduced amount, one for the full one, made from the
// fine's number, so that the same fine always gets the same codes and a
// code names its fine and its amount back.
//
// The code is the auxiliary digit, then by its kind:
//   3: the 2-digit segregation code, the 13-digit local identifier, the 2
//      check digits;
//   0: the 2-digit application code, the 13-digit local identifier, the 2
//      check digits;
//   1: a 17-digit local identifier, without check digits.
// The check digits are the remainder of the number made of the digits
// before them divided by 93. The local identifier is the amount's kind
// (1 reduced, 2 full) followed by the fine's number, padded with zeros.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "notices/amounts.h"

// How an office makes its codes: the auxiliary digit (0, 1 or 3) and, for
// 3 and 0, the 2-digit segregation or application code.
struct REGOLA_AVVISI {
    int cifra_ausiliaria = 3;
    std::string codice; // 2 digits for 3 and 0; empty for 1
};

// The 18-digit code of the fine numbered `numero`, for the amount `tipo`.
std::string codice_avviso(const REGOLA_AVVISI& r, uint32_t numero, TIPO_IMPORTO tipo);

// The two check digits of the digits before them: their number modulo 93.
std::string cifre_di_controllo(std::string_view cifre);

// The code grouped for reading aloud, as notices print it:
// "3010 0000 0000 1234 56".
std::string codice_a_gruppi(std::string_view codice);

// What a code names: the fine and the amount's kind.
struct AVVISO_LETTO {
    uint32_t numero;
    TIPO_IMPORTO tipo;
};
// The fine and kind of an 18-digit code, when it is one of the office's
// (its rule, its check digits, a kind and a number it could have made).
std::optional<AVVISO_LETTO> leggi_codice_avviso(const REGOLA_AVVISI& r, std::string_view codice);

// The first of the office's codes in a free text (a bank's reason for
// payment): 18 digits in a row, possibly written in groups separated by
// blanks, with no digit just before or after. The code's 18 digits too.
struct AVVISO_TROVATO {
    AVVISO_LETTO avviso;
    std::string codice;
};
std::optional<AVVISO_TROVATO> trova_codice_avviso(const REGOLA_AVVISI& r, std::string_view testo);

// What a notice's QR code holds, as the platform defines it:
// "PAGOPA|002|<code>|<creditor's tax code>|<amount in cents>".
std::string testo_qr(const std::string& codice, const std::string& codice_fiscale_ente,
                     int64_t centesimi);
