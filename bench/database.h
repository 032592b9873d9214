// The archive on a PostgreSQL server beside the same archive in its two
// files, in one run: `sanzionario_bench --database CONNINFO [FINES]`, the
// connection string naming an empty database of a local server.
#pragma once

#include <cstddef>
#include <string>

// Builds the made-up archive of `multe` fines (half as many owners),
// writes it in two files and into the database, then measures, each
// against its yardstick in the same run:
// - the load from the database / the load from the files;
// - each everyday operation on the database / the same on the files;
// - eight programs making 500 operations each at once (new fines and
//   edits), checked afterwards: no update lost, no number given twice,
//   and the archive the database holds equal to the files' archive with
//   the log of operations replayed over it one after the other.
// Prints a table; 0 when every target is met, 1 when one is missed, 2 when
// nothing could be measured.
int esegui_database(const std::string& indirizzo, std::size_t multe);
