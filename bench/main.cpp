// sanzionario_bench [FINES [OWNERS [FOLDER]]]: builds an archive of a large
// city's office (1,000,000 fines and 500,000 owners unless told otherwise)
// in a temporary folder, measures loading, saving, memory and the everyday
// operations against their targets, and prints a table. Exit status 0 when
// every target is met, 1 when one is missed, 2 when nothing could be measured.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "archive.h"
#include "machine.h"
#include "measures.h"
#include "model/lists.h"
#include "model/records.h"
#include "operations.h"
#include "probe.h"
#include "report.h"
#include "storage/load.h"
#include "storage/save.h"

namespace {

constexpr int RIPETIZIONI = 3;            // runs of each file measure; the best counts
constexpr int RIPETIZIONI_OPERAZIONI = 5; // runs of each operation; the slowest counts
constexpr double MAX_CARICA = 8.0;        // load time / line count time
constexpr double MAX_SALVA = 4.0;         // save time / one write and fsync per file
constexpr double MAX_MEMORIA = 1.2;       // peak growth / bytes of the records
constexpr double MAX_OPERAZIONE = 0.050;  // seconds

struct ARCHIVIO {
    std::size_t multe;
    std::size_t proprietari;
    std::string cartella;
    std::string file_c;
    std::string file_a;
    std::string testo_c; // the two files as written, for the baselines
    std::string testo_a;
};

std::string mb(double byte) {
    return cifra(byte / 1e6, 1) + " MB";
}

std::size_t numero_argomento(int argc, char** argv, int i, std::size_t predefinito) {
    if (argc <= i) return predefinito;
    return static_cast<std::size_t>(std::strtoull(argv[i], nullptr, 10));
}

std::string in_cartella(const ARCHIVIO& a, const char* nome) {
    return a.cartella + "/" + nome;
}

// A new folder under `base`, and the archive generated and written there
// by the program's own writer; the lists are emptied again.
bool crea_archivio(const char* base, ARCHIVIO& a) {
    std::string modello = std::string(base) + "/sanz-bench-XXXXXX";
    if (mkdtemp(modello.data()) == nullptr) return false;
    a.cartella = modello;
    a.file_c = in_cartella(a, "contravvenzioni.txt");
    a.file_a = in_cartella(a, "anagrafica.txt");
    const bool scritto = genera_archivio(a.multe, a.proprietari) &&
                         scrivi_archivio(a.file_c.c_str(), a.file_a.c_str()) == 0;
    libera_liste();
    a.testo_c = leggi_tutto(a.file_c.c_str());
    a.testo_a = leggi_tutto(a.file_a.c_str());
    return scritto;
}

void togli_archivio(const ARCHIVIO& a) {
    unlink(a.file_c.c_str());
    unlink(a.file_a.c_str());
    rmdir(a.cartella.c_str());
}

RIGA_TABELLA rapporto(const char* misura, double valore, double massimo, bool riuscito) {
    return {misura, cifra(valore, 2) + "x" + (riuscito ? "" : " (failed)"),
            "<= " + cifra(massimo, 1) + "x", riuscito && valore <= massimo};
}

// Loading both files, each time in a fresh process, against counting their lines.
void misura_caricamento(const ARCHIVIO& a, std::vector<RIGA_TABELLA>& tabella) {
    std::size_t righe = 0;
    const double t_righe = migliore_di(RIPETIZIONI, [&] {
        righe = conta_righe(a.file_c.c_str()) + conta_righe(a.file_a.c_str());
    });
    bool riuscito = righe == 8 * (a.multe + a.proprietari);
    double t_carica = 0.0;
    long long crescita = 0;
    for (int i = 0; i < RIPETIZIONI; ++i) {
        const ESITO_SONDA s = carica_in_processo_nuovo(a.file_c.c_str(), a.file_a.c_str());
        riuscito = riuscito && s.riuscita && s.multe == a.multe && s.proprietari == a.proprietari;
        if (i == 0 || s.secondi < t_carica) t_carica = s.secondi;
        crescita = std::max(crescita, s.picco - s.rss_prima);
    }
    const double byte_record =
        static_cast<double>(sizeof(NODO_CONTRAVV) * a.multe + sizeof(NODO_ANAGRAF) * a.proprietari);
    std::cout << "load:    " << cifra(t_carica, 3) << " s in a fresh process; counting " << righe
              << " lines " << cifra(t_righe, 3) << " s\n";
    std::cout << "memory:  peak growth " << mb(static_cast<double>(crescita)) << " for "
              << mb(byte_record) << " of records (" << sizeof(NODO_CONTRAVV) << " B a fine, "
              << sizeof(NODO_ANAGRAF) << " B an owner)\n";
    tabella.push_back(
        rapporto("load both files / count their lines", t_carica / t_righe, MAX_CARICA, riuscito));
    tabella.push_back(rapporto("peak memory of a load / record bytes",
                               static_cast<double>(crescita) / byte_record, MAX_MEMORIA, riuscito));
}

// Saving the loaded lists against one write and one fsync per file, in
// turns. Both replace files that exist already, and each timed run starts
// with nothing left to flush from the one before.
void misura_salvataggio(const ARCHIVIO& a, std::vector<RIGA_TABELLA>& tabella) {
    const std::string grezzo_c = in_cartella(a, "grezzo_c.txt");
    const std::string grezzo_a = in_cartella(a, "grezzo_a.txt");
    const auto grezzo = [&] {
        return scrivi_e_sincronizza(grezzo_a.c_str(), a.testo_a) &&
               scrivi_e_sincronizza(grezzo_c.c_str(), a.testo_c);
    };
    bool riuscito = grezzo();
    double t_salva = 0.0, t_grezzo = 0.0;
    for (int i = 0; i < RIPETIZIONI; ++i) {
        sync();
        double inizio = adesso();
        riuscito = grezzo() && riuscito;
        const double t1 = adesso() - inizio;
        sync();
        inizio = adesso();
        riuscito = scrivi_archivio(a.file_c.c_str(), a.file_a.c_str()) == 0 && riuscito;
        const double t2 = adesso() - inizio;
        if (i == 0 || t1 < t_grezzo) t_grezzo = t1;
        if (i == 0 || t2 < t_salva) t_salva = t2;
    }
    unlink(grezzo_a.c_str());
    unlink(grezzo_c.c_str());
    // What was loaded and saved again must be the very files written at first.
    riuscito = riuscito && leggi_tutto(a.file_c.c_str()) == a.testo_c &&
               leggi_tutto(a.file_a.c_str()) == a.testo_a;
    std::cout << "save:    " << cifra(t_salva, 3) << " s; one write and fsync per file "
              << cifra(t_grezzo, 3) << " s\n";
    tabella.push_back(rapporto("save both files / one write+fsync each", t_salva / t_grezzo,
                               MAX_SALVA, riuscito));
}

void misura_dialoghi(std::vector<RIGA_TABELLA>& tabella) {
    for (const TEMPO_OPERAZIONE& t : misura_operazioni(RIPETIZIONI_OPERAZIONI)) {
        const double lento = peggiore(t.durate);
        tabella.push_back({t.nome,
                           cifra(mediana(t.durate) * 1000.0, 1) + " / " + cifra(lento * 1000.0, 1) +
                               " ms" + (t.riuscita ? "" : " (failed)"),
                           "< " + cifra(MAX_OPERAZIONE * 1000.0, 0) + " ms",
                           t.riuscita && lento < MAX_OPERAZIONE});
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], ARGOMENTO_SONDA) == 0)
        return esegui_sonda(argv[2], argv[3]);

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
    misura_caricamento(a, tabella);
    // The archive loaded here, as the clerk has it, for saving and the dialogues.
    if (carica_archivio(a.file_c.c_str(), a.file_a.c_str()) != 0) {
        std::cout << "the archive could not be loaded\n";
        togli_archivio(a);
        return 2;
    }
    misura_salvataggio(a, tabella);
    misura_dialoghi(tabella);

    std::cout << "\n";
    stampa_tabella(std::cout, tabella);
    std::cout << "(file measures: best of " << RIPETIZIONI << " runs each; operations: median / "
              << "slowest of " << RIPETIZIONI_OPERAZIONI << " runs, the slowest is judged)\n";
    libera_liste();
    togli_archivio(a);
    const bool tutte = std::all_of(tabella.begin(), tabella.end(),
                                   [](const RIGA_TABELLA& r) { return r.superata; });
    return tutte ? 0 : 1;
}
