// Whether the eight lines of a record have the shape their file gives them:
// what tells a fines file from an owners file, or from a file that is no
// archive at all. The checks take what a file edited by hand within the
// layout may hold (blanks around numbers, blanks at the end of a line, a
// carriage return already dropped, any separator where the reader does not
// look), and refuse what the reader would silently turn into zeros and
// empty fields.
#pragma once

#include <cstddef>

#include "storage/record_lines.h"

// A fine: line 1 blank; line 2 a number; line 3 a date gg/mm/aaaa at
// columns 1-10 (the separators are not looked at); line 6 "*" followed by a
// number (the owner code) or "-" and nothing else; line 7 an amount in
// columns 1-15 (an optional sign, digits, a point and decimals) and the
// payment mark in column 17: "*" followed by a date at columns 19-28, or "-",
// each with nothing after it; line 8 a rule of underscores.
// Lines 4 and 5 (plate, kind) are free text.
bool forma_contravv(const RIGHE_RECORD& righe);

// An owner: line 1 blank; line 2 a number; line 4 a date gg/mm/aaaa; lines
// 6 and 7 letters and digits only (tax code, licence), or empty; line 8 a
// rule of underscores. Lines 3 and 5 (names, address) are free text.
bool forma_anagraf(const RIGHE_RECORD& righe);

// What a load found out about the shape of one file's records.
struct FORMA_FILE {
    std::size_t record = 0;    // records read
    std::size_t malformati = 0; // of which without the shape of their file
    std::size_t riga = 0;       // line where the first of those begins (from 1)
};

// Counts one more record, of that shape or not.
inline void annota_forma(FORMA_FILE& f, bool buona) {
    ++f.record;
    if (buona) return;
    if (f.malformati++ == 0) f.riga = (f.record - 1) * RIGHE_PER_RECORD + 1;
}
