// A made-up archive of a large city's office, built in memory: owners and
// fines varied like real ones, every field within what the forms accept.
#pragma once

#include <cstddef>

// Replaces both lists with `multe` fines numbered from 1 and `proprietari`
// owners coded from 1. About seven fines in ten have owner data, mostly an
// owner entered at about the same time, sometimes a repeat offender; about
// six of those in ten are paid. The same sizes always give the same
// archive. False, with both lists empty, when memory ran out.
bool genera_archivio(std::size_t multe, std::size_t proprietari);
