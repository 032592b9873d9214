// The period a command is asked about (--dal, --al, both days included),
// selecting fines by the date of their ticket.
#pragma once

#include <optional>

#include "input/date.h"

struct PERIODO {
    std::optional<DATA> dal, al;
};

// Reads a --dal or --al value (gg/mm/aaaa) into `d`; false when it is not a
// calendar date.
bool leggi_giorno_periodo(const char* testo, std::optional<DATA>& d);

// The ticket's date falls within the period.
bool nel_periodo(const PERIODO& p, DATA data);
