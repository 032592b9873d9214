// sanzionario esporta: the archive as CSV, one row per fine joined with
// its owner's data, or the owners alone, for a spreadsheet or another
// program. It reads the archive under its lock and changes nothing.
#include <iostream>
#include <string>
#include <unistd.h>

#include "commands/command_support.h"
#include "commands/commands.h"
#include "commands/csv_format.h"
#include "commands/export_cells.h"
#include "commands/xlsx_export.h"
#include "model/lists.h"

namespace {

constexpr const char* COMANDO = "esporta";

const std::string AIUTO =
    std::string("Uso: sanzionario esporta [OPZIONI]\n"
    "Scrive l'archivio in formato CSV, o come foglio di calcolo xlsx: una riga per\n"
    "contravvenzione, con i dati del proprietario (vuoti per una contravvenzione\n"
    "senza dati anagrafici).\n\n") +
    AIUTO_ARCHIVIO +
    std::string(
    "  -o, --uscita FILE           scrive nel FILE invece che sull'uscita standard\n"
    "      --formato csv|xlsx      csv (predefinito) o foglio di calcolo xlsx\n"
    "                              (celle con il loro tipo; richiede -o)\n"
    "      --anagrafica-sola       solo i dati anagrafici, uno per riga\n"
    "      --foglio-italiano       CSV per i fogli di calcolo italiani: punto e virgola,\n"
    "                              date gg/mm/aaaa, virgola decimale, UTF-8 con BOM\n"
    "      --formule-grezze        nel CSV, i testi che iniziano con = + - @ senza\n"
    "                              l'apostrofo che li protegge (per i programmi)\n"
    "  -h, --help                  mostra questo aiuto ed esce\n\n"
    "Senza --foglio-italiano: virgola, date aaaa-mm-gg, punto decimale, UTF-8.\n"
    "Nel CSV un testo che un foglio di calcolo leggerebbe come formula (che inizia\n"
    "con = + - @, una tabulazione o un ritorno a capo) ha un apostrofo davanti.\n"
    "Il FILE e' scritto accanto e poi messo al suo posto, leggibile dal solo\n"
    "proprietario; mai un file dell'archivio, un collegamento simbolico, una FIFO,\n"
    "un dispositivo o una cartella.\n"
    "Stato di uscita: 0 esportato, 1 non riuscito, 2 uso errato.\n");

// A cell of the CSV in the dialect's form.
void aggiungi_cella(std::string& riga, const CELLA& c, const DIALETTO_CSV& d) {
    switch (c.tipo) {
    case TIPO_CELLA::VUOTA: aggiungi_campo(riga, "", d); break;
    case TIPO_CELLA::TESTO: aggiungi_testo(riga, c.testo, d); break;
    case TIPO_CELLA::INTERO:
        aggiungi_campo(riga, std::to_string(static_cast<unsigned long long>(c.numero)), d);
        break;
    case TIPO_CELLA::IMPORTO: aggiungi_campo(riga, importo_csv(c.numero, d), d); break;
    case TIPO_CELLA::DATA: aggiungi_campo(riga, data_csv(c.data, d), d); break;
    }
}

void scrivi_csv(USCITA& u, bool solo_persone, const DIALETTO_CSV& d) {
    std::string riga;
    const auto fine_riga = [&] {
        u.blocco += riga;
        u.blocco += "\r\n";
        riga.clear();
        forse_scrivi(u);
    };
    if (d.bom) u.blocco += BOM_UTF8;
    for (const char* c : intestazione_esportazione(solo_persone)) aggiungi_campo(riga, c, d);
    fine_riga();
    righe_esportazione(solo_persone, [&](const std::vector<CELLA>& celle) {
        for (const CELLA& c : celle) aggiungi_cella(riga, c, d);
        fine_riga();
    });
}

// The rows a worksheet holds, its header's among them.
constexpr std::size_t RIGHE_XLSX = 1048576;

} // namespace

int comando_esporta(int argc, char** argv) {
    FILE_ARCHIVIO file;
    std::string uscita;
    bool solo_persone = false;
    DIALETTO_CSV dialetto = CSV_STANDARD;
    bool formule_grezze = false;
    std::string formato = "csv";
    const auto opzione = [&](int o, const char* valore) {
        if (o == 'o') uscita = valore;
        if (o == 's') solo_persone = true;
        if (o == 'i') dialetto = CSV_FOGLIO_ITALIANO;
        if (o == 'g') formule_grezze = true;
        if (o == 'f') formato = valore;
    };
    if (const auto fine = leggi_opzioni_comando(COMANDO, AIUTO.c_str(), argc, argv, file,
                                                {{"uscita", required_argument, nullptr, 'o'},
                                                 {"anagrafica-sola", no_argument, nullptr, 's'},
                                                 {"foglio-italiano", no_argument, nullptr, 'i'},
                                                 {"formule-grezze", no_argument, nullptr, 'g'},
                                                 {"formato", required_argument, nullptr, 'f'}},
                                                "o:", opzione))
        return *fine;
    if (optind < argc) return errore_uso(COMANDO, std::string("argomento in piu': ") + argv[optind]);
    dialetto.formule_grezze = formule_grezze;
    const bool xlsx = formato == "xlsx";
    if (!xlsx && formato != "csv")
        return errore_uso(COMANDO, "formato sconosciuto: " + formato + " (csv o xlsx)");
    if (xlsx && (uscita.empty() || uscita == "-"))
        return errore_uso(COMANDO, "il formato xlsx si scrive in un file: -o FILE.xlsx");

    APERTURA r;
    if (!leggi_archivio_da_riportare(COMANDO, file, r)) return USCITA_FALLITO;
    USCITA u;
    u.comando = COMANDO;
    u.percorso = uscita;
    if (xlsx) {
        std::size_t righe = 0;
        if (solo_persone)
            for (const NODO_ANAGRAF* p = lista_anagraf; p != nullptr; p = p->next) ++righe;
        else
            for (const NODO_CONTRAVV* f = lista_contravv; f != nullptr; f = f->next) ++righe;
        if (righe + 1 > RIGHE_XLSX) {
            std::cerr << "sanzionario esporta: " << righe << " righe non stanno in un foglio xlsx "
                      << "(al massimo " << RIGHE_XLSX - 1 << "): esportare in CSV.\n";
            return USCITA_FALLITO;
        }
    }
    if (!apri_uscita(u, file)) return USCITA_FALLITO;
    if (!xlsx) {
        scrivi_csv(u, solo_persone, dialetto);
        return chiudi_uscita(u) ? USCITA_FATTO : USCITA_FALLITO;
    }
    // The library opens the file by name: the temporary one, through the
    // descriptor already open on it, so that no other file can take its place.
    const std::string per_descrittore = "/proc/self/fd/" + std::to_string(u.fd);
    std::string errore;
    if (!scrivi_xlsx(access(per_descrittore.c_str(), W_OK) == 0 ? per_descrittore : u.temporaneo,
                     solo_persone, errore)) {
        std::cerr << "sanzionario esporta: impossibile scrivere " << u.percorso << ": " << errore
                  << ".\n";
        abbandona_uscita(u);
        return USCITA_FALLITO;
    }
    return chiudi_uscita(u) ? USCITA_FATTO : USCITA_FALLITO;
}
