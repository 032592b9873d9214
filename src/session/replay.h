// Replaying a recovery journal over the lists loaded from the files it
// started from, which gives back the lists as they were after its last
// change.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "storage/journal_format.h"

// Applies the changes of the MODIFICHE entries to the current lists, in
// order, each entry as one operation, up to the first entry that is not
// `ammessa`, which is never applied; the other entries are skipped. The
// listener of changes must be off. `applicate` gets the number of entries
// (of any kind) applied or skipped before the stop, `escluse` the number
// of MODIFICHE entries from the stop on (0 when all were applied). False
// when a change names a record that is not where the journal says, or
// memory runs out: the lists are then partly changed, and the caller must
// load the files again.
// Where each record an entry adds goes, when not at the tail: the record
// it follows (nullptr: the head). Another program's operations on a
// shared archive, replayed beside forms this program is filling.
struct POSTI_AGGIUNTE {
    std::function<NODO_CONTRAVV*(const NODO_CONTRAVV& nuova)> contravv;
    std::function<NODO_ANAGRAF*(const NODO_ANAGRAF& nuovo)> anagraf;
};
bool riapplica_giornale(const std::vector<VOCE_GIORNALE>& voci, std::size_t& applicate,
                        long& escluse, const POSTI_AGGIUNTE* posti = nullptr);
