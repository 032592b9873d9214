// Replaying a recovery journal over the lists loaded from the files it
// started from, which gives back the lists as they were after its last
// change.
#pragma once

#include <vector>

#include "storage/journal_format.h"

// Applies the changes of every MODIFICHE entry to the current lists, in
// order, each entry as one operation; the other entries are skipped. The
// listener of changes must be off. False when a change names a record that
// is not where the journal says, or memory runs out: the lists are then
// partly changed, and the caller must load the files again.
bool riapplica_giornale(const std::vector<VOCE_GIORNALE>& voci);
