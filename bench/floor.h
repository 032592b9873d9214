// The least any load of the two files must do, as a program of its own:
// read both files on two threads, as the program does, count their line
// ends, and fill fresh memory as large as the records with their bytes.
// Against wc -l it shows what a machine asks of memory alone: on a
// virtual machine the first touch of a page may cost the host's faults.
#pragma once

#include <cstddef>
#include <string>

// The argument that makes this program the floor probe, followed by the
// fines file, the owners file and the bytes of the records of each.
constexpr const char* ARGOMENTO_PAVIMENTO = "--sonda-pavimento";

// Run in the probe: exit status 0 when both files were read whole.
int esegui_pavimento(const char* file_c, const char* file_a, std::size_t byte_c,
                     std::size_t byte_a);
