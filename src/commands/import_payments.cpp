// sanzionario importa-pagamenti: the payments of a list from the bank or
// the payment platform, checked row by row against the archive; those that
// pass are recorded as one operation and the archive saved as the save
// dialogue saves it.
#include <cmath>
#include <csv.h>
#include <fstream>
#include <iostream>
#include <malloc.h>
#include <sstream>
#include <unistd.h>
#include <unordered_map>
#include <vector>

#include "commands/command_support.h"
#include "commands/commands.h"
#include "commands/csv_format.h"
#include "model/changes.h"
#include "model/lists.h"
#include "notices/payment_match.h"
#include "register/register.h"
#include "session/archive.h"
#include "session/dialogs.h"
#include "storage/file_ops.h"

namespace {

constexpr const char* COMANDO = "importa-pagamenti";

constexpr const char* AIUTO =
    "Uso: sanzionario importa-pagamenti [OPZIONI] FILE.csv\n"
    "Registra i pagamenti elencati nel FILE: per ogni riga il numero della\n"
    "contravvenzione, la data del pagamento e l'importo pagato. Le colonne sono\n"
    "riconosciute dall'intestazione (Numero, Data pagamento, Importo), il\n"
    "separatore (virgola o punto e virgola) pure; date gg/mm/aaaa o aaaa-mm-gg,\n"
    "importi con il punto o la virgola decimale.\n"
    "Ogni riga deve indicare una contravvenzione esistente, non ancora pagata e\n"
    "con i dati anagrafici, una data valida non precedente a quella del verbale\n"
    "e l'importo esatto della contravvenzione. Con le impostazioni dell'ufficio, una\n"
    "riga puo' indicare la contravvenzione con il codice avviso pagoPA (nella\n"
    "colonna Codice avviso o nel testo della causale): l'importo deve essere\n"
    "quello del codice, ridotto o intero. Le righe valide sono registrate\n"
    "insieme e l'archivio e' salvato; le altre sono elencate con il motivo.\n\n"
    "  -c, --contravvenzioni FILE  il file delle contravvenzioni\n"
    "                              (predefinito: dati/contravvenzioni.txt)\n"
    "  -a, --anagrafica FILE       il file dei dati anagrafici\n"
    "                              (predefinito: dati/anagrafica.txt)\n"
    "      --prova                 mostra l'esito senza registrare nulla\n"
    "      --ufficio FILE          le impostazioni dell'ufficio, per i codici avviso\n"
    "                              (predefinito: $XDG_CONFIG_HOME/sanzionario/ufficio.conf,\n"
    "                              poi /etc/sanzionario/ufficio.conf, se ci sono)\n"
    "  -h, --help                  mostra questo aiuto ed esce\n\n"
    "Stato di uscita: 0 tutte le righe registrate, 1 qualche riga scartata o\n"
    "l'archivio non salvato, 2 uso errato.\n";

// The CSV file read whole, one vector of fields per row.
struct LETTURA_CSV {
    std::vector<std::vector<std::string>> righe;
    std::vector<std::string> riga;
};

void campo_letto(void* testo, std::size_t n, void* dati) {
    static_cast<LETTURA_CSV*>(dati)->riga.emplace_back(static_cast<const char*>(testo), n);
}

void riga_letta(int, void* dati) {
    auto* l = static_cast<LETTURA_CSV*>(dati);
    l->righe.push_back(std::move(l->riga));
    l->riga.clear();
}

// The separator of the header line: a semicolon when it has one, a
// comma otherwise (a tab when it has neither).
char separatore(std::string_view testo) {
    const std::string_view intestazione = testo.substr(0, testo.find('\n'));
    if (intestazione.find(';') != std::string_view::npos) return ';';
    if (intestazione.find(',') == std::string_view::npos &&
        intestazione.find('\t') != std::string_view::npos)
        return '\t';
    return ',';
}

bool leggi_csv(std::string_view testo, LETTURA_CSV& l) {
    if (testo.substr(0, BOM_UTF8.size()) == BOM_UTF8) testo.remove_prefix(BOM_UTF8.size());
    csv_parser p;
    if (csv_init(&p, 0) != 0) return false;
    csv_set_delim(&p, static_cast<unsigned char>(separatore(testo)));
    const bool letto =
        csv_parse(&p, testo.data(), testo.size(), campo_letto, riga_letta, &l) == testo.size() &&
        csv_fini(&p, campo_letto, riga_letta, &l) == 0;
    csv_free(&p);
    return letto;
}

// A header name in a plain form: lower case, blanks for '_' and '-', no
// blanks around or doubled.
std::string nome_colonna(std::string_view t) {
    std::string n;
    for (char c : t) {
        if (c == '_' || c == '-') c = ' ';
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c == ' ' && (n.empty() || n.back() == ' ')) continue;
        n += c;
    }
    while (!n.empty() && n.back() == ' ') n.pop_back();
    return n;
}

