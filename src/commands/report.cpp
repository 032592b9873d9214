// sanzionario rapporto: a period's fines for the head of office, by month
// of the ticket, in all and for the most frequent kinds of infringement and
// places, as PDF with tables and charts or as CSV. It reads the archive
// under its lock and changes nothing.
#include <cstdio>
#include <iostream>
#include <string>

#include "commands/command_support.h"
#include "commands/commands.h"
#include "commands/csv_format.h"
#include "commands/pdf_output.h"
#include "model/lists.h"
#include "report/report_pdf.h"
#include "report/summary.h"

namespace {

constexpr const char* COMANDO = "rapporto";

const std::string AIUTO =
    std::string("Uso: sanzionario rapporto [OPZIONI]\n"
    "Riassume le contravvenzioni del periodo (per data del verbale): per mese, in\n"
    "tutto e per le dieci infrazioni e i dieci luoghi piu' frequenti, le multe\n"
    "emesse e pagate e gli importi emessi, riscossi e da riscuotere, in tabelle e\n"
    "grafici a barre (PDF) o in tabella (CSV). Senza date, l'intero archivio.\n\n") +
    AIUTO_ARCHIVIO +
    std::string(
    "      --dal gg/mm/aaaa        dai verbali di quel giorno\n"
    "      --al gg/mm/aaaa         fino ai verbali di quel giorno\n"
    "      --formato pdf|csv       PDF (predefinito) o CSV\n"
    "  -o, --uscita FILE           il file da scrivere (- per l'uscita standard);\n"
    "                              necessario per il PDF\n"
    "      --foglio-italiano       CSV per i fogli di calcolo italiani: punto e\n"
    "                              virgola, virgola decimale, UTF-8 con BOM\n"
    "  -h, --help                  mostra questo aiuto ed esce\n\n"
    "Stato di uscita: 0 scritto, 1 non riuscito, 2 uso errato.\n");

enum : int { DAL = 1000, AL, FORMATO, FOGLIO };

struct RICHIESTA {
    FILE_ARCHIVIO file;
    PERIODO periodo;
    std::string uscita;
    bool csv = false;
    DIALETTO_CSV dialetto = CSV_STANDARD;
    std::string sbaglio;
};

std::string data_testo(DATA d) {
    return data_csv(d, CSV_FOGLIO_ITALIANO);
}

std::string titolo_periodo(const PERIODO& p) {
    if (p.dal && p.al) return "Verbali dal " + data_testo(*p.dal) + " al " + data_testo(*p.al);
    if (p.dal) return "Verbali dal " + data_testo(*p.dal);
    if (p.al) return "Verbali fino al " + data_testo(*p.al);
    return "Tutti i verbali dell'archivio";
}

void scrivi_csv(USCITA& u, const RAPPORTO& r, const DIALETTO_CSV& d) {
    std::string riga;
    const auto aggiungi = [&](const char* sezione, const RIGA_RAPPORTO& v) {
        aggiungi_campo(riga, sezione, d);
        aggiungi_campo(riga, v.voce, d);
        aggiungi_campo(riga, std::to_string(v.emesse), d);
        aggiungi_campo(riga, std::to_string(v.pagate), d);
        for (const int64_t c : {v.emesso, v.riscosso, v.da_riscuotere()})
            aggiungi_campo(riga, importo_csv(static_cast<double>(c) / 100.0, d), d);
        u.blocco += riga;
        u.blocco += "\r\n";
        riga.clear();
        forse_scrivi(u);
    };
    if (d.bom) u.blocco += BOM_UTF8;
    for (const char* c : {"Sezione", "Voce", "Multe emesse", "Multe pagate", "Importo emesso",
                          "Importo riscosso", "Importo da riscuotere"})
        aggiungi_campo(riga, c, d);
    u.blocco += riga + "\r\n";
    riga.clear();
    aggiungi("Totale", r.totale);
    for (const RIGA_RAPPORTO& m : r.mesi) aggiungi("Mese", m);
    for (const RIGA_RAPPORTO& i : r.infrazioni) aggiungi("Infrazione", i);
    for (const RIGA_RAPPORTO& l : r.luoghi) aggiungi("Luogo", l);
}

std::optional<int> leggi_richiesta(int argc, char** argv, RICHIESTA& r) {
    bool foglio = false;
    const auto opzione = [&](int o, const char* valore) {
        if (o == 'o') r.uscita = valore;
        if (o == FOGLIO) foglio = true;
        if (o == DAL || o == AL) leggi_estremo_periodo(valore, o == DAL, r.periodo, r.sbaglio);
        if (o == FORMATO) {
            const std::string f = valore;
            if (f == "csv" || f == "pdf") r.csv = f == "csv";
            else if (r.sbaglio.empty()) r.sbaglio = "formato sconosciuto: " + f + " (pdf o csv)";
        }
    };
    if (const auto fine = leggi_opzioni_comando(COMANDO, AIUTO.c_str(), argc, argv, r.file,
                                                {{"uscita", required_argument, nullptr, 'o'},
                                                 {"dal", required_argument, nullptr, DAL},
                                                 {"al", required_argument, nullptr, AL},
                                                 {"formato", required_argument, nullptr, FORMATO},
                                                 {"foglio-italiano", no_argument, nullptr, FOGLIO}},
                                                "o:", opzione))
        return *fine;
    if (r.sbaglio.empty()) r.sbaglio = errore_periodo(r.periodo);
    if (!r.sbaglio.empty()) return errore_uso(COMANDO, r.sbaglio);
    if (optind < argc) return errore_uso(COMANDO, std::string("argomento in piu': ") + argv[optind]);
    if (!r.csv && r.uscita.empty()) return errore_uso(COMANDO, "manca il file da scrivere (-o FILE.pdf)");
    if (!r.csv && foglio) return errore_uso(COMANDO, "--foglio-italiano vale solo con --formato csv");
    if (foglio) r.dialetto = CSV_FOGLIO_ITALIANO;
    return std::nullopt;
}

} // namespace

int comando_rapporto(int argc, char** argv) {
    RICHIESTA r;
    if (const auto fine = leggi_richiesta(argc, argv, r)) return *fine;
    APERTURA letto;
    if (!leggi_archivio_da_riportare(COMANDO, r.file, letto)) return USCITA_FALLITO;
    const RAPPORTO rapporto = componi_rapporto(lista_contravv, r.periodo);
    USCITA u;
    u.comando = COMANDO;
    u.percorso = r.uscita;
    if (!apri_uscita(u, r.file)) return USCITA_FALLITO;
    if (r.csv) {
        scrivi_csv(u, rapporto, r.dialetto);
        return chiudi_uscita(u) ? USCITA_FATTO : USCITA_FALLITO;
    }
    const bool fatto = scrivi_pdf_uscita(u, "Rapporto delle contravvenzioni - " + titolo_periodo(r.periodo),
                                         [&](DOCUMENTO_PDF& d) {
                                             disegna_rapporto(d, rapporto, titolo_periodo(r.periodo));
                                             return true;
                                         });
    return fatto ? USCITA_FATTO : USCITA_FALLITO;
}
