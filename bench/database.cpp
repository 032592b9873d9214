// The database archive measured beside the files, in one run.
#include "database.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "archive.h"
#include "console/console.h"
#include "database/archive_tables.h"
#include "database/connection.h"
#include "database/schema.h"
#include "measures.h"
#include "model/changes.h"
#include "model/lists.h"
#include "operations.h"
#include "report.h"
#include "session/archive.h"
#include "session/database_archive.h"
#include "storage/archive_files.h"

namespace {

constexpr int RIPETIZIONI_CARICA = 5;
constexpr int RIPETIZIONI_OPERAZIONI = 7;
constexpr int PROGRAMMI = 8;
constexpr int OPERAZIONI = 500; // each: half new fines, half edits
constexpr double MAX_CARICA = 3.0;      // the load from the database / from the files
constexpr double MAX_IN_PIU = 0.010;    // seconds an operation may take beyond the same on files

std::string ms(double secondi) {
    return cifra(secondi * 1000.0, 1) + " ms";
}

void libera(LISTE_LETTE& l) {
    libera_lista(l.contravv);
    libera_lista(l.anagraf);
    l = LISTE_LETTE{};
}

// The generated archive in the two files and in the empty database.
bool scrivi_archivio_e_database(const std::string& indirizzo, const std::string& file_c,
                                const std::string& file_a, std::string& errore) {
    if (!scrivi_archivio(file_c.c_str(), file_a.c_str())) {
        errore = "the files could not be written";
        return false;
    }
    DATABASE db;
    int trovata = 0;
    if (collega(indirizzo, db) != ESITO_COLLEGAMENTO::COLLEGATO || !esegui(db, "BEGIN") ||
        prepara_schema(db, trovata) != ESITO_SCHEMA::PRONTO) {
        errore = db.errore;
        return false;
    }
    if (trovata != 0) {
        errore = "the database already holds an archive: an empty one is needed";
        return false;
    }
    if (!scrivi_tabelle(db, lista_contravv, lista_anagraf) || !esegui(db, "COMMIT")) {
        errore = db.errore;
        return false;
    }
    return true;
}

// One program of the eight: the archive loaded from the database, then
// its operations, each committed as a clerk's: a new fine, then an edit
// of a fine of its own share (no two programs edit the same one). Its exit
// status: 0 when every operation was done.
int programma(const std::string& indirizzo, int k) {
    std::istringstream in;
    std::ostringstream out;
    usa_flussi(in, out);
    APERTURA a = apri_archivio(nomi_database(indirizzo), MODO_APERTURA::TITOLARE, nullptr);
    if (a.esito != 0 || !concludi_apertura(a, false).caricato) return 2;
    for (int i = 0; i < OPERAZIONI / 2; ++i) {
        bool esauriti = false;
        const std::optional<uint32_t> n = numero_per_nuovo(true, esauriti);
        NODO_CONTRAVV* f = n ? nuovo_contravv() : nullptr;
        if (f == nullptr) return 3;
        f->numero = *n;
        f->data_verbale = {1, 12, 2026};
        copia_campo(f->luogo, "Via Roma");
        copia_campo(f->targa, "AA000AA");
        copia_campo(f->tipo, "Sosta vietata");
        f->importo = 41;
        accoda_bozza(f, ultima_contravv());
        apri_operazione();
        conferma_bozza(f);
        chiudi_operazione();
        if (operazione_rifiutata()) return 4;
        NODO_CONTRAVV* g = trova_numero(lista_contravv, static_cast<unsigned long>(i * PROGRAMMI + k + 1));
        if (g == nullptr) return 5;
        NODO_CONTRAVV nuovi = *g;
        nuovi.importo = 1000 + k;
        modifica_dati(g, nuovi);
        if (operazione_rifiutata()) return 6;
    }
    chiudi_archivio();
    return 0;
}

// The eight programs at once; true when each did all its operations.
bool otto_programmi(const std::string& indirizzo, double& secondi) {
    std::cout.flush();
    const double inizio = adesso();
    std::vector<pid_t> figli;
    for (int k = 0; k < PROGRAMMI; ++k) {
        const pid_t p = fork();
        if (p == 0) _exit(programma(indirizzo, k));
        if (p > 0) figli.push_back(p);
    }
    bool tutti = figli.size() == PROGRAMMI;
    for (const pid_t p : figli) {
        int stato = 0;
        tutti = waitpid(p, &stato, 0) == p && WIFEXITED(stato) && WEXITSTATUS(stato) == 0 && tutti;
    }
    secondi = adesso() - inizio;
    return tutti;
}

// What the database holds after them: every new fine, numbered without a
// gap or a repeat after the archive's last, and every edit.
std::string controlla_operazioni(DATABASE& db, std::size_t multe) {
    const std::string n = std::to_string(multe);
    const std::optional<std::string> nuove = valore(
        db, "SELECT count(*) || ' ' || count(DISTINCT numero) || ' ' || min(numero) || ' ' || "
            "max(numero) FROM sanzionario.contravvenzioni WHERE numero > " + n);
    const int attese = PROGRAMMI * OPERAZIONI / 2;
    const std::string previste = std::to_string(attese) + " " + std::to_string(attese) + " " +
                                 std::to_string(multe + 1) + " " + std::to_string(multe + attese);
    if (nuove != previste) return "new fines " + nuove.value_or("?") + ", expected " + previste;
    const std::optional<std::string> modificate =
        valore(db, "SELECT count(*) FROM sanzionario.contravvenzioni WHERE numero <= " +
                       std::to_string(attese) + " AND importo = 1000 + (numero - 1) % " +
                       std::to_string(PROGRAMMI));
    if (modificate != std::to_string(attese))
        return "edits kept " + modificate.value_or("?") + " of " + std::to_string(attese);
    return "";
}

// The database's archive, and the files' one with the log replayed over
// it in order, both as a save writes them: equal, byte for byte.
std::string confronta_con_il_registro(const std::string& indirizzo, const std::string& file_c,
                                      const std::string& file_a, const std::string& cartella) {
    DATABASE db;
    LISTE_LETTE l;
    int64_t visto = 0;
    std::string errore;
    if (leggi_database(indirizzo, db, l, visto, errore) != 0) return errore;
    installa_lette(l);
    const std::string db_c = cartella + "/db-c", db_a = cartella + "/db-a";
    const std::string ri_c = cartella + "/ri-c", ri_a = cartella + "/ri-a";
    if (!scrivi_archivio(db_c.c_str(), db_a.c_str())) return "the database's archive not written";
    libera_liste();
    std::vector<OPERAZIONE_REGISTRATA> ops;
    if (!operazioni_dopo(db, 0, ops)) return db.errore;
    if (leggi_archivio(file_c.c_str(), file_a.c_str(), nullptr, l) != 0) return "files unread";
    installa_lette(l);
    SESSIONE_DATABASE serie;
    const bool riapplicato = riapplica_altrui(serie, ops);
    const bool scritto = riapplicato && scrivi_archivio(ri_c.c_str(), ri_a.c_str());
    libera_liste();
    if (!scritto) return "the log could not be replayed over the files";
    const bool uguali = leggi_tutto(db_c.c_str()) == leggi_tutto(ri_c.c_str()) &&
                        leggi_tutto(db_a.c_str()) == leggi_tutto(ri_a.c_str());
    for (const std::string& f : {db_c, db_a, ri_c, ri_a}) unlink(f.c_str());
    return uguali ? "" : "the database's archive differs from the log replayed over the files";
}

// The everyday operations on the archive opened by `apri`.
std::vector<TEMPO_OPERAZIONE> operazioni_su(const std::function<bool()>& apri) {
    if (!apri()) return {};
    std::vector<TEMPO_OPERAZIONE> t = misura_operazioni(RIPETIZIONI_OPERAZIONI);
    chiudi_archivio();
    libera_liste();
    return t;
}

} // namespace

