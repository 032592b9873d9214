// sanzionario_bench --database CONNINFO [FINES]: the same archive on a
// PostgreSQL server beside its files (database.h).
// sanzionario_bench [FINES [OWNERS [FOLDER]]]: builds an archive of a large
// city's office (1,000,000 fines and 500,000 owners unless told otherwise)
// in a temporary folder, measures loading, saving, memory and the everyday
// operations against their targets, and prints a table. Every time is
// compared with a yardstick run in turns with it in the same run, so that
// the ratios hold on any machine. Exit status 0 when every target is met,
// 1 when one is missed, 2 when nothing could be measured.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "archive.h"
#include "database.h"
#include "floor.h"
#include "import.h"
#include "machine.h"
#include "measures.h"
#include "model/lists.h"
#include "model/records.h"
#include "notices.h"
#include "operations.h"
#include "probe.h"
#include "recovery.h"
#include "register/register.h"
#include "report.h"
#include "sqlite.h"
#include "session/archive.h"
#include "session/dialogs.h"
#include "storage/archive_files.h"

namespace {

// Runs of each measure and of its yardstick, taken in turns; medians count.
constexpr int RIPETIZIONI_CARICA = 9;
constexpr int RIPETIZIONI_SALVA = 9;
constexpr int RIPETIZIONI_OPERAZIONI = 7;
constexpr double MAX_CARICA = 1.25;  // program loading and exiting / its floor (floor.cpp)
constexpr double MAX_SALVA = 1.5;    // save dialogue / one O_DIRECT write and fsync per file
constexpr double MAX_MEMORIA = 1.05; // the program's peak resident memory / bytes of the records
constexpr double MAX_OPERAZIONE = 0.005; // seconds
constexpr double MAX_FLUSSI = 3.0;       // an operation / one fdatasync of a 4 KB append
constexpr double PAUSA_FLUSSO = 0.010;   // seconds of quiet before a flush, for the record
constexpr double MAX_RICERCA = 0.030;    // seconds, up to the first result
constexpr std::size_t MULTE_RICIRCOLO = 20'000;
constexpr double MAX_RICIRCOLO = 1.1; // resident memory after the second round / after the first
constexpr double MAX_RECUPERO = 2.0;  // recovering 50,000 operations / a load
constexpr std::size_t PAGAMENTI_IMPORTATI = 100'000;
constexpr double MAX_IMPORTAZIONE = 3.0; // importing them / loading and exiting plus saving
constexpr double MAX_MEMORIA_IMPORTAZIONE = 2.0; // its peak memory / the archive's files
constexpr std::size_t AVVISI = 1000;
constexpr int RIPETIZIONI_AVVISI = 3;
constexpr double MAX_AVVISI = 4.0; // the notices' PDF / esporta of the whole archive

// The clerk's answers: [5] load with the default paths, the pause, [7] exit,
// [3] do not save, the final pause.
constexpr const char* RISPOSTE_CARICA = "5\n\n\n\n7\n3\n\n";
constexpr const char* MSG_CARICATO = "Caricamento avvenuto correttamente.";

struct ARCHIVIO {
    std::size_t multe;
    std::size_t proprietari;
    std::string cartella;
    std::string file_c;
    std::string file_a;
    std::string testo_c; // the two files as written, for the yardsticks
    std::string testo_a;
};

std::string mb(double byte) {
    return cifra(byte / 1e6, 1) + " MB";
}

// Under 10 ms to the hundredth: an operation is a fraction of a millisecond.
std::string ms(double secondi) {
    return cifra(secondi * 1000.0, secondi < 0.01 ? 2 : 1) + " ms";
}

std::size_t numero_argomento(int argc, char** argv, int i, std::size_t predefinito) {
    if (argc <= i) return predefinito;
    return static_cast<std::size_t>(std::strtoull(argv[i], nullptr, 10));
}

std::string in_cartella(const ARCHIVIO& a, const char* nome) {
    return a.cartella + "/" + nome;
}

// A new folder under `base` with the archive generated and written in
// dati/ by the program's own writer; the lists are emptied again.
bool crea_archivio(const char* base, ARCHIVIO& a) {
    std::string modello = std::string(base) + "/sanz-bench-XXXXXX";
    if (mkdtemp(modello.data()) == nullptr) return false;
    a.cartella = modello;
    if (mkdir(in_cartella(a, "dati").c_str(), 0700) != 0) return false;
    a.file_c = in_cartella(a, "dati/contravvenzioni.txt");
    a.file_a = in_cartella(a, "dati/anagrafica.txt");
    const bool scritto = genera_archivio(a.multe, a.proprietari) &&
                         scrivi_archivio(a.file_c.c_str(), a.file_a.c_str());
    libera_liste();
    a.testo_c = leggi_tutto(a.file_c.c_str());
    a.testo_a = leggi_tutto(a.file_a.c_str());
    return scritto;
}

void togli_archivio(const ARCHIVIO& a) {
    for (const char* nome :
         {"dati/contravvenzioni.txt", "dati/anagrafica.txt", "dati/contravvenzioni.txt.bak",
          "dati/anagrafica.txt.bak", "dati/contravvenzioni.txt.blocco", "pagamenti.csv",
          "dati/contravvenzioni.txt.giornale", "dati/contravvenzioni.txt.registro", "grezzo_c.txt",
          "grezzo_a.txt", "uscita.txt"})
        unlink(in_cartella(a, nome).c_str());
    rmdir(in_cartella(a, "dati").c_str());
    rmdir(a.cartella.c_str());
}

RIGA_TABELLA rapporto(const std::string& misura, double valore, double massimo, bool riuscito,
                      const std::string& dettaglio) {
    return {misura, cifra(valore, 2) + "x (" + dettaglio + ")" + (riuscito ? "" : " (failed)"),
            "<= " + cifra(massimo, 2) + "x", riuscito && valore <= massimo};
}

// The program started, loading both files through its dialogue and
// exiting, against wc -l of the same two files, in turns; and the
// program's peak resident memory against the bytes of its records. The
// floor probe runs in the same turns: what any load costs on this machine
// before a single field is read.
// The median seconds of the load, program start and exit included.
double misura_caricamento(const ARCHIVIO& a, std::vector<RIGA_TABELLA>& tabella) {
    const std::size_t byte_c = sizeof(NODO_CONTRAVV) * a.multe;
    const std::size_t byte_a = sizeof(NODO_ANAGRAF) * a.proprietari;
    const std::vector<std::string> programma{SANZIONARIO_BIN};
    const std::vector<std::string> wc{"wc", "-l", a.file_c, a.file_a};
    const std::vector<std::string> pavimento{
        "/proc/self/exe", ARGOMENTO_PAVIMENTO,    a.file_c,
        a.file_a,         std::to_string(byte_c), std::to_string(byte_a)};
    const std::string uscita = in_cartella(a, "uscita.txt");
    // Once each untimed, so that both files are in the page cache.
    bool riuscito = esegui(wc, a.cartella, "").riuscito;
    riuscito = esegui(programma, a.cartella, RISPOSTE_CARICA, uscita).riuscito && riuscito;
    riuscito = riuscito && leggi_tutto(uscita.c_str()).find(MSG_CARICATO) != std::string::npos;
    std::vector<double> t_wc, t_programma, t_pavimento;
    long long picco = 0;
    for (int i = 0; i < RIPETIZIONI_CARICA; ++i) {
        const ESITO_PROCESSO w = esegui(wc, a.cartella, "");
        const ESITO_PROCESSO p = esegui(programma, a.cartella, RISPOSTE_CARICA);
        const ESITO_PROCESSO f = esegui(pavimento, a.cartella, "");
        riuscito = riuscito && w.riuscito && p.riuscito && f.riuscito;
        t_wc.push_back(w.secondi);
        t_programma.push_back(p.secondi);
        t_pavimento.push_back(f.secondi);
        picco = std::max(picco, p.picco);
    }
    const double byte_record = static_cast<double>(byte_c + byte_a);
    const double carica = mediana(t_programma), righe = mediana(t_wc);
    const double minimo = mediana(t_pavimento);
    std::cout << "load:    program " << cifra(carica, 3) << " s (slowest "
              << cifra(peggiore(t_programma), 3) << "), wc -l " << cifra(righe, 3)
              << " s, files read and records' memory filled " << cifra(minimo, 3) << " s\n";
    std::cout << "memory:  peak " << mb(static_cast<double>(picco)) << " for " << mb(byte_record)
              << " of records (" << sizeof(NODO_CONTRAVV) << " B a fine, " << sizeof(NODO_ANAGRAF)
              << " B an owner)\n";
    tabella.push_back(rapporto("program loading and exiting / its floor", carica / minimo,
                               MAX_CARICA, riuscito, cifra(carica, 3) + " s"));
    tabella.push_back({"  its floor: files read, records' memory filled / wc -l",
                       cifra(minimo / righe, 2) + "x (" + cifra(minimo, 3) + " s)", "(yardstick)",
                       riuscito});
    tabella.push_back({"  program loading and exiting / wc -l",
                       cifra(carica / righe, 2) + "x (wc -l " + cifra(righe, 3) + " s)", "",
                       riuscito});
    tabella.push_back(rapporto("peak memory of a load / record bytes",
                               static_cast<double>(picco) / byte_record, MAX_MEMORIA, riuscito,
                               mb(static_cast<double>(picco))));
    return carica;
}

// The save dialogue on the loaded archive against one O_DIRECT write and
// fsync of each file's bytes, in turns, each run starting with nothing
// left to flush.
// The median seconds of the save dialogue.
double misura_salvataggio(const ARCHIVIO& a, std::vector<RIGA_TABELLA>& tabella) {
    const std::string grezzo_c = in_cartella(a, "grezzo_c.txt");
    const std::string grezzo_a = in_cartella(a, "grezzo_a.txt");
    DATI_ALLINEATI dati_c, dati_a;
    bool riuscito = allinea(a.testo_c, dati_c) && allinea(a.testo_a, dati_a);
    const auto grezzo = [&] {
        return scrivi_diretto(grezzo_a.c_str(), dati_a) && scrivi_diretto(grezzo_c.c_str(), dati_c);
    };
    riuscito = riuscito && grezzo();
    std::vector<double> t_salva, t_grezzo;
    for (int i = 0; i < RIPETIZIONI_SALVA; ++i) {
        sync();
        double inizio = adesso();
        riuscito = grezzo() && riuscito;
        t_grezzo.push_back(adesso() - inizio);
        sync();
        inizio = adesso();
        riuscito = in_dialogo("1\n\n", [] { return salva() == 0; }) && riuscito;
        t_salva.push_back(adesso() - inizio);
    }
    // What was loaded and saved again must be the very files written at first.
    riuscito = riuscito && leggi_tutto(a.file_c.c_str()) == a.testo_c &&
               leggi_tutto(a.file_a.c_str()) == a.testo_a;
    const double salva_s = mediana(t_salva), grezzo_s = mediana(t_grezzo);
    std::cout << "save:    dialogue " << cifra(salva_s, 3) << " s (slowest "
              << cifra(peggiore(t_salva), 3) << "), O_DIRECT write and fsync " << cifra(grezzo_s, 3)
              << " s\n";
    tabella.push_back(rapporto("save dialogue / O_DIRECT write+fsync", salva_s / grezzo_s,
                               MAX_SALVA, riuscito, cifra(salva_s, 3) + " s"));
    return salva_s;
}

// The yardsticks of the operations: the same operation on SQLite holding
// the same archive, and the flush every durable operation waits for.
struct METRO_OPERAZIONI {
    std::map<std::string, double> sqlite; // median seconds, by the operation's name
    double fdatasync = 0; // one right after another, as before each round of operations
};

// Each operation against its time limit, SQLite's time for it and, when
// `flussi` is not 0, that many fdatasyncs.
void righe_tempi(const std::vector<TEMPO_OPERAZIONE>& tempi, double massimo, double flussi,
                 const METRO_OPERAZIONI& metro, std::vector<RIGA_TABELLA>& tabella) {
    for (const TEMPO_OPERAZIONE& t : tempi) {
        const double tipico = mediana(t.durate);
        const auto sqlite = metro.sqlite.find(t.nome);
        const bool con_sqlite = sqlite != metro.sqlite.end();
        std::string valore = ms(tipico) + " (slowest " + ms(peggiore(t.durate)) + ")";
        std::string obiettivo = "< " + cifra(massimo * 1000.0, 0) + " ms";
        bool superata = t.riuscita && tipico < massimo;
        if (con_sqlite) {
            valore += ", " + cifra(tipico / sqlite->second, 2) + "x SQLite's " + ms(sqlite->second);
            obiettivo += ", <= SQLite";
            superata = superata && tipico <= sqlite->second;
        }
        if (flussi > 0 && metro.fdatasync > 0) {
            valore += ", " + cifra(tipico / metro.fdatasync, 1) + "x fdatasync";
            obiettivo += ", <= " + cifra(flussi, 0) + "x fdatasync";
            superata = superata && tipico <= flussi * metro.fdatasync;
        }
        tabella.push_back({t.nome, valore + (t.riuscita ? "" : " (failed)"), obiettivo, superata});
    }
}

void misura_dialoghi(const METRO_OPERAZIONI& metro, std::vector<RIGA_TABELLA>& tabella) {
    righe_tempi(misura_operazioni(RIPETIZIONI_OPERAZIONI), MAX_OPERAZIONE, MAX_FLUSSI, metro,
                tabella);
    righe_tempi(misura_ricerche(RIPETIZIONI_OPERAZIONI), MAX_RICERCA, 0, metro, tabella);
}

// SQLite filled from the archive loaded and timed, once, beside it.
std::map<std::string, double> misura_metro_sqlite(const ARCHIVIO& a) {
    const double inizio = adesso();
    std::map<std::string, double> m = misura_sqlite(a.cartella, RIPETIZIONI_OPERAZIONI);
    sync();
    std::cout << "sqlite:  " << (m.empty() ? "the database could not be made" : "filled and timed")
              << " in " << cifra(adesso() - inizio, 1) << " s\n";
    return m;
}

// The flush measured in the data folder right before a round of
// operations; and, for the record, the same flush after a pause, as a
// clerk's operation meets it after the typing.
double misura_metro_flusso(const ARCHIVIO& a) {
    const std::string dati = in_cartella(a, "dati");
    const double dopo_pausa = misura_fdatasync(dati, RIPETIZIONI_OPERAZIONI, PAUSA_FLUSSO);
    const double di_fila = misura_fdatasync(dati, 3 * RIPETIZIONI_OPERAZIONI);
    std::cout << "flush:   fdatasync of a 4 KB append " << ms(di_fila) << " one after another, "
              << ms(dopo_pausa) << " after " << cifra(PAUSA_FLUSSO * 1000.0, 0) << " ms of quiet\n";
    return di_fila;
}

void misura_ricircolo(std::vector<RIGA_TABELLA>& tabella) {
    const ESITO_RICIRCOLO r = ricircolo_in_processo_nuovo(MULTE_RICIRCOLO);
    const double rapporto_rss =
        r.rss_prima > 0 ? static_cast<double>(r.rss_seconda) / static_cast<double>(r.rss_prima) : 0;
    std::cout << "session: " << MULTE_RICIRCOLO << " fines with owners recorded "
              << mb(static_cast<double>(r.rss_prima)) << ", all deleted "
              << mb(static_cast<double>(r.rss_vuoto)) << ", recorded again "
              << mb(static_cast<double>(r.rss_seconda)) << " resident\n";
    tabella.push_back(rapporto("record, delete all, record again: memory", rapporto_rss,
                               MAX_RICIRCOLO, r.riuscito, mb(static_cast<double>(r.rss_seconda))));
}

void misura_recuperi(const ARCHIVIO& a, std::vector<RIGA_TABELLA>& tabella) {
    for (const std::size_t operazioni : {std::size_t{1000}, std::size_t{50000}}) {
        const TEMPO_RECUPERO t = misura_recupero(a.file_c, a.file_a, operazioni);
        const double r = t.carica > 0 ? t.recupero / t.carica : 0;
        std::cout << "recovery: " << operazioni << " operations " << cifra(t.recupero, 3)
                  << " s, a load " << cifra(t.carica, 3) << " s; the register's entries "
                  << t.voci_registro << ", " << mb(static_cast<double>(t.byte_registro)) << "\n";
        tabella.push_back(
            rapporto("recovery of " + std::to_string(operazioni) + " operations / a load", r,
                     MAX_RECUPERO, t.riuscito, cifra(t.recupero, 3) + " s"));
    }
}

// A thousand notices, the archive loaded for them, against esporta of
// the same archive: both a load, then a PDF page a notice or a CSV row a
// fine.
void misura_notifiche(const ARCHIVIO& a, std::vector<RIGA_TABELLA>& tabella) {
    const TEMPO_AVVISI t = misura_avvisi(a.cartella, a.file_c, a.file_a, AVVISI, RIPETIZIONI_AVVISI);
    const double r = t.esporta > 0 ? t.avvisi / t.esporta : 0;
    std::cout << "notices: " << t.quanti << " notices " << cifra(t.avvisi, 3) << " s ("
              << mb(static_cast<double>(t.byte_pdf)) << " of PDF), esporta "
              << cifra(t.esporta, 3) << " s\n";
    tabella.push_back(rapporto(std::to_string(t.quanti) + " payment notices / esporta", r,
                               MAX_AVVISI, t.riuscito, cifra(t.avvisi, 3) + " s"));
}

// Last: the archive's files are saved with the payments.
void misura_import(const ARCHIVIO& a, double carica, double salva,
                   std::vector<RIGA_TABELLA>& tabella) {
    const TEMPO_IMPORTAZIONE t =
        misura_importazione(a.cartella, a.file_c, a.file_a, PAGAMENTI_IMPORTATI);
    std::cout << "import:  " << t.pagamenti << " payments " << cifra(t.secondi, 3) << " s, a load "
              << cifra(carica, 3) << " s and a save " << cifra(salva, 3) << " s\n";
    tabella.push_back(rapporto(
        "import of " + std::to_string(t.pagamenti) + " payments / a load and a save",
        t.secondi / (carica + salva), MAX_IMPORTAZIONE, t.riuscito, cifra(t.secondi, 3) + " s"));
    const double file = static_cast<double>(a.testo_c.size() + a.testo_a.size());
    std::cout << "import:  peak memory " << mb(static_cast<double>(t.picco)) << ", the list "
              << mb(static_cast<double>(t.byte_elenco)) << ", the archive's files " << mb(file)
              << "\n";
    tabella.push_back(rapporto("peak memory of that import / the archive's files",
                               static_cast<double>(t.picco) / file, MAX_MEMORIA_IMPORTAZIONE,
                               t.riuscito, mb(static_cast<double>(t.picco))));
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 6 && std::strcmp(argv[1], ARGOMENTO_PAVIMENTO) == 0)
        return esegui_pavimento(argv[2], argv[3], std::strtoull(argv[4], nullptr, 10),
                                std::strtoull(argv[5], nullptr, 10));
    if (argc >= 3 && std::strcmp(argv[1], "--database") == 0)
        return esegui_database(argv[2], numero_argomento(argc, argv, 3, 1'000'000));
    if (argc == 3 && std::strcmp(argv[1], ARGOMENTO_SONDA) == 0)
        return esegui_sonda(static_cast<std::size_t>(std::strtoull(argv[2], nullptr, 10)));

