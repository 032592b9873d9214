// The text of the two data files, record by record: fields in, the exact
// bytes the program writes for them out; and records of raw lines, for
// files as a clerk might have edited them by hand.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "support/records.h"

// A record of the given lines, as they are, between the empty line that
// opens it and the rule that closes it; each line ended by `a_capo`.
using RIGHE_TESTO = std::array<std::string_view, 6>;
std::string record_contravv(const RIGHE_TESTO& righe, std::string_view a_capo = "\n");
std::string record_anagraf(const RIGHE_TESTO& righe, std::string_view a_capo = "\n");

// An owner record in the layout of the owners file.
std::string testo_anagraf(const CAMPI_ANAGRAF& a, std::string_view a_capo = "\n");
// A fine record in the layout of the fines file. Its owner line names
// `proprietario`, or no owner; the owner link of the fields is for the lists.
std::string testo_contravv(const CAMPI_CONTRAVV& c,
                           std::optional<uint32_t> proprietario = std::nullopt,
                           std::string_view a_capo = "\n");
