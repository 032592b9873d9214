// Reading the owners file and the fines file at the same time, each on its
// own thread, into two new lists, and linking each fine to its owner.
#pragma once

#include "model/record_index.h"
#include "model/records.h"
#include "storage/record_shape.h"

struct LISTE_LETTE {
    NODO_CONTRAVV* contravv = nullptr;
    NODO_ANAGRAF* anagraf = nullptr;
    bool numeri_unici = true; // the fine numbers rose strictly along the file
    bool codici_unici = true; // no two owners share a code
    FORMA_FILE forma_c;       // how many records of each file have its shape
    FORMA_FILE forma_a;
    MULTE_ORFANE orfane; // fines naming an owner code no owner has (left without owner)
    INDICE_ID<NODO_CONTRAVV> indice_c; // the index of each list, for the change door
    INDICE_ID<NODO_ANAGRAF> indice_a;
};

// Reads both open files whole into `liste` (empty at the call), the records
// in file order, each fine linked to the first owner with the code it
// names, and the index of each list. 0 when both files were read to their end. Otherwise both lists
// are freed and left empty: 1 when a read failed, -1 when memory ran out, whichever file it
// happened in (the owners file's failure counts first, as if it had been read first). When no
// second thread can be started the files are read one after the other.
int leggi_liste(int fd_c, int fd_a, LISTE_LETTE& liste);