    if (!avvia_lanciatore()) {
        std::cout << "no process could be started\n";
        return 2;
    }
    ARCHIVIO a;
    a.multe = numero_argomento(argc, argv, 1, 1'000'000);
    a.proprietari = numero_argomento(argc, argv, 2, a.multe / 2);
    const char* tmpdir = std::getenv("TMPDIR");
    const char* base = argc > 3 ? argv[3] : (tmpdir != nullptr && *tmpdir ? tmpdir : "/tmp");
    std::cout << "Sanzionario benchmark: " << a.multe << " fines, " << a.proprietari
              << " owners\nmachine: " << descrivi_macchina() << "\n";

    const double inizio = adesso();
    const bool creato = crea_archivio(base, a);
    std::cout << "folder:  " << a.cartella << " (" << file_system_di(base) << ")\n";
    if (!creato) {
        std::cout << "the archive could not be generated and written\n";
        togli_archivio(a);
        return 2;
    }
    std::cout << "files:   fines " << mb(static_cast<double>(a.testo_c.size())) << ", owners "
              << mb(static_cast<double>(a.testo_a.size())) << ", generated and written in "
              << cifra(adesso() - inizio, 2) << " s\n";

    std::vector<RIGA_TABELLA> tabella;
    const double carica = misura_caricamento(a, tabella);
    double salva = 0;
    METRO_OPERAZIONI metro;
    // The save and the operations with the register off, then on, as the
    // program runs.
    for (const bool con_registro : {false, true}) {
        registro_escludi(!con_registro);
        if (!prepara_archivio_operazioni(a.file_c.c_str(), a.file_a.c_str())) {
            std::cout << "the archive could not be loaded\n";
            togli_archivio(a);
            return 2;
        }
        if (!con_registro) metro.sqlite = misura_metro_sqlite(a);
        metro.fdatasync = misura_metro_flusso(a);
        const std::size_t prime = tabella.size();
        const std::string registro = in_cartella(a, "dati/contravvenzioni.txt.registro");
        const std::size_t byte_prima = leggi_righe(registro.c_str()).size();
        salva = misura_salvataggio(a, tabella); // the last: with the register
        misura_dialoghi(metro, tabella);
        const std::string scritto = leggi_righe(registro.c_str()).substr(byte_prima);
        const auto voci = std::count(scritto.begin(), scritto.end(), '\n');
        if (con_registro && voci > 0)
            std::cout << "register: " << voci << " entries of the save and the operations, "
                      << scritto.size() << " bytes, "
                      << scritto.size() / static_cast<std::size_t>(voci) << " bytes an entry\n";
        for (std::size_t i = prime; i < tabella.size(); ++i)
            tabella[i].misura += con_registro ? " [register on]" : " [register off]";
        chiudi_archivio(); // its journal goes, as at a normal end
        libera_liste();
    }
    misura_ricircolo(tabella);
    misura_recuperi(a, tabella);
    misura_notifiche(a, tabella);
    misura_import(a, carica, salva, tabella);

    std::cout << "\n";
    stampa_tabella(std::cout, tabella);
    std::cout << "(medians: loads " << RIPETIZIONI_CARICA << " runs, saves " << RIPETIZIONI_SALVA
              << ", operations " << RIPETIZIONI_OPERAZIONI
              << "; each measure taken in turns with its yardstick)\n";
    togli_archivio(a);
    const bool tutte = std::all_of(tabella.begin(), tabella.end(),
                                   [](const RIGA_TABELLA& r) { return r.superata; });
    return tutte ? 0 : 1;
}
