// Reading an archive for a command of the command line: locks, journal and
// both files, with nothing changed on disk.
#include "session/read_only.h"

#include "session/journal.h"
#include "session/lock.h"
#include "storage/archive_files.h"
#include "storage/file_ops.h"

namespace {

// What the journal beside the archive holds, read without changing it.
void esamina_giornale(ARCHIVIO_LETTO& r) {
    GIORNALE_LETTO g;
    const GIORNALE_SU_DISCO su_disco = leggi_file_giornale(r.percorso_giornale, g);
    r.giornale_non_fidato = su_disco == GIORNALE_SU_DISCO::NON_FIDATO;
    if (su_disco != GIORNALE_SU_DISCO::LETTO) return;
    if (!g.riconosciuto) {
        r.giornale_illeggibile = true;
        return;
    }
    r.salvataggio_interrotto = g.voci.back().tipo == TIPO_VOCE::SALVATAGGIO;
    for (const VOCE_GIORNALE& v : g.voci)
        if (v.tipo == TIPO_VOCE::MODIFICHE) ++r.modifiche_non_salvate;
}

} // namespace

ARCHIVIO_LETTO leggi_per_comando(const std::string& file_c, const std::string& file_a) {
    ARCHIVIO_LETTO r;
    r.percorso_giornale = percorso_giornale(file_c);
    BLOCCO_ARCHIVIO blocco;
    const ESITO_BLOCCO preso =
        prendi_blocco(percorso_assoluto(file_c), percorso_assoluto(file_a), blocco, r.pid);
    if (preso != ESITO_BLOCCO::PRESO) {
        r.esito = 1;
        r.in_uso = preso == ESITO_BLOCCO::OCCUPATO;
        if (!r.in_uso) r.blocco_non_fidato = percorso_blocco(percorso_assoluto(file_c));
        return r;
    }
    esamina_giornale(r);
    LISTE_LETTE liste;
    r.esito = leggi_archivio(file_c.c_str(), file_a.c_str(), nullptr, liste);
    r.forma_c = liste.forma_c;
    r.forma_a = liste.forma_a;
    r.orfane = liste.orfane;
    if (r.esito == 0) installa_lette(liste);
    rinuncia_blocco(blocco); // a lock file made here goes with it
    return r;
}

std::string testo_archivio_in_uso(long pid) {
    std::string t = "L'archivio e' gia' in uso in un'altra sessione";
    if (pid > 0) t += " (processo " + std::to_string(pid) + ")";
    return t + ".\nChiudere l'altra sessione e riprovare.\n";
}
