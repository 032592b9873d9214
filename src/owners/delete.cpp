// Deleting an owner record: every fine that points to it loses its owner
// data and its payment, then the record is unlinked and freed.
#include "model/changes.h"
#include "model/lists.h"
#include "owners/owners.h"
#include "session/archive.h"

int canc_anagraf(unsigned long codice) {
    NODO_ANAGRAF* p = trova_codice(lista_anagraf, codice);
    if (p == nullptr) return -1;
    return canc_anagraf_record(p);
}

int canc_anagraf_record(NODO_ANAGRAF* p) {
    if (p == nullptr) return -1;
    const uint32_t codice = p->codice;
    if (!elimina_anagraf(p)) return -1;
    if (!operazione_rifiutata()) return 0;
    mostra_anagraf_ora(codice);
    return RIFIUTATA;
}
