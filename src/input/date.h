// Dates at the console: reading one typed as gg/mm/aaaa and printing it.
// The value itself and the calendar's rules are the model's (model/date.h).
#pragma once

#include "model/date.h"

// Reads a date typed as gg/mm/aaaa until it is a real calendar date.
int ins_data(DATA* d);

// Prints day/month/year without leading zeros, then a line end.
void vis_data(DATA d);