int esegui_database(const std::string& indirizzo, std::size_t multe) {
    char modello[] = "/tmp/sanzionario-bench-db.XXXXXX";
    if (mkdtemp(modello) == nullptr) return 2;
    const std::string cartella = modello;
    const std::string file_c = cartella + "/contravvenzioni.txt";
    const std::string file_a = cartella + "/anagrafica.txt";
    std::cout << "Sanzionario benchmark, database archive: " << multe << " fines, " << multe / 2
              << " owners\n";
    std::string errore;
    if (!genera_archivio(multe, multe / 2) ||
        !scrivi_archivio_e_database(indirizzo, file_c, file_a, errore)) {
        std::cout << "the archive could not be made: " << errore << "\n";
        return 2;
    }
    libera_liste();
    std::vector<RIGA_TABELLA> tabella;

    // The load, in turns with the files' load.
    std::vector<double> t_file, t_db;
    bool letti = true;
    for (int i = 0; i < RIPETIZIONI_CARICA; ++i) {
        LISTE_LETTE l;
        double inizio = adesso();
        letti = leggi_archivio(file_c.c_str(), file_a.c_str(), nullptr, l) == 0 && letti;
        t_file.push_back(adesso() - inizio);
        libera(l);
        DATABASE db;
        int64_t visto = 0;
        inizio = adesso();
        letti = leggi_database(indirizzo, db, l, visto, errore) == 0 && letti;
        t_db.push_back(adesso() - inizio);
        libera(l);
    }
    const double carica = mediana(t_db) / mediana(t_file);
    std::cout << "load:    database " << cifra(mediana(t_db), 3) << " s, files "
              << cifra(mediana(t_file), 3) << " s\n";
    tabella.push_back({"load from the database / from the files",
                       cifra(carica, 2) + "x (" + cifra(mediana(t_db), 3) + " s)",
                       "<= " + cifra(MAX_CARICA, 1) + "x", letti && carica <= MAX_CARICA});

    // Eight programs at once, then what they left.
    double secondi = 0;
    const bool fatti = otto_programmi(indirizzo, secondi);
    DATABASE db;
    collega(indirizzo, db);
    const std::string perse = controlla_operazioni(db, multe);
    const std::string serie = confronta_con_il_registro(indirizzo, file_c, file_a, cartella);
    std::cout << "eight:   " << PROGRAMMI << " programs x " << OPERAZIONI << " operations in "
              << cifra(secondi, 2) << " s" << (perse.empty() ? "" : "; " + perse)
              << (serie.empty() ? "" : "; " + serie) << "\n";
    tabella.push_back({std::to_string(PROGRAMMI) + " programs x " + std::to_string(OPERAZIONI) +
                           " operations at once",
                       cifra(secondi, 2) + " s, " +
                           cifra(PROGRAMMI * OPERAZIONI / secondi, 0) + " operations/s",
                       "all done, none lost, no number twice, = the log replayed",
                       fatti && perse.empty() && serie.empty()});

    // Each operation on the database beside the same on the files (with
    // the journal and the register, as the program runs).
    const std::vector<TEMPO_OPERAZIONE> su_file = operazioni_su([&] {
        return prepara_archivio_operazioni(file_c.c_str(), file_a.c_str());
    });
    const std::vector<TEMPO_OPERAZIONE> su_db = operazioni_su([&] {
        APERTURA a = apri_archivio(nomi_database(indirizzo), MODO_APERTURA::TITOLARE, nullptr);
        return a.esito == 0 && concludi_apertura(a, false).caricato;
    });
    for (std::size_t i = 0; i < su_db.size() && i < su_file.size(); ++i) {
        const double d = mediana(su_db[i].durate), f = mediana(su_file[i].durate);
        tabella.push_back({su_db[i].nome + " [database]",
                           ms(d) + " (files " + ms(f) + ", " + ms(d - f) + " more)",
                           "<= files + " + ms(MAX_IN_PIU),
                           su_db[i].riuscita && su_file[i].riuscita && d - f <= MAX_IN_PIU});
    }
    if (su_db.empty() || su_file.empty())
        tabella.push_back({"everyday operations", "could not be run", "", false});

    std::cout << "\n";
    stampa_tabella(std::cout, tabella);
    for (const std::string& f : {file_c, file_a}) unlink(f.c_str());
    std::error_code ignorato;
    std::filesystem::remove_all(cartella, ignorato);
    bool tutte = true;
    for (const RIGA_TABELLA& r : tabella) tutte = tutte && r.superata;
    return tutte ? 0 : 1;
}
