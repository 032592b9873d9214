// The save dialogue: its three choices, the question about files another
// program changed, and what became of the save.
#include "session/dialogs.h"

#include <string>
#include <vector>

#include "console/console.h"
#include "console/conventions.h"
#include "model/changes.h"
#include "model/lists.h"
#include "register/register.h"
#include "session/archive.h"
#include "session/journal.h"
#include "session/path_prompt.h"
#include "session/warnings.h"
#include "storage/archive_files.h"
#include "storage/file_ops.h"
#include "storage/put_in_place.h"

namespace {

constexpr const char* TITOLO_SALVA = "\n SALVA\n_________\n\n";
constexpr const char* MENU_SALVA = "[1] Salva  \n[2] Salva con nome...   \n[3] Non salvare\n\n";
constexpr const char* DOMANDA_FILE_C =
    "Inserire il percorso in cui salvare i dati delle contravvenzioni:\n"
    "(premere INVIO per salvare nel file di default)\n";
constexpr const char* DOMANDA_FILE_A =
    "\n\nInserisci il percorso in cui salvare i dati anagrafici:\n"
    "(premere INVIO per salvare nel file di default)\n";
constexpr const char* MSG_SALVATO = "\n\nSalvataggio avvenuto correttamente.\n\n";
constexpr const char* MSG_STESSO_FILE =
    "\n\nI due percorsi indicano lo stesso file: le contravvenzioni e i dati anagrafici\n"
    "vanno salvati in due file diversi, prego riprovare\n\n";
constexpr const char* MSG_SALVATAGGIO_ANNULLATO =
    "\n\nSalvataggio annullato: i file non sono stati modificati.\n\n";
constexpr const char* MSG_NOTA_MANCATA =
    "\n\n\n ! ATTENZIONE\n\nErrore durante il salvataggio dei file\nIl giornale delle modifiche "
    "non puo' annotare il salvataggio: senza quella nota\nun'interruzione a meta' lascerebbe un "
    "file nuovo accanto a uno vecchio.\nI file non sono stati modificati.\n\n";
constexpr const char* MSG_RITORNO_FALLITO =
    "\n\n\n ! ATTENZIONE\n\nErrore durante il salvataggio dei file, e i file gia' sostituiti "
    "non sono potuti\ntornare com'erano:\n";
constexpr const char* MSG_RITORNO_FALLITO_FINE =
    "I dati in memoria non sono cambiati: salvare di nuovo, eventualmente con nome.\n\n";
constexpr const char* MSG_SENZA_COPIA = "\n ! ATTENZIONE\n\nLa copia precedente ";
constexpr const char* MSG_SENZA_COPIA_FINE =
    "\nnon e' stata aggiornata: al suo posto c'e' un file che il programma non puo' "
    "sostituire.\n\n";
constexpr const char* MSG_ERRORE_SALVATAGGIO =
    "\n\n\n ! ATTENZIONE\n\nErrore durante il salvataggio dei file\n"
    "Verificare il percorso o il nome dei file e assicurarsi di avere i permessi per accedere "
    "ad essi\n\n";

// "Salva con nome...": both paths, asked until they name two files, and
// the lock of the archive they name; false, after telling the clerk and
// the pause, when another program holds it.
bool chiedi_destinazione(std::string& file_c, std::string& file_a) {
    for (;;) {
        file_c = chiedi_percorso(DOMANDA_FILE_C, FILE_CONTRAVV_DEFAULT);
        file_a = chiedi_percorso(DOMANDA_FILE_A, FILE_ANAGRAF_DEFAULT);
        if (!stesso_file(file_c, file_a)) break;
        // One file cannot hold both: the second save would take the first's place.
        console_out() << MSG_STESSO_FILE;
    }
    long pid = 0;
    if (blocca_destinazione(file_c, file_a, pid)) return true;
    avvisa_archivio_in_uso(TITOLARE_ARCHIVIO{pid, ""});
    pausa();
    return false;
}

// A database archive: every operation is already stored there; "Salva
// con nome..." writes a copy of it in two text files.
int salva_copia_del_database() {
    console_out() << TITOLO_SALVA
                  << "Tutto e' gia' nel database; \"Salva con nome...\" lo copia in due file "
                     "di testo.\n\n"
                  << MENU_SALVA;
    const char scelta = leggi_scelta('1', '3');
    if (scelta == '1') return 0;
    if (scelta == '3') return -1;
    std::string file_c, file_a;
    if (!chiedi_destinazione(file_c, file_a)) return 1;
    FUORI_LAYOUT fuori;
    const bool scritto = scrivi_archivio(file_c.c_str(), file_a.c_str(), &fuori);
    console_out() << (scritto ? MSG_SALVATO : MSG_ERRORE_SALVATAGGIO);
    pausa();
    return scritto ? 0 : 1;
}

// The data files another program changed since this session loaded or
// saved them, and the one question whether to overwrite them all.
bool sovrascrivere(const std::vector<std::string>& cambiati) {
    const bool uno = cambiati.size() == 1;
    console_out() << (uno ? "\n\n ! ATTENZIONE\n\nIl file " : "\n\n ! ATTENZIONE\n\nI file ");
    for (std::size_t i = 0; i < cambiati.size(); ++i) {
        if (i > 0) console_out() << "\ne ";
        stampa_percorso(cambiati[i]);
    }
    console_out() << (uno ? "\ne' stato modificato" : "\nsono stati modificati")
                  << " da un altro programma dopo l'ultimo caricamento o salvataggio.\n";
    return domanda_sn(uno ? "Sovrascriverlo? (s/n) " : "Sovrascriverli? (s/n) ");
}

// A record the files cannot hold as it is: which one, and why.
void stampa_fuori_layout(const FUORI_LAYOUT& f) {
    console_out() << "\n\n\n ! ATTENZIONE\n\n";
    if (f.contravv != nullptr) {
        console_out() << "La contravvenzione n." << f.contravv->numero
                      << " non puo' essere salvata:\n"
                      << f.motivo << ".\nCorreggerla e salvare di nuovo: ";
    } else {
        console_out() << "I dati anagrafici con codice " << f.anagraf->codice
                      << " non possono essere salvati:\n"
                      << f.motivo << ".\nCorreggerli e salvare di nuovo: ";
    }
    console_out() << "i file non sono stati modificati.\n\n";
}

// A failed save whose way back failed too: which data file holds what.
void stampa_rimasti_nuovi(const ESITO_SALVATAGGIO& e, const std::string& file_c,
                          const std::string& file_a) {
    console_out() << MSG_RITORNO_FALLITO;
    for (const std::string* f : {&file_c, &file_a}) {
        bool nuovo = false;
        for (const std::string& r : e.rimasti_nuovi) nuovo = nuovo || stesso_file(*f, r);
        stampa_percorso(*f);
        console_out() << (nuovo ? ": dati di questo salvataggio\n" : ": dati precedenti\n");
    }
    console_out() << MSG_RITORNO_FALLITO_FINE;
}

// What became of the save.
void stampa_esito(bool salvato, const ESITO_SALVATAGGIO& e, const std::string& file_c,
                  const std::string& file_a) {
    if (e.fuori.motivo != nullptr) {
        stampa_fuori_layout(e.fuori);
    } else if (!e.rimasti_nuovi.empty()) {
        stampa_rimasti_nuovi(e, file_c, file_a);
    } else if (e.nota_mancata) {
        console_out() << MSG_NOTA_MANCATA;
    } else {
        console_out() << (salvato ? MSG_SALVATO : MSG_ERRORE_SALVATAGGIO);
    }
    for (const std::string& f : e.senza_copia) {
        stampa_percorso(MSG_SENZA_COPIA, percorso_copia(f), MSG_SENZA_COPIA_FINE);
    }
}

} // namespace

