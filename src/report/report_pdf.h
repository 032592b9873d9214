// The period's report as PDF pages: the totals, the months, the most
// frequent kinds of infringement and places, each as a table and a chart.
#pragma once

#include <string>

#include "pdf/document.h"
#include "report/summary.h"

// Draws the report, `periodo` naming its period under the title, and ends
// its last page.
void disegna_rapporto(DOCUMENTO_PDF& d, const RAPPORTO& r, const std::string& periodo);
