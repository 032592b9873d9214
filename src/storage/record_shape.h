// What a record may hold and still be read back from its file as it was
// meant: the values the program itself gives a record, the texts a data
// file can carry, and the count a load keeps of the records that fall
// short. The checks of a record's lines, which take the values exactly as
// the reader takes them, are beside each reader (forma_contravv in
// fines_file.h, forma_anagraf in owners_file.h).
#pragma once

#include <cstddef>

#include "model/records.h"
#include "storage/record_lines.h"

// The columns of a fine's amount (line 7 of its record, from column 1).
constexpr std::size_t LARGHEZZA_IMPORTO = 15;

// The values the program itself gives a record: real calendar dates with a
// year of 0 to 9999 (a fine's payment date only when it is paid), and an
// amount that the 15 columns of the fines file hold with two decimals
// (below 10^12). A load asks before taking a record whose values are not
// such; a journal entry holding one ends what can be recovered.
bool valori_ammessi(const NODO_CONTRAVV& c);
bool valori_ammessi(const NODO_ANAGRAF& a);

// Texts a data file carries as they are: none holds a line end or ends in
// a carriage return (the reader would take it for part of a line end). A
// journal entry holding another ends what can be recovered.
bool testi_ammessi(const NODO_CONTRAVV& c);
bool testi_ammessi(const NODO_ANAGRAF& a);

// What a save may write so that the next load reads it back as it is:
// every date within its columns (day and month 0 to 99, year 0 to 9999)
// and the amount within its 15. (Texts need no check here: no way in, not
// the keyboard, a data file's lines nor a journal's checked entries, lets
// a line end into one.) Why it is not, in words for the clerk
// ("l'importo non entra nelle sue colonne del file"), or nullptr when the
// whole record is.
const char* campo_non_scrivibile(const NODO_CONTRAVV& c);
const char* campo_non_scrivibile(const NODO_ANAGRAF& a);

// A record that a save cannot write so that the next load reads it back as
// it is (an amount loaded anyway beyond its columns, for instance).
struct FUORI_LAYOUT {
    const NODO_CONTRAVV* contravv = nullptr; // the first such fine, or
    const NODO_ANAGRAF* anagraf = nullptr;   // the first such owner
    const char* motivo = nullptr;            // why, in words; nullptr: none
};
// Thrown by the writer of a file when it meets such a record: the save is
// given up, nothing replaced.
struct RECORD_FUORI_LAYOUT {};

// What a load found out about the shape of one file's records.
struct FORMA_FILE {
    std::size_t record = 0;     // records read
    std::size_t malformati = 0; // of which the reader would misread
    std::size_t riga = 0;       // line where the first of those begins (from 1)
};

// Fines whose owner line names a code no owner has: the reader leaves
// them without owner.
struct MULTE_ORFANE {
    std::size_t quante = 0;
    uint32_t prima = 0; // the number of the first one
};

// Counts one more record, of that shape or not.
inline void annota_forma(FORMA_FILE& f, bool buona) {
    ++f.record;
    if (buona) return;
    if (f.malformati++ == 0) f.riga = (f.record - 1) * RIGHE_PER_RECORD + 1;
}