void avvisa_archivio_in_uso(const TITOLARE_ARCHIVIO& t) {
    console_out() << "\n\n\n ! ATTENZIONE\n\n" << testo_archivio_in_uso(t) << "\n";
}

int salva() {
    if (rifiuta_in_consultazione()) return 1;
    if (archivio_database()) return salva_copia_del_database();
    console_out() << TITOLO_SALVA << MENU_SALVA;
    const char scelta = leggi_scelta('1', '3');
    if (scelta == '3') {
        registro_non_salvare(registro_sessione(), modifiche_non_salvate());
        return -1;
    }
    std::string file_c = nome_file_c;
    std::string file_a = nome_file_a;
    if (scelta == '2') {
        if (!chiedi_destinazione(file_c, file_a)) return 1;
        copia_campo(nome_file_c, file_c.c_str());
        copia_campo(nome_file_a, file_a.c_str());
    }
    const std::vector<std::string> cambiati = file_cambiati(file_c, file_a);
    if (!cambiati.empty() && !sovrascrivere(cambiati)) {
        console_out() << MSG_SALVATAGGIO_ANNULLATO;
        pausa();
        return 1;
    }
    ESITO_SALVATAGGIO esito;
    const bool salvato = salva_archivio(file_c, file_a, esito);
    stampa_esito(salvato, esito, file_c, file_a);
    const GIORNALE_IN_USO& giornale = giornale_sessione();
    if (!giornale_attivo(giornale) && !giornale.percorso.empty())
        avvisa_giornale_mancante(giornale.percorso);
    if (!registro_attivo(registro_sessione())) avvisa_registro_mancante();
    pausa();
    return salvato ? 0 : 1;
}
