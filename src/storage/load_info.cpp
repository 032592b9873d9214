// The identifier facts of the last successful load.
#include "storage/load_info.h"

bool numeri_unici = true;
bool codici_unici = true;
