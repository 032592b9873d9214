// Cutting the text of a data file into its records of eight lines, also
// when the text is only the part of the file read so far.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

constexpr std::size_t RIGHE_PER_RECORD = 8;

// The lines of one record, without line ends; missing lines are empty.
using RIGHE_RECORD = std::array<std::string_view, RIGHE_PER_RECORD>;

enum class TAGLIO {
    RECORD,     // a record was taken
    FINE,       // the data are over
    INCOMPLETO, // the text ends inside the record: more of the file is needed
};

// Takes the next record from `testo` starting at `pos`; `finale` tells
// whether the text runs to the end of the file. Lines may be of any length;
// a carriage return before a line end is dropped.
// RECORD: `righe` hold its lines and `pos` is moved past it.
// FINE (only when `finale`): the text ended where a record would begin, or
// inside a record whose lines read so far are all empty (blank lines at the
// end of a file make no record). A record that has begun with some content
// is always given at the end of the file, its missing lines empty.
// INCOMPLETO (only when not `finale`): the text ends before the record's
// eighth line end; `pos` is left where it was.
TAGLIO taglia_record(std::string_view testo, bool finale, std::size_t& pos, RIGHE_RECORD& righe);

// Bytes that must be readable after the text given to taglia_record_rapido
// (whatever they hold): it looks at the text 64 bytes at a time.
constexpr std::size_t MARGINE_TESTO = 64;

// taglia_record, with the same results, for a text followed by
// MARGINE_TESTO readable bytes: the record's line ends are found in one
// pass over it. `con_nul` is set when the record may hold a NUL byte;
// false means it holds none.
TAGLIO taglia_record_rapido(std::string_view testo, bool finale, std::size_t& pos,
                            RIGHE_RECORD& righe, bool& con_nul);
