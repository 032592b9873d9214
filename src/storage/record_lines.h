// Cutting the text of a data file into its records of eight lines.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

constexpr std::size_t RIGHE_PER_RECORD = 8;

// The lines of one record, without line ends; missing lines are empty.
using RIGHE_RECORD = std::array<std::string_view, RIGHE_PER_RECORD>;

// Takes the next record from `testo` starting at `pos` and moves `pos` past
// it. Lines may be of any length; a carriage return before a line end is
// dropped. False when the data are over: the text ended where a record
// would begin, or it ended inside a record whose lines read so far are all
// empty (blank lines at the end of a file make no record). A record that
// has begun with some content is always given, its missing lines empty.
bool prossimo_record(std::string_view testo, std::size_t& pos, RIGHE_RECORD& righe);
