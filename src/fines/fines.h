// Fines: display, recording, editing, deletion and the fines menu.
#pragma once

#include <cstdint>

#include "model/records.h"

// The prompt after each fine of a listing.
constexpr const char* PROMPT_CONTRAVV_SUCCESSIVA =
    "\nPremere invio per visualizzare la contravvenzione successiva, X per uscire... ";

// Prints the framed block of one fine record.
void stampa_contravv(const NODO_CONTRAVV* f);
// After an operation refused: the fine with that number as it now is (or
// that it is no longer there), then the pause.
void mostra_contravv_ora(uint32_t numero);
// Looks the number up (first fine with it) and prints its block.
// 0 shown; 1 no fine with that number; -1 empty list (each with its message).
int vis_contravv(NODO_CONTRAVV* lista, unsigned long numero);

// Records a new fine at the tail of the list through the entry form.
// 0 recorded; -1 no record could be created.
int ins_contravv(NODO_CONTRAVV* lista);

// Edits a fine field by field. 0 finished; 1 declined at the confirmation; -1 not shown.
int mod_contravv(NODO_CONTRAVV* lista);

// Deletes a fine after confirmation, optionally with its owner record.
// 0 deleted; 1 declined; -1 not shown.
int canc_contravv();

void menu_contravv();
