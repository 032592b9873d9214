// What the last successful load found out about the identifiers stored in
// the data files, for whoever needs to know whether a number or a code can
// name two records. Before any load, and after loading empty files, both
// are true.
#pragma once

// The fine numbers rose strictly along the fines file, so no two fines
// share one; false means they may.
extern bool numeri_unici;

// No two owner records share a code.
extern bool codici_unici;
