// The load dialogue: the two paths, the questions about unsaved work, a
// malformed file and a journal found, and what became of them.
#include "session/dialogs.h"

#include <ctime>
#include <string>

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

namespace {

constexpr const char* TITOLO_CARICA = "\n CARICA DA FILE\n_________________\n\n";
constexpr const char* DOMANDA_FILE_C =
    "Inserire il nome del file contenente i dati delle contravvenzioni:\n"
    "(premere INVIO per caricare il file di default)\n";
constexpr const char* DOMANDA_FILE_A =
    "\n\nInserisci il nome del file contenente i dati anagrafici:\n"
    "(premere INVIO per caricare il file di default)\n";
constexpr const char* MSG_CARICATO = "\n\nCaricamento avvenuto correttamente.\n\n";
constexpr const char* MSG_ERRORE_APERTURA =
    "\n\n\n ! ATTENZIONE\n\nErrore nell'apertura dei file\n"
    "Verificare il percorso o il nome dei file e assicurarsi di avere i permessi per accedere "
    "ad essi\n\n";
constexpr const char* MSG_MEMORIA = "\n\nATTENZIONE: Memoria disponibile insufficiente.\n\n"
                                    "I dati non sono stati caricati correttamente\n\n";

constexpr const char* DOMANDA_PERDITA =
    "\n ! ATTENZIONE\n\nLe modifiche non salvate andranno perse.\n"
    "Caricare comunque i dati da file? (s/n) ";
constexpr const char* MSG_NULLA_CARICATO = "\nNessun dato caricato.\n\n";
constexpr const char* MSG_ARCHIVIO_INVARIATO =
    "\nNessun dato caricato: l'archivio in uso e' invariato.\n\n";
constexpr const char* MSG_RECUPERO_E_RICARICA_FALLITI =
    "\n\n\n ! ATTENZIONE\n\nLe modifiche del giornale non corrispondono ai file dei dati, e i "
    "file\n"
    "non si possono piu' leggere: nessun dato caricato, il giornale e' rimasto dov'era.\n\n";
constexpr const char* MSG_BLOCCO_NON_FIDATO =
    "\n\n\n ! ATTENZIONE\n\nAl posto del file di blocco dell'archivio c'e' un file che non e' "
    "di questo programma:\n";
constexpr const char* MSG_BLOCCO_NON_FIDATO_FINE =
    "\nNessun dato caricato: senza il suo blocco l'archivio potrebbe essere aperto due volte.\n"
    "Controllare quel file e toglierlo, poi caricare di nuovo.\n\n";
constexpr const char* MSG_SALVATAGGIO_INCERTO =
    "\n\n\n ! ATTENZIONE\n\nUn salvataggio di questo archivio si e' interrotto a meta' e non "
    "puo' essere\ncompletato con certezza: i due file dei dati potrebbero non corrispondere.\n";
constexpr const char* MSG_SALVATAGGIO_INCERTO_FILE = "File presenti:\n";
constexpr const char* MSG_SALVATAGGIO_INCERTO_FINE =
    "Nessun dato caricato: rimettere al loro posto due file dello stesso salvataggio\n"
    "(i due nuovi, o i due che c'erano prima), poi spostare il giornale in un'altra\n"
    "cartella prima di caricare di nuovo.\n\n";
constexpr const char* MSG_STESSO_FILE =
    "\n\n\n ! ATTENZIONE\n\nI due percorsi indicano lo stesso file: le contravvenzioni e i "
    "dati anagrafici\nsono in due file diversi.\n\n";
constexpr const char* DOMANDA_CONSULTAZIONE = "Aprirlo in sola consultazione? (s/n) ";
constexpr const char* MSG_CONSULTAZIONE =
    "\nArchivio aperto in sola consultazione: si vedono i dati salvati e le modifiche\n"
    "confermate nell'altra sessione, aggiornati a ogni ritorno a un menu;\n"
    "nessuna modifica e' possibile.\n";
constexpr const char* MSG_CONSULTAZIONE_SENZA_GIORNALE =
    "\nArchivio aperto in sola consultazione: si vedono i dati dell'ultimo salvataggio\n"
    "(le modifiche non salvate dell'altra sessione non sono leggibili da questo utente);\n"
    "nessuna modifica e' possibile.\n";
constexpr const char* MSG_GIORNALE_NON_FIDATO =
    "\n ! ATTENZIONE\n\nAl posto del giornale delle modifiche c'e' un file che non e' di "
    "questo programma:\n";
constexpr const char* MSG_GIORNALE_NON_FIDATO_FINE =
    "\nNon e' stato letto, e finche' resta li' il lavoro non e' protetto contro\n"
    "un'interruzione improvvisa: controllarlo e toglierlo, e salvare spesso.\n\n";
constexpr const char* MSG_CARTELLA_APERTA =
    "\n ! ATTENZIONE\n\nLa cartella dell'archivio e' scrivibile da tutti gli utenti:\n";
constexpr const char* MSG_CARTELLA_APERTA_FINE =
    "\naltri possono bloccare o disturbare l'archivio. Conviene spostarlo in una cartella\n"
    "riservata all'ufficio.\n\n";
constexpr const char* DOMANDA_RECUPERO = "\n\nRecuperare le modifiche? (s/n) ";
constexpr const char* MSG_RECUPERATE =
    "\nLe modifiche sono state recuperate: salvare i dati per conservarle nei file.\n";
constexpr const char* MSG_NON_RECUPERATE =
    "\nLe modifiche non recuperate sono conservate nel file\n";
constexpr const char* MSG_FILE_CAMBIATI =
    "\n\n ! ATTENZIONE\n\nI file dei dati sono cambiati dopo l'interruzione della sessione "
    "precedente:\nle sue modifiche non salvate non possono essere recuperate.\n"
    "Sono conservate nel file\n";
constexpr const char* MSG_GIORNALE_ILLEGGIBILE =
    "\n\n ! ATTENZIONE\n\nIl giornale delle modifiche di questo archivio non e' leggibile.\n"
    "E' conservato nel file\n";
constexpr const char* MSG_RECUPERO_FALLITO =
    "\n\n ! ATTENZIONE\n\nLe modifiche del giornale non corrispondono ai file dei dati e non "
    "sono state recuperate.\nSono conservate nel file\n";

// "... contiene 3 modifiche non salvate;\nl'ultima e' del 7/12/2026 alle 10:45."
void stampa_giornale_trovato(long modifiche, int64_t ultima) {
    const std::time_t t = static_cast<std::time_t>(ultima);
    std::tm quando{};
    localtime_r(&t, &quando);
    char ora[8];
    std::strftime(ora, sizeof ora, "%H:%M", &quando);
    console_out() << "\n\n ! ATTENZIONE\n\nLa sessione precedente su questo archivio non si e' "
                     "chiusa correttamente.\nIl giornale delle modifiche contiene "
                  << modifiche
                  << (modifiche == 1 ? " modifica non salvata" : " modifiche non salvate")
                  << ";\nl'ultima e' del " << quando.tm_mday << "/" << quando.tm_mon + 1 << "/"
                  << quando.tm_year + 1900 << " alle " << ora << ".";
}

// A file that does not look like an archive file of its kind: which one,
// how many records are off and where the first begins, then the question.
bool conferma_forma(const char* file, bool contravvenzioni, const FORMA_FILE& f) {
    console_out() << "\n\n ! ATTENZIONE\n\nIl file ";
    stampa_percorso(file);
    console_out() << "\nnon sembra un file "
                  << (contravvenzioni ? "delle contravvenzioni" : "dei dati anagrafici") << ": "
                  << f.malformati << " record su " << f.record
                  << (f.malformati == 1 ? " non ha" : " non hanno")
                  << " la forma attesa\n(il primo alla riga " << f.riga << ").\n";
    return domanda_sn("Caricarlo comunque? (s/n) ");
}

// A recovery that stopped before the changes whose values no record may
// hold: how many came back, that the rest could not, and where it all is.
void stampa_recupero_parziale(const ESITO_GIORNALE& g) {
    console_out() << "\nModifiche recuperate: " << g.recuperate << " su "
                  << g.recuperate + g.non_recuperate << ".\n";
    if (g.non_recuperate == 1) {
        console_out() << "L'ultima contiene un valore non valido e non puo' essere recuperata.\n";
    } else {
        console_out() << "Le ultime " << g.non_recuperate
                      << " contengono valori non validi e non possono essere recuperate.\n";
    }
    stampa_percorso("Il giornale completo e' conservato nel file\n", g.messo_da_parte);
    console_out() << "Salvare i dati per conservare nei file le modifiche recuperate.\n";
}

// What became of the journal found, after the question if there was one.
void stampa_esito_giornale(const APERTURA& a, bool recupera, const ESITO_GIORNALE& g) {
    if (g.recuperato && g.non_recuperate > 0) {
        stampa_recupero_parziale(g);
    } else if (g.recuperato) {
        console_out() << MSG_RECUPERATE;
    } else if (recupera) {
        stampa_percorso(MSG_RECUPERO_FALLITO, g.messo_da_parte);
    } else if (a.giornale == GIORNALE_TROVATO::RECUPERABILE) {
        stampa_percorso(MSG_NON_RECUPERATE, g.messo_da_parte);
    } else if (a.giornale == GIORNALE_TROVATO::FILE_CAMBIATI) {
        stampa_percorso(MSG_FILE_CAMBIATI, g.messo_da_parte);
    } else if (a.giornale == GIORNALE_TROVATO::ILLEGGIBILE) {
        stampa_percorso(MSG_GIORNALE_ILLEGGIBILE, g.messo_da_parte);
    }
}

// A load that found the archive in use, something at its lock file's name
// that is not the program's, a save cut short it cannot finish, or files
// it cannot open or read.
// What a file a save cut short left is, by its name.
const char* ruolo_nel_salvataggio(const std::string& percorso) {
    const std::string nome = nome_di(percorso);
    if (nome.find(".tmp-") != std::string::npos) return " (nuovo, non ancora al suo posto)\n";
    if (nome.find(".bak-") != std::string::npos) return " (quello che c'era prima)\n";
    return " (file dei dati)\n";
}

void stampa_apertura_fallita(const APERTURA& a) {
    if (a.stesso_file) {
        console_out() << MSG_STESSO_FILE;
    } else if (a.in_uso) {
        avvisa_archivio_in_uso(a.titolare);
    } else if (a.salvataggio_in_corso) {
        console_out() << "\n\n\n ! ATTENZIONE\n\nL'altra sessione sta salvando l'archivio da "
                         "troppo tempo: riprovare piu' tardi.\n\n";
    } else if (!a.blocco_non_fidato.empty()) {
        stampa_percorso(MSG_BLOCCO_NON_FIDATO, a.blocco_non_fidato, MSG_BLOCCO_NON_FIDATO_FINE);
    } else if (!a.salvataggio_incerto.empty()) {
        console_out() << MSG_SALVATAGGIO_INCERTO << MSG_SALVATAGGIO_INCERTO_FILE;
        for (std::size_t i = 0; i + 1 < a.salvataggio_incerto.size(); ++i)
            stampa_percorso("  ", a.salvataggio_incerto[i],
                            ruolo_nel_salvataggio(a.salvataggio_incerto[i]));
        stampa_percorso("Giornale del salvataggio: ", a.salvataggio_incerto.back());
        console_out() << MSG_SALVATAGGIO_INCERTO_FINE;
    } else {
        console_out() << (a.esito == 1 ? MSG_ERRORE_APERTURA : MSG_MEMORIA);
    }
}

// The clerk said no to a question of the load: one line says so, then the pause.
int nulla_caricato() {
    console_out() << (nome_file_c[0] == '\0' ? MSG_NULLA_CARICATO : MSG_ARCHIVIO_INVARIATO);
    pausa();
    return 1;
}

// An archive another session holds: opened for consultation when the
// clerk says so.
// A database archive: nothing is asked; a fresh look at it, every
// operation already stored there.
int carica_database(const std::string& indirizzo) {
    console_out() << TITOLO_CARICA
                  << "L'archivio e' nel database: lo si rilegge com'e' ora, con il lavoro di "
                     "tutti.\n";
    APERTURA a = apri_archivio(nomi_database(indirizzo), MODO_APERTURA::TITOLARE, conferma_forma);
    if (a.esito != 0) {
        const std::string& e = a.errore_database;
        const bool chiuso = !e.empty() && (e.back() == '.' || e.back() == '?' || e.back() == '!');
        console_out() << "\n\n\n ! ATTENZIONE\n\nIl database non si puo' leggere: " << e
                      << (chiuso ? "\n\n" : ".\n\n");
        pausa();
        return a.esito;
    }
    concludi_apertura(a, false);
    console_out() << MSG_CARICATO;
    pausa();
    return 0;
}

int consulta(const NOMI_ARCHIVIO& nomi, const TITOLARE_ARCHIVIO& t) {
    console_out() << "\n\n\n ! ATTENZIONE\n\nL'archivio e' gia' in uso in un'altra sessione"
                  << chi_tiene(t) << ".\n";
    if (!domanda_sn(DOMANDA_CONSULTAZIONE)) return nulla_caricato();
    APERTURA a = apri_archivio(nomi, MODO_APERTURA::LETTORE, conferma_forma);
    if (a.esito == CARICAMENTO_RIFIUTATO) return nulla_caricato();
    if (a.esito != 0) {
        stampa_apertura_fallita(a);
        pausa();
        return a.esito;
    }
    if (!concludi_apertura(a, true).caricato) {
        console_out() << MSG_ERRORE_APERTURA;
        pausa();
        return 1;
    }
    copia_campo(nome_file_c, nomi.file_c.c_str());
    copia_campo(nome_file_a, nomi.file_a.c_str());
    console_out() << (a.giornale_altrui ? MSG_CONSULTAZIONE_SENZA_GIORNALE : MSG_CONSULTAZIONE)
                  << MSG_CARICATO;
    pausa();
    return 0;
}

} // namespace

