// sanzionario avvisi: the payment notices of the unpaid fines asked for,
// one A4 page each, in one PDF ready to print and post. It reads the
// archive under its lock and changes nothing.
#include <charconv>
#include <iostream>
#include <string>
#include <unistd.h>
#include <unordered_map>
#include <vector>

#include "commands/command_support.h"
#include "commands/commands.h"
#include "commands/pdf_output.h"
#include "report/period.h"
#include "model/lists.h"
#include "model/walk.h"
#include "notices/notice_page.h"
#include "notices/settings.h"

namespace {

constexpr const char* COMANDO = "avvisi";

const std::string AIUTO =
    std::string("Uso: sanzionario avvisi [OPZIONI] -o FILE.pdf\n"
    "Scrive gli avvisi di pagamento delle contravvenzioni non pagate che hanno i\n"
    "dati anagrafici del proprietario, una pagina A4 ciascuno, pronti da stampare\n"
    "e spedire in busta a finestra: l'importo ridotto e quello intero, ciascuno con\n"
    "il suo codice avviso pagoPA e il suo codice QR.\n\n") +
    AIUTO_ARCHIVIO +
    std::string(
    "  -o, --uscita FILE.pdf       il file da scrivere (- per l'uscita standard)\n"
    "      --contravvenzione N     solo la contravvenzione N (anche piu' volte)\n"
    "      --dal gg/mm/aaaa        solo i verbali da quel giorno\n"
    "      --al gg/mm/aaaa         solo i verbali fino a quel giorno\n"
    "      --ufficio FILE          le impostazioni dell'ufficio (predefinito:\n"
    "                              $XDG_CONFIG_HOME/sanzionario/ufficio.conf,\n"
    "                              poi /etc/sanzionario/ufficio.conf)\n"
    "  -h, --help                  mostra questo aiuto ed esce\n\n"
    "Senza --contravvenzione, tutte le contravvenzioni (del periodo, con --dal e\n"
    "--al). Quelle chieste per cui non si fa l'avviso sono elencate con il motivo.\n"
    "Stato di uscita: 0 avvisi scritti, 1 nessun avviso o errore, 2 uso errato.\n");

enum : int { CONTRAVVENZIONE = 1000, DAL, AL, UFFICIO_OPZ };

struct RICHIESTA {
    FILE_ARCHIVIO file;
    std::string uscita;
    std::string ufficio;
    std::vector<uint32_t> numeri;
    PERIODO periodo;
    std::string sbaglio; // a value refused
};

// Why fine `f` gets no notice, or "" when it does.
std::string senza_avviso(const NODO_CONTRAVV& f, const PERIODO& p) {
    const std::string n = "la contravvenzione n." + std::to_string(f.numero);
    if (f.pagata) return n + " e' gia' pagata (" + data_in_testo(f.data_pagamento) + ")";
    if (!f.con_anagraf) return n + " non ha i dati anagrafici del proprietario";
    if (!nel_periodo(p, f.data_verbale))
        return n + " ha il verbale del " + data_in_testo(f.data_verbale) + ", fuori dal periodo";
    return "";
}

// The fines that get a notice, in the order asked (list order when all
// are asked); the others asked for told on standard error. Paid fines
// are not told when no number was asked: they simply owe nothing.
std::vector<const NODO_CONTRAVV*> scelte(const RICHIESTA& r) {
    std::vector<const NODO_CONTRAVV*> scelte;
    const auto scarta = [](const std::string& motivo) {
        std::cerr << "sanzionario avvisi: " << motivo << ".\n";
    };
    if (r.numeri.empty()) {
        for (const NODO_CONTRAVV* f = lista_contravv; f != nullptr; f = seguente(f)) {
            if (f->pagata || !nel_periodo(r.periodo, f->data_verbale)) continue;
            const std::string motivo = senza_avviso(*f, r.periodo);
            if (motivo.empty()) scelte.push_back(f);
            else scarta(motivo);
        }
        return scelte;
    }
    std::unordered_map<uint32_t, const NODO_CONTRAVV*> indice;
    for (const uint32_t n : r.numeri) indice.emplace(n, nullptr);
    for (const NODO_CONTRAVV* f = lista_contravv; f != nullptr; f = seguente(f))
        if (const auto it = indice.find(f->numero); it != indice.end() && it->second == nullptr)
            it->second = f;
    std::unordered_map<uint32_t, bool> fatte;
    for (const uint32_t n : r.numeri) {
        if (!fatte.emplace(n, true).second) continue;
        const NODO_CONTRAVV* f = indice[n];
        const std::string motivo = f == nullptr ? "la contravvenzione n." + std::to_string(n) +
                                                      " non esiste"
                                                : senza_avviso(*f, r.periodo);
        if (motivo.empty()) scelte.push_back(f);
        else scarta(motivo);
    }
    return scelte;
}

std::optional<int> leggi_richiesta(int argc, char** argv, RICHIESTA& r) {
    const auto opzione = [&](int o, const char* valore) {
        if (o == 'o') r.uscita = valore;
        if (o == UFFICIO_OPZ) r.ufficio = valore;
        if (o == DAL || o == AL) leggi_estremo_periodo(valore, o == DAL, r.periodo, r.sbaglio);
        if (o == CONTRAVVENZIONE) {
            const std::string_view t = valore;
            uint32_t n = 0;
            const auto [fine, errore] = std::from_chars(t.data(), t.data() + t.size(), n);
            if (t.empty() || errore != std::errc{} || fine != t.data() + t.size()) {
                if (r.sbaglio.empty()) r.sbaglio = "numero di contravvenzione non valido: " + std::string(t);
            } else {
                r.numeri.push_back(n);
            }
        }
    };
    if (const auto fine = leggi_opzioni_comando(
            COMANDO, AIUTO.c_str(), argc, argv, r.file,
            {{"uscita", required_argument, nullptr, 'o'},
             {"contravvenzione", required_argument, nullptr, CONTRAVVENZIONE},
             {"dal", required_argument, nullptr, DAL},
             {"al", required_argument, nullptr, AL},
             {"ufficio", required_argument, nullptr, UFFICIO_OPZ}},
            "o:", opzione))
        return *fine;
    if (r.sbaglio.empty()) r.sbaglio = errore_periodo(r.periodo);
    if (!r.sbaglio.empty()) return errore_uso(COMANDO, r.sbaglio);
    if (optind < argc) return errore_uso(COMANDO, std::string("argomento in piu': ") + argv[optind]);
    if (r.uscita.empty()) return errore_uso(COMANDO, "manca il file da scrivere (-o FILE.pdf)");
    return std::nullopt;
}

} // namespace