struct COLONNE {
    int numero = -1, data = -1, importo = -1, avviso = -1;
};

COLONNE colonne(const std::vector<std::string>& intestazione) {
    COLONNE c;
    for (std::size_t i = 0; i < intestazione.size(); ++i) {
        const std::string n = nome_colonna(intestazione[i]);
        const int k = static_cast<int>(i);
        if (n == "numero" || n == "n" || n == "n." || n == "contravvenzione" ||
            n == "numero contravvenzione" || n == "numero verbale")
            c.numero = c.numero < 0 ? k : c.numero;
        if (n == "data pagamento" || n == "data del pagamento" || n == "data")
            c.data = c.data < 0 ? k : c.data;
        if (n == "importo" || n == "importo pagato" || n == "pagato")
            c.importo = c.importo < 0 ? k : c.importo;
        if (n == "codice avviso" || n == "numero avviso" || n == "avviso")
            c.avviso = c.avviso < 0 ? k : c.avviso;
    }
    return c;
}

std::string data_testo(DATA d) {
    return data_csv(d, CSV_FOGLIO_ITALIANO);
}

std::string euro(int64_t centesimi) {
    return importo_csv(static_cast<double>(centesimi) / 100.0, CSV_FOGLIO_ITALIANO);
}

// A field quoted in a message: printable ASCII only (a list from outside
// must not send the terminal control sequences), at most 40 characters.
std::string citato(std::string_view testo) {
    std::string t;
    for (const char c : testo.substr(0, 40)) t += c >= 0x20 && c < 0x7F ? c : '?';
    if (testo.size() > 40) t += "...";
    return "\"" + t + "\"";
}

struct PAGAMENTO {
    NODO_CONTRAVV* multa;
    DATA data;
};

// The office's settings, when there are any: the rows may then name their
// fine by its notice code.
std::optional<UFFICIO> ufficio;

// Why a row cannot be recorded, or "" when it can, its payment then in `p`.
// `numero` is the fine number the row names, when it names one, found
// through the door's index as the dialogues find it; `gia_nel_file`, the row where
// each fine was paid earlier in the list.
std::string motivo_scarto(const std::vector<std::string>& campi, const COLONNE& c,
                          std::optional<uint32_t> numero, const AVVISO_RIGA& avviso,
                          const std::unordered_map<const NODO_CONTRAVV*, std::size_t>& gia_nel_file,
                          PAGAMENTO& p) {
    const auto campo = [&](int colonna) -> const std::string& {
        return campi[static_cast<std::size_t>(colonna)];
    };
    if (!avviso.errore.empty()) return avviso.errore + ": " + citato(campo(c.avviso));
    if (!numero && c.numero < 0) return "nessun codice avviso nella riga";
    if (!numero) return "numero della contravvenzione non valido: " + citato(campo(c.numero));
    if (avviso.avviso && c.numero >= 0 && avviso.avviso->avviso.numero != *numero &&
        leggi_numero_csv(campo(c.numero)))
        return "il codice avviso " + avviso.avviso->codice + " e' della contravvenzione n." +
               std::to_string(avviso.avviso->avviso.numero) + ", non della n." +
               campo(c.numero);
    const std::string n = "la contravvenzione n." + std::to_string(*numero);
    NODO_CONTRAVV* f = trova_numero(lista_contravv, *numero);
    if (f == nullptr) return n + " non esiste";
    if (const auto prima = gia_nel_file.find(f); prima != gia_nel_file.end())
        return n + " compare gia' alla riga " + std::to_string(prima->second);
    if (f->pagata) return n + " e' gia' pagata (" + data_testo(f->data_pagamento) + ")";
    if (!f->con_anagraf) return n + " non ha i dati anagrafici del proprietario";
    const std::optional<DATA> data = leggi_data_csv(campo(c.data));
    if (!data) return "data del pagamento non valida: " + citato(campo(c.data));
    if (ordine_data(*data, f->data_verbale) == 0)
        return "la data del pagamento (" + data_testo(*data) + ") precede quella del verbale (" +
               data_testo(f->data_verbale) + ")";
    const std::optional<int64_t> importo = leggi_centesimi_csv(campo(c.importo));
    if (!importo) return "importo non valido: " + citato(campo(c.importo));
    if (avviso.avviso) {
        if (std::string motivo = motivo_importo_avviso(*ufficio, *f, *avviso.avviso, *importo);
            !motivo.empty())
            return motivo;
        p = {f, *data};
        return "";
    }
    const int64_t dovuto = std::llround(f->importo * 100.0);
    if (*importo != dovuto)
        return "importo " + euro(*importo) + " diverso da quello della contravvenzione n." +
               std::to_string(f->numero) + " (" + euro(dovuto) + ")";
    p = {f, *data};
    return "";
}

