// The memory of fine and owner records: slots cut from blocks of about two
// megabytes taken from the system, so that a million records cost a few
// hundred blocks instead of a million allocations, each with its header.
//
// Each kind of record has its own set of blocks. A slot given back is
// reused by the next record of its kind; a block left with no record in
// use goes back to the system, except one kept for the next record. One
// thread at a time may take or give back records of one kind (the loader
// reads the owners on one thread and the fines on another).
#pragma once

#include <cstddef>

#include "model/records.h"

// A zeroed record, or nullptr when the system has no memory for a new block.
NODO_CONTRAVV* prendi_contravv();
NODO_ANAGRAF* prendi_anagraf();

// Gives back a record from prendi_contravv or prendi_anagraf; nullptr is ignored.
void rendi_contravv(NODO_CONTRAVV* p);
void rendi_anagraf(NODO_ANAGRAF* p);

// Gives back every record of a list (linked through `next`, each from
// prendi_contravv or prendi_anagraf), reading each once; an empty list is
// nothing to do.
void rendi_lista(NODO_CONTRAVV* testa);
void rendi_lista(NODO_ANAGRAF* testa);

// For a load: takes address space for about `quanti` new fines in one piece
// (nothing when the system refuses it), from which the next new blocks of
// fines are taken in order, so that another thread can fill their pages in
// before the fines get there (anticipa_blocco_contravv). Called by the
// thread that takes fines.
void riserva_contravv(std::size_t quanti);

// From another thread: fills in the pages of the next reserved block not
// yet taken, when it lies at most `avanti` blocks beyond the last one
// taken. True when it filled one; false when there was none to fill, or
// the system cannot fill pages in ahead.
bool anticipa_blocco_contravv(std::size_t avanti);

// Gives back the reserved blocks that were never taken; called once no
// other thread calls anticipa_blocco_contravv any more.
void chiudi_riserva_contravv();