int comando_avvisi(int argc, char** argv) {
    RICHIESTA r;
    if (const auto fine = leggi_richiesta(argc, argv, r)) return *fine;
    const IMPOSTAZIONI_LETTE impostazioni = leggi_impostazioni(percorso_impostazioni(r.ufficio));
    if (!impostazioni.lette) {
        std::cerr << "sanzionario avvisi: " << impostazioni.errore << ".\n";
        return USCITA_FALLITO;
    }
    APERTURA letto;
    if (!leggi_archivio_da_riportare(COMANDO, r.file, letto)) return USCITA_FALLITO;
    const std::vector<const NODO_CONTRAVV*> multe = scelte(r);
    if (multe.empty()) {
        std::cerr << "sanzionario avvisi: nessun avviso da scrivere: " << r.uscita
                  << " non e' stato creato.\n";
        return USCITA_FALLITO;
    }
    USCITA u;
    u.comando = COMANDO;
    u.percorso = r.uscita;
    if (!apri_uscita(u, r.file)) return USCITA_FALLITO;
    const UFFICIO& ufficio = impostazioni.ufficio;
    const bool fatto = scrivi_pdf_uscita(u, "Avvisi di pagamento - " + ufficio.nome,
                                         [&](DOCUMENTO_PDF& d) {
                                             for (const NODO_CONTRAVV* f : multe)
                                                 if (!pagina_avviso(d, ufficio, *f)) return false;
                                             return true;
                                         });
    if (!fatto) return USCITA_FALLITO;
    if (u.fd != STDOUT_FILENO)
        std::cout << "Avvisi scritti in " << r.uscita << ": " << multe.size() << "\n";
    return USCITA_FATTO;
}
