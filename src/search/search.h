// Searches: the guided walks over incomplete fines, the searches by plate
// and by owner, and the search menu.
#pragma once

#include "model/records.h"

// Walks the fines without owner data, offering the owner form at each.
// 0 left with X; 1 reached the end of the list.
int cerca_no_anagraf(NODO_CONTRAVV* lista);
// Walks the unpaid fines, offering the payment entry at each.
int cerca_no_pagam(NODO_CONTRAVV* lista);

// Asks for a plate, or part of one, and pages through every fine whose
// plate contains it (letters in either case). 0 results shown; 1 empty
// answer, nothing searched; -1 nothing found.
int cerca_contravv(NODO_CONTRAVV* lista);
// Asks for a surname, or part of one, or a tax code, and pages through
// every owner whose surname contains it or whose tax code equals it, each
// with the numbers of its fines. Results as cerca_contravv.
int cerca_anagraf(NODO_ANAGRAF* lista);

void menu_cerca();