// Checks each row; the payments that pass go to `validi`, the others are
// told on `scarti`, and so are the payments by notice code, with their
// code and amount (`per_codice` too). The number of rows checked.
std::size_t controlla_righe(const LETTURA_CSV& l, const COLONNE& c, std::vector<PAGAMENTO>& validi,
                            std::ostream& scarti, std::string& per_codice) {
    const std::size_t bisogno =
        static_cast<std::size_t>(std::max({c.numero, c.data, c.importo, c.avviso})) + 1;
    // The number each row names, by its notice code or its number column.
    std::vector<std::optional<uint32_t>> numeri(l.righe.size());
    std::vector<AVVISO_RIGA> avvisi(l.righe.size());
    for (std::size_t r = 1; r < l.righe.size(); ++r) {
        if (l.righe[r].size() < bisogno) continue;
        if (ufficio) avvisi[r] = avviso_della_riga(ufficio->regola, l.righe[r], c.avviso);
        if (avvisi[r].avviso) {
            numeri[r] = avvisi[r].avviso->avviso.numero;
        } else if (c.numero >= 0) {
            numeri[r] = leggi_numero_csv(l.righe[r][static_cast<std::size_t>(c.numero)]);
        }
    }
    std::unordered_map<const NODO_CONTRAVV*, std::size_t> gia_nel_file;
    for (std::size_t r = 1; r < l.righe.size(); ++r) {
        const std::size_t riga = r + 1;
        PAGAMENTO p{};
        const std::string motivo =
            l.righe[r].size() < bisogno
                ? "mancano dei campi"
                : motivo_scarto(l.righe[r], c, numeri[r], avvisi[r], gia_nel_file, p);
        if (!motivo.empty()) {
            scarti << "riga " << riga << ": " << motivo << "\n";
            continue;
        }
        if (const auto& a = avvisi[r].avviso) {
            const std::string nota = nota_pagamento_avviso(
                *ufficio, p.multa->numero, *a,
                importo_dovuto(p.multa->importo, a->avviso.tipo, ufficio->riduzione_centesimi_percento));
            scarti << "riga " << riga << ": " << nota << "\n";
            per_codice += "; " + nota;
        }
        gia_nel_file.emplace(p.multa, riga);
        validi.push_back(p);
    }
    return l.righe.size() - 1;
}

// The archive refuses a command that would rewrite records it misreads.
bool mai(const char*, bool, const FORMA_FILE&) {
    return false;
}

// Opens the archive for the import: as its holder for the import itself,
// as a reader for a trial (--prova), which takes the same decisions and
// says the same things, changing nothing. False, after telling why on
// standard error, when it is held, cannot be read, holds records the
// reader misreads, or holds the unsaved changes of a session that did not
// end (to be recovered in the program first).
bool apri_per_importare(const FILE_ARCHIVIO& file, bool prova) {
    APERTURA a;
    if (!apri_archivio_comando(COMANDO, file,
                               prova ? MODO_APERTURA::LETTORE : MODO_APERTURA::COMANDO, mai, a))
        return false;
    const std::string prima = std::string("sanzionario ") + COMANDO + ": ";
    if (a.titolare.pid != 0) {
        std::cerr << prima << testo_archivio_in_uso(a.titolare);
    } else if (giornale_da_sistemare(COMANDO, a)) {
    } else if (concludi_apertura(a, false).caricato) {
        if (!prova && registro_previsto() && !registro_attivo(registro_sessione()))
            std::cerr << prima << "attenzione, il registro delle modifiche "
                      << registro_in_uso(registro_sessione())
                      << " non puo' essere scritto: i pagamenti non vi saranno annotati.\n";
        return true;
    } else {
        std::cerr << prima << "impossibile leggere l'archivio (" << file.contravvenzioni << ", "
                  << file.anagrafica << ").\n";
        return false;
    }
    abbandona_apertura(a);
    return false;
}

