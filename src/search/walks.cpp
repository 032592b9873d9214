// TEMPORARY STUB: to be replaced by the real implementation.
#include "search/search.h"

int cerca_no_anagraf(NODO_CONTRAVV*) { return 1; }
int cerca_no_pagam(NODO_CONTRAVV*) { return 1; }
