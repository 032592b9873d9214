// sanzionario esporta: the archive as CSV, one row per fine joined with
// its owner's data, or the owners alone, for a spreadsheet or another
// program. It reads the archive under its lock and changes nothing.
#include <iostream>
#include <string>

#include "commands/command_support.h"
#include "commands/commands.h"
#include "commands/csv_format.h"
#include "model/lists.h"

namespace {

constexpr const char* COMANDO = "esporta";

constexpr const char* AIUTO =
    "Uso: sanzionario esporta [OPZIONI]\n"
    "Scrive l'archivio in formato CSV: una riga per contravvenzione, con i dati\n"
    "del proprietario (vuoti per una contravvenzione senza dati anagrafici).\n\n"
    "  -c, --contravvenzioni FILE  il file delle contravvenzioni\n"
    "                              (predefinito: dati/contravvenzioni.txt)\n"
    "  -a, --anagrafica FILE       il file dei dati anagrafici\n"
    "                              (predefinito: dati/anagrafica.txt)\n"
    "  -o, --uscita FILE           scrive nel FILE invece che sull'uscita standard\n"
    "      --anagrafica-sola       solo i dati anagrafici, uno per riga\n"
    "      --foglio-italiano       per i fogli di calcolo italiani: punto e virgola,\n"
    "                              date gg/mm/aaaa, virgola decimale, UTF-8 con BOM\n"
    "  -h, --help                  mostra questo aiuto ed esce\n\n"
    "Senza --foglio-italiano: virgola, date aaaa-mm-gg, punto decimale, UTF-8.\n"
    "Stato di uscita: 0 esportato, 1 non riuscito, 2 uso errato.\n";

const char* const COLONNE_MULTA[] = {"Numero",     "Data verbale", "Luogo",  "Targa",
                                     "Infrazione", "Importo",      "Pagata", "Data pagamento"};
const char* const COLONNE_PERSONA[] = {"Codice proprietario", "Cognome", "Nome", "Data di nascita",
                                       "Indirizzo",           "Città",   "CAP",  "Provincia",
                                       "Codice fiscale",      "Patente"};
constexpr std::size_t N_PERSONA = std::size(COLONNE_PERSONA);

void campi_persona(std::string& riga, const NODO_ANAGRAF* p, const DIALETTO_CSV& d) {
    if (p == nullptr) {
        for (std::size_t i = 0; i < N_PERSONA; ++i) aggiungi_campo(riga, "", d);
        return;
    }
    aggiungi_campo(riga, std::to_string(p->codice), d);
    for (const char* testo : {p->cognome, p->nome}) aggiungi_campo(riga, in_utf8(testo), d);
    aggiungi_campo(riga, data_csv(p->data_nascita, d), d);
    for (const char* testo :
         {p->indirizzo, p->citta, p->cap, p->provincia, p->codice_fiscale, p->patente})
        aggiungi_campo(riga, in_utf8(testo), d);
}

void campi_multa(std::string& riga, const NODO_CONTRAVV* f, const DIALETTO_CSV& d) {
    aggiungi_campo(riga, std::to_string(f->numero), d);
    aggiungi_campo(riga, data_csv(f->data_verbale, d), d);
    for (const char* testo : {f->luogo, f->targa, f->tipo}) aggiungi_campo(riga, in_utf8(testo), d);
    aggiungi_campo(riga, importo_csv(f->importo, d), d);
    aggiungi_campo(riga, f->pagata ? "sì" : "no", d);
    aggiungi_campo(riga, f->pagata ? data_csv(f->data_pagamento, d) : "", d);
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
    if (!solo_persone)
        for (const char* c : COLONNE_MULTA) aggiungi_campo(riga, c, d);
    for (const char* c : COLONNE_PERSONA) aggiungi_campo(riga, c, d);
    fine_riga();
    if (solo_persone) {
        for (const NODO_ANAGRAF* p = lista_anagraf; p != nullptr; p = p->next) {
            campi_persona(riga, p, d);
            fine_riga();
        }
        return;
    }
    for (const NODO_CONTRAVV* f = lista_contravv; f != nullptr; f = f->next) {
        campi_multa(riga, f, d);
        campi_persona(riga, f->con_anagraf ? f->anagraf : nullptr, d);
        fine_riga();
    }
}

} // namespace

int comando_esporta(int argc, char** argv) {
    FILE_ARCHIVIO file;
    std::string uscita;
    bool solo_persone = false;
    DIALETTO_CSV dialetto = CSV_STANDARD;
    const auto opzione = [&](int o, const char* valore) {
        if (o == 'o') uscita = valore;
        if (o == 's') solo_persone = true;
        if (o == 'i') dialetto = CSV_FOGLIO_ITALIANO;
    };
    if (const auto fine = leggi_opzioni_comando(COMANDO, AIUTO, argc, argv, file,
                                                {{"uscita", required_argument, nullptr, 'o'},
                                                 {"anagrafica-sola", no_argument, nullptr, 's'},
                                                 {"foglio-italiano", no_argument, nullptr, 'i'}},
                                                "o:", opzione))
        return *fine;
    if (optind < argc)
        return errore_uso(COMANDO, std::string("argomento in piu': ") + argv[optind]);

    APERTURA r;
    if (!leggi_archivio_da_riportare(COMANDO, file, r)) return USCITA_FALLITO;
    USCITA u;
    u.comando = COMANDO;
    u.percorso = uscita;
    if (!apri_uscita(u, file)) return USCITA_FALLITO;
    scrivi_csv(u, solo_persone, dialetto);
    return chiudi_uscita(u) ? USCITA_FATTO : USCITA_FALLITO;
}