namespace {
std::optional<std::string> database_scelto;
} // namespace

void scegli_archivio(std::optional<std::string> database) {
    database_scelto = std::move(database);
}

std::optional<std::string> archivio_scelto() {
    return database_scelto;
}

int carica() {
    if (const std::optional<std::string> database = archivio_scelto()) return carica_database(*database);
    if (modifiche_non_salvate() > 0 && !domanda_sn(DOMANDA_PERDITA)) return nulla_caricato();
    console_out() << TITOLO_CARICA;
    const std::string file_c = chiedi_percorso(DOMANDA_FILE_C, FILE_CONTRAVV_DEFAULT);
    const std::string file_a = chiedi_percorso(DOMANDA_FILE_A, FILE_ANAGRAF_DEFAULT);
    const NOMI_ARCHIVIO nomi = nomi_archivio(file_c, file_a);
    APERTURA a = apri_archivio(nomi, MODO_APERTURA::TITOLARE, conferma_forma);
    if (a.in_uso) return consulta(nomi, a.titolare);
    if (a.esito == CARICAMENTO_RIFIUTATO) return nulla_caricato();
    if (a.esito != 0) {
        stampa_apertura_fallita(a);
        pausa();
        return a.esito;
    }
    bool recupera = false;
    if (a.giornale == GIORNALE_TROVATO::RECUPERABILE) {
        stampa_giornale_trovato(a.modifiche, a.ultima);
        recupera = domanda_sn(DOMANDA_RECUPERO);
    }
    const ESITO_GIORNALE g = concludi_apertura(a, recupera);
    if (!g.caricato) {
        console_out() << MSG_RECUPERO_E_RICARICA_FALLITI;
        pausa();
        return 1;
    }
    copia_campo(nome_file_c, file_c.c_str());
    copia_campo(nome_file_a, file_a.c_str());
    stampa_esito_giornale(a, recupera, g);
    console_out() << MSG_CARICATO;
    for (const std::string& cartella : g.cartelle_aperte) {
        stampa_percorso(MSG_CARTELLA_APERTA, cartella, MSG_CARTELLA_APERTA_FINE);
    }
    if (a.giornale == GIORNALE_TROVATO::NON_FIDATO) {
        stampa_percorso(MSG_GIORNALE_NON_FIDATO, g.giornale, MSG_GIORNALE_NON_FIDATO_FINE);
    } else if (!g.protetto) {
        avvisa_giornale_mancante(g.giornale);
    }
    if (!registro_attivo(registro_sessione())) avvisa_registro_mancante();
    pausa();
    return 0;
}
