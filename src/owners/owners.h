// The owners registry: display, entry with duplicate merging, editing,
// deletion and the owners menu.
#pragma once

#include <cstdint>

#include "model/records.h"

// Prints the framed block of an owner record. 0 printed; 1 p is null;
// -1 the owners list is empty (each failure with its message and a pause).
int vis_anagraf(NODO_ANAGRAF* lista, NODO_ANAGRAF* p);
// After an operation refused: the owner with that code as it now is (or
// that it is no longer there), then the pause.
void mostra_anagraf_ora(uint32_t codice);

// Appends a new owner record, runs the owner form and returns the record
// the fine must point to: the new one, or an existing one with the same
// nine data fields (the new one is then removed again); nullptr when no
// record could be created.
NODO_ANAGRAF* ins_anagraf(NODO_ANAGRAF* lista);

// The first record of lista_anagraf other than p whose nine data fields
// all equal p's; p itself when there is none.
NODO_ANAGRAF* anagraf_doppia(NODO_ANAGRAF* p);

// Edits the first record with that code on its numbered screen, then
// merges it into an identical record if the edit made it one.
// Test seam: the menu picks the record itself and calls mod_anagraf_record.
int mod_anagraf(NODO_ANAGRAF* lista, unsigned long codice);
// The same for one given record (a fine's own owner).
int mod_anagraf_record(NODO_ANAGRAF* p);

// Detaches the first owner record with that code from every fine that
// points to it (clearing their payments), unlinks and frees it.
// Test seam: the menu picks the record itself and calls canc_anagraf_record.
int canc_anagraf(unsigned long codice);
// The same for one given record.
int canc_anagraf_record(NODO_ANAGRAF* p);

void menu_anagraf();
