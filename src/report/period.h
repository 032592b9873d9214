// The period a command is asked about (--dal, --al, both days included),
// selecting fines by the date of their ticket.
#pragma once

#include <optional>
#include <string>

#include "model/date.h"

struct PERIODO {
    std::optional<DATA> dal, al;
};

// Reads the value of --dal (`dal` true) or --al (gg/mm/aaaa) into the
// period; a value that is not a calendar date is told in `sbaglio`, unless
// it already holds an earlier mistake.
void leggi_estremo_periodo(const char* testo, bool dal, PERIODO& p, std::string& sbaglio);

// What is wrong with the period as a whole ("" when nothing is): an end
// before its start.
std::string errore_periodo(const PERIODO& p);

// The ticket's date falls within the period.
bool nel_periodo(const PERIODO& p, DATA data);
