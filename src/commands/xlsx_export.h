// The export as a spreadsheet file (Office Open XML, .xlsx), written with
// libxlsxwriter: typed cells (fine numbers and owner codes as numbers,
// amounts as numbers in a euro format, dates as dates, every text,
// postal codes, plates and tax codes included, as text), a bold header
// row, the first row frozen, an autofilter over the table and column
// widths that fit their contents. Any spreadsheet opens it as it is.
#pragma once

#include <string>

// Writes the whole workbook to `percorso` (the export's temporary file,
// open and empty). False, with the library's reason in `errore`, when it
// could not be written.
bool scrivi_xlsx(const std::string& percorso, bool solo_persone, std::string& errore);