// The payments recorded as one operation, and the archive saved.
bool registra_e_salva(const FILE_ARCHIVIO& file, const std::string& elenco,
                      const std::vector<PAGAMENTO>& validi, const std::string& per_codice) {
    registro_descrivi_prossima(registro_sessione(),
                               "Importazione di " + std::to_string(validi.size()) +
                                   (validi.size() == 1 ? " pagamento" : " pagamenti") +
                                   " dal file " + percorso_assoluto(elenco) + per_codice);
    apri_operazione();
    for (const PAGAMENTO& p : validi) registra_pagamento(p.multa, p.data);
    chiudi_operazione();
    ESITO_SALVATAGGIO esito;
    if (salva_archivio(file.contravvenzioni, file.anagrafica, esito)) {
        chiudi_archivio();
        return true;
    }
    std::cerr << "sanzionario importa-pagamenti: l'archivio non e' stato salvato: i file sono "
                 "quelli di prima.\nI pagamenti restano nel giornale di recupero: caricare "
                 "l'archivio nel programma per recuperarli.\n";
    return false;
}

// The office's settings, for the notice codes: those named by --ufficio,
// else those in the usual places when there are any. False, after telling
// why on standard error, when settings there are cannot be read, or the
// list has a code column and there are none.
bool leggi_ufficio(const std::string& indicato, const COLONNE& c) {
    const std::string percorso = percorso_impostazioni(indicato);
    if (indicato.empty() && access(percorso.c_str(), F_OK) != 0 && c.avviso < 0) return true;
    IMPOSTAZIONI_LETTE lette = leggi_impostazioni(percorso);
    if (!lette.lette) {
        std::cerr << "sanzionario importa-pagamenti: " << lette.errore << ".\n";
        return false;
    }
    ufficio = std::move(lette.ufficio);
    return true;
}

} // namespace

int comando_importa_pagamenti(int argc, char** argv) {
    FILE_ARCHIVIO file;
    bool prova = false;
    std::string impostazioni;
    const auto opzione = [&](int o, const char* valore) {
        prova = prova || o == 'p';
        if (o == 'u') impostazioni = valore;
    };
    if (const auto fine = leggi_opzioni_comando(COMANDO, AIUTO, argc, argv, file,
                                                {{"prova", no_argument, nullptr, 'p'},
                                                 {"ufficio", required_argument, nullptr, 'u'}},
                                                "", opzione))
        return *fine;
    if (optind == argc) return errore_uso(COMANDO, "manca il file dei pagamenti");
    if (optind + 1 < argc)
        return errore_uso(COMANDO, std::string("argomento in piu': ") + argv[optind + 1]);
    const std::string elenco = argv[optind];

    std::ifstream in(elenco, std::ios::binary);
    std::stringstream contenuto;
    contenuto << in.rdbuf();
    LETTURA_CSV csv;
    if (!in || !leggi_csv(contenuto.str(), csv) || csv.righe.empty()) {
        std::cerr << "sanzionario importa-pagamenti: impossibile leggere " << elenco
                  << " come file CSV.\n";
        return USCITA_FALLITO;
    }
    const COLONNE c = colonne(csv.righe.front());
    if (!leggi_ufficio(impostazioni, c)) return USCITA_FALLITO;
    if ((c.numero < 0 && !ufficio) || c.data < 0 || c.importo < 0) {
        std::cerr << "sanzionario importa-pagamenti: l'intestazione di " << elenco
                  << " deve nominare le colonne Numero, Data pagamento e Importo.\n";
        return USCITA_FALLITO;
    }
    // The operation's journal and register entries for a long list are
    // built from many small values and a few strings of tens of megabytes:
    // memory freed stays with the process for the next, rather than going
    // back to the system and being faulted in and cleared again.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    if (!apri_per_importare(file, prova)) return USCITA_FALLITO;
    std::vector<PAGAMENTO> validi;
    std::ostringstream scarti;
    std::string per_codice;
    const std::size_t righe = controlla_righe(csv, c, validi, scarti, per_codice);
    std::cout << "Righe lette: " << righe << "\nPagamenti "
              << (prova ? "da registrare" : "registrati") << ": " << validi.size()
              << "\nRighe scartate: " << righe - validi.size() << "\n"
              << scarti.str();
    bool salvato = true;
    if (prova) {
        std::cout << "Prova: nessuna modifica all'archivio.\n";
    } else if (!validi.empty()) {
        salvato = registra_e_salva(file, elenco, validi, per_codice);
        if (salvato) std::cout << "Archivio salvato.\n";
    } else {
        chiudi_archivio();
    }
    return salvato && validi.size() == righe ? USCITA_FATTO : USCITA_FALLITO;
}
