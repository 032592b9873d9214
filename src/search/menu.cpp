// TEMPORARY STUB: to be replaced by the real implementation.
#include "search/search.h"

void menu_cerca() {}
