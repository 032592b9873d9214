// The same archive in SQLite, as the yardstick of the everyday operations
// and the searches: both tables, with indexes on the fine number (its key),
// the plate, the surname and the tax code, and the durability the program
// gives each operation with its journal and register flushed (write-ahead
// log, synchronous=FULL, one transaction per operation). Also the floor of
// any durable operation: one fdatasync of a 4 KB append.
#pragma once

#include <map>
#include <string>

// The median seconds of each operation on SQLite, named as the program's
// own (misura_operazioni, misura_ricerche); empty when the database could
// not be made. The database is filled from the lists in use and removed
// afterwards; `cartella` is where it stands.
std::map<std::string, double> misura_sqlite(const std::string& cartella, int volte);

// The median seconds of appending 4 KB to a file and flushing it with
// fdatasync, in `cartella`, one after the other, or each after `pausa`
// seconds of sleep (a disk left idle answers the next flush later); 0
// when it failed.
double misura_fdatasync(const std::string& cartella, int volte, double pausa = 0);
