// The amounts a notice asks for, in whole cents: a fine's amount as the
// archive keeps it, and the reduced amount a payment within the reduction's
// days may settle it with.
#pragma once

#include <cstdint>
#include <string>

// The two amounts a fine may be paid with.
enum class TIPO_IMPORTO { RIDOTTO = 1, INTERO = 2 };

// The fine's amount in euro (as the record keeps it) in cents, rounded to
// the nearest cent.
int64_t centesimi(double euro);

// The reduced amount: the full amount less `centesimi_percento` hundredths
// of a percent of it (3000 for 30%), the reduction rounded half-up to the
// cent. A negative or zero amount has no reduction.
int64_t importo_ridotto(int64_t intero, int centesimi_percento);

// An amount as a notice and a report print it: "1.173,40" (thousands
// separated by dots, a decimal comma).
std::string euro_italiano(int64_t centesimi);

// The amount of kind `tipo` of a fine of `euro`: the full amount, or the
// reduced one.
int64_t importo_dovuto(double euro, TIPO_IMPORTO tipo, int centesimi_percento);
