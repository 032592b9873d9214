// The consultation of an archive another session holds: what the clerk is
// told when a choice would change it, and the fresh look at each menu.
#include "console/console.h"
#include "session/archive.h"
#include "session/dialogs.h"

namespace {

constexpr const char* MSG_SOLA_CONSULTAZIONE =
    "\nL'archivio e' aperto in sola consultazione: nessuna modifica e' possibile.\n\n";
constexpr const char* MSG_NON_RILETTO =
    "\nL'archivio non si puo' rileggere ora: si vedono i dati della lettura precedente.\n\n";

} // namespace

bool rifiuta_in_consultazione() {
    if (!sola_consultazione()) return false;
    console_out() << MSG_SOLA_CONSULTAZIONE;
    pausa();
    return true;
}

void guarda_di_nuovo() {
    if (archivio_database()) {
        if (!aggiorna_database())
            console_out() << "\nIl database non risponde ora: si vedono i dati dell'ultima lettura.\n";
        return;
    }
    if (!sola_consultazione() || aggiorna_consultazione()) return;
    console_out() << MSG_NON_RILETTO;
    pausa();
}
