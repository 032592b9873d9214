// TEMPORARY STUB: to be replaced by the real implementation.
#include "owners/owners.h"

void menu_anagraf() {}
