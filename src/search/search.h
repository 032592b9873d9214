// Searches: the guided walks over incomplete fines, the searches by plate
// and by owner, and the search menu.
#pragma once

#include "model/records.h"

// Walks the fines without owner data, offering the owner form at each.
// 0 left with X; 1 reached the end of the list.
int cerca_no_anagraf(NODO_CONTRAVV* lista);
// Walks the unpaid fines, offering the payment entry at each.
int cerca_no_pagam(NODO_CONTRAVV* lista);

void menu_cerca();
