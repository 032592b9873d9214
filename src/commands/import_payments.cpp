// sanzionario importa-pagamenti: the payments of a list from the bank or
// the payment platform, checked row by row against the archive; those that
// pass are recorded as one operation and the archive saved as the save
// dialogue saves it (a database archive commits the operation, and has
// nothing to save).
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <malloc.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

#include "commands/command_support.h"
#include "commands/commands.h"
#include "commands/csv_format.h"
#include "commands/payment_list.h"
#include "model/changes.h"
#include "model/lists.h"
#include "notices/amounts.h"
#include "notices/payment_match.h"
#include "notices/settings.h"
#include "register/register.h"
#include "session/archive.h"
#include "session/dialogs.h"
#include "storage/file_ops.h"

namespace {

constexpr const char* COMANDO = "importa-pagamenti";

const std::string AIUTO =
    std::string("Uso: sanzionario importa-pagamenti [OPZIONI] FILE.csv\n"
    "Registra i pagamenti elencati nel FILE (- per l'ingresso standard): per ogni\n"
    "riga la contravvenzione, la data del pagamento e l'importo pagato. Le colonne\n"
    "sono riconosciute dall'intestazione, con i nomi delle banche (Numero, Numero\n"
    "verbale; Data pagamento, Data valuta, Data operazione; Importo, Importo\n"
    "accreditato, Avere; Causale, Descrizione); il separatore (virgola, punto e\n"
    "virgola o tabulazione) pure. Senza una colonna del numero, il numero della\n"
    "contravvenzione e' cercato nella causale (\"Verbale n. 123 targa AB123CD\").\n"
    "Date gg/mm/aaaa o aaaa-mm-gg; importi come 42, 42,50, 1.173,00, 1,173.00,\n"
    "con il simbolo dell'euro prima o dopo.\n"
    "Ogni riga deve indicare una contravvenzione esistente, non ancora pagata e\n"
    "con i dati anagrafici, una data valida non precedente a quella del verbale\n"
    "e l'importo esatto della contravvenzione. Con le impostazioni dell'ufficio,\n"
    "una riga puo' indicare la contravvenzione con il codice avviso pagoPA (nella\n"
    "colonna Codice avviso o nel testo della causale): l'importo deve essere\n"
    "quello del codice, ridotto o intero. Le righe valide sono registrate\n"
    "insieme e l'archivio e' salvato; ogni riga e' elencata, con il numero della\n"
    "sua linea nel file, registrata o con il motivo dello scarto.\n"
    "In un archivio nel database i pagamenti sono registrati in una sola\n"
    "transazione, senza file da salvare; se nel frattempo un altro impiegato ha\n"
    "cambiato una di quelle contravvenzioni, o il database rifiuta l'operazione o\n"
    "non risponde, nessuno e' registrato.\n\n") +
    AIUTO_ARCHIVIO +
    std::string(
    "      --colonne numero=NOME,data=NOME,importo=NOME,causale=NOME\n"
    "                              i nomi delle colonne, quando sono altri\n"
    "      --prova                 mostra l'esito senza registrare nulla\n"
    "      --ufficio FILE          le impostazioni dell'ufficio, per i codici avviso\n"
    "                              (predefinito: $XDG_CONFIG_HOME/sanzionario/ufficio.conf,\n"
    "                              poi /etc/sanzionario/ufficio.conf, se ci sono)\n"
    "  -h, --help                  mostra questo aiuto ed esce\n\n"
    "Stato di uscita: 0 tutte le righe registrate (o da registrare, con --prova);\n"
    "1 qualche riga scartata, l'elenco illeggibile o rifiutato (non un file\n"
    "regolare, una riga troppo lunga, memoria insufficiente), l'archivio in uso,\n"
    "illeggibile o non salvato, i pagamenti rifiutati dal database; 2 uso errato.\n");

// One row of the list as read, kept small: a list of many payments is
// held as these, never as its text.
struct RIGA_ELENCO {
    uint32_t linea = 0;        // of the file, where the row starts
    uint32_t numeri = 0;       // the one number named, or where its numbers start in NUMERI
    uint32_t testi = 0;        // where its quoted fields start in TESTI
    uint32_t data = 0;         // aaaammgg, when read
    int64_t centesimi = 0;     // when read
    uint16_t quanti = 0;       // numbers named (by its number column, or in its reason)
    uint8_t segni = 0;         // what was read and what is quoted, see below
};
constexpr uint8_t MANCANO_CAMPI = 1, NUMERO_CITATO = 2, DATA_LETTA = 4, DATA_CITATA = 8,
                  IMPORTO_LETTO = 16, IMPORTO_CITATO = 32, CAUSALE_CITATA = 64;

// The office's settings, when there are any: the rows may then name their
// fine by its notice code.
std::optional<UFFICIO> ufficio;

struct ELENCO {
    COLONNE_ELENCO c;
    // The rows that name a notice code, or hold something else where the
    // code column is, by their place in `righe`.
    std::unordered_map<uint32_t, AVVISO_RIGA> avvisi;
    std::vector<RIGA_ELENCO> righe;
    std::vector<uint32_t> numeri; // of the rows naming more than one
    std::vector<std::string> testi; // fields quoted for messages, in the rows' order
};

uint32_t in_data(DATA d) {
    return static_cast<uint32_t>(d.aaaa * 10000 + d.mm * 100 + d.gg);
}
DATA da_data(uint32_t d) {
    DATA r{};
    r.gg = static_cast<decltype(r.gg)>(d % 100);
    r.mm = static_cast<decltype(r.mm)>(d / 100 % 100);
    r.aaaa = static_cast<decltype(r.aaaa)>(d / 10000);
    return r;
}

// A row's fields read into its small form.
void leggi_riga(ELENCO& e, std::vector<std::string>& campi, std::size_t linea) {
    RIGA_ELENCO r;
    r.linea = static_cast<uint32_t>(std::min<std::size_t>(linea, UINT32_MAX));
    r.testi = static_cast<uint32_t>(e.testi.size());
    const COLONNE_ELENCO& c = e.c;
    const int ultima = std::max({c.numero, c.data, c.importo, c.causale, c.avviso});
    if (campi.size() <= static_cast<std::size_t>(ultima)) {
        r.segni = MANCANO_CAMPI;
        e.righe.push_back(r);
        return;
    }
    const auto campo = [&](int k) -> const std::string& { return campi[static_cast<std::size_t>(k)]; };
    std::vector<uint32_t> nominati;
    // A notice code names the fine; a number column that names another is
    // a contradiction, told as such.
    AVVISO_RIGA avviso;
    if (ufficio) avviso = avviso_della_riga(ufficio->regola, campi, c.avviso);
    if (!avviso.errore.empty()) avviso.errore += ": " + citato(campo(c.avviso));
    if (avviso.avviso && c.numero >= 0)
        if (const auto n = leggi_numero_csv(campo(c.numero)); n && *n != avviso.avviso->avviso.numero)
            avviso.errore = "il codice avviso " + avviso.avviso->codice +
                            " e' della contravvenzione n." +
                            std::to_string(avviso.avviso->avviso.numero) + ", non della n." +
                            std::to_string(*n);
    if (avviso.avviso || !avviso.errore.empty())
        e.avvisi.emplace(static_cast<uint32_t>(e.righe.size()), avviso);
    if (avviso.avviso) {
        nominati.push_back(avviso.avviso->avviso.numero);
    } else if (c.numero >= 0) {
        if (const auto n = leggi_numero_csv(campo(c.numero))) {
            nominati.push_back(*n);
        } else {
            r.segni |= NUMERO_CITATO;
            e.testi.push_back(citato(campo(c.numero)));
        }
    } else if (c.causale >= 0) {
        nominati = numeri_nella_causale(campo(c.causale));
        if (nominati.empty()) {
            r.segni |= CAUSALE_CITATA;
            e.testi.push_back(citato(campo(c.causale)));
        }
    }
    r.quanti = static_cast<uint16_t>(std::min<std::size_t>(nominati.size(), UINT16_MAX));
    if (r.quanti == 1) {
        r.numeri = nominati[0];
    } else if (r.quanti > 1) {
        r.numeri = static_cast<uint32_t>(e.numeri.size());
        e.numeri.insert(e.numeri.end(), nominati.begin(), nominati.begin() + r.quanti);
    }
    if (const auto d = leggi_data_csv(campo(c.data))) {
        r.segni |= DATA_LETTA;
        r.data = in_data(*d);
    } else {
        r.segni |= DATA_CITATA;
        e.testi.push_back(citato(campo(c.data)));
    }
    if (const auto i = leggi_importo_elenco(campo(c.importo))) {
        r.segni |= IMPORTO_LETTO;
        r.centesimi = *i;
    } else {
        r.segni |= IMPORTO_CITATO;
        e.testi.push_back(citato(campo(c.importo)));
    }
    e.righe.push_back(r);
}

// The quoted field of a row (NUMERO_CITATO, CAUSALE_CITATA, DATA_CITATA or IMPORTO_CITATO).
const std::string& testo_citato(const ELENCO& e, const RIGA_ELENCO& r, uint8_t quale) {
    std::size_t k = r.testi;
    for (const uint8_t prima : {NUMERO_CITATO, CAUSALE_CITATA, DATA_CITATA, IMPORTO_CITATO}) {
        if (prima == quale) break;
        if (r.segni & prima) ++k;
    }
    return e.testi[k];
}

std::string data_testo(DATA d) {
    return data_csv(d, CSV_FOGLIO_ITALIANO);
}

std::string euro(int64_t centesimi) {
    return importo_csv(static_cast<double>(centesimi) / 100.0, CSV_FOGLIO_ITALIANO);
}

struct PAGAMENTO {
    NODO_CONTRAVV* multa;
    DATA data;
    uint32_t linea;
    std::string per_codice; // paid by its notice code: which code, which amount
};

// The notice code a row names, or why its code column holds none of the
// office's; null when it names none.
const AVVISO_RIGA* avviso_di(const ELENCO& e, const RIGA_ELENCO& r) {
    const auto it = e.avvisi.find(static_cast<uint32_t>(&r - e.righe.data()));
    return it == e.avvisi.end() ? nullptr : &it->second;
}

// The fine a row pays, or why it names none: by its number column, or by
// the numbers its reason names (exactly one of them must be a fine's); a
// number names the first fine in list order that has it, found through
// the door's index as the dialogues find it.
struct MULTA_DELLA_RIGA {
    NODO_CONTRAVV* multa = nullptr;
    std::string motivo;
};
MULTA_DELLA_RIGA multa_della_riga(const ELENCO& e, const RIGA_ELENCO& r) {
    const auto trovata = [](uint32_t n) { return trova_numero(lista_contravv, n); };
    if (const AVVISO_RIGA* a = avviso_di(e, r)) {
        if (!a->errore.empty()) return {nullptr, a->errore};
        const uint32_t n = a->avviso->avviso.numero;
        if (NODO_CONTRAVV* f = trovata(n)) return {f, ""};
        return {nullptr, "la contravvenzione n." + std::to_string(n) + " non esiste"};
    }
    if (e.c.numero < 0 && e.c.causale < 0) return {nullptr, "nessun codice avviso nella riga"};
    if (e.c.numero >= 0) {
        if (r.segni & NUMERO_CITATO)
            return {nullptr, "numero della contravvenzione non valido: " +
                                 testo_citato(e, r, NUMERO_CITATO)};
        if (NODO_CONTRAVV* f = trovata(r.numeri)) return {f, ""};
        return {nullptr, "la contravvenzione n." + std::to_string(r.numeri) + " non esiste"};
    }
    if (r.quanti == 0)
        return {nullptr, "la causale non nomina il numero di una contravvenzione: " +
                             testo_citato(e, r, CAUSALE_CITATA)};
    const uint32_t* numeri = r.quanti == 1 ? &r.numeri : e.numeri.data() + r.numeri;
    std::vector<NODO_CONTRAVV*> multe;
    std::string elenco;
    for (std::size_t i = 0; i < r.quanti; ++i) {
        NODO_CONTRAVV* f = trovata(numeri[i]);
        if (f == nullptr || std::find(multe.begin(), multe.end(), f) != multe.end()) continue;
        multe.push_back(f);
        elenco += (elenco.empty() ? "n." : ", n.") + std::to_string(f->numero);
    }
    if (multe.size() == 1) return {multe[0], ""};
    if (multe.size() > 1)
        return {nullptr, "la causale nomina piu' contravvenzioni (" + elenco + ")"};
    std::string letti;
    for (std::size_t i = 0; i < r.quanti && i < 5; ++i)
        letti += (i == 0 ? "" : ", ") + std::to_string(numeri[i]);
    return {nullptr, std::string("la causale nomina ") +
                         (r.quanti == 1 ? "il numero " : "i numeri ") + letti +
                         (r.quanti == 1 ? ", che non e'" : ", nessuno dei quali e'") +
                         " di una contravvenzione"};
}

// Why a row cannot be recorded, or "" when it can, its payment then in `p`.
// `gia_nel_file`: the line where each fine was paid earlier in the list.
std::string motivo_scarto(const ELENCO& e, const RIGA_ELENCO& r,
                          const std::unordered_map<const NODO_CONTRAVV*, uint32_t>& gia_nel_file,
                          PAGAMENTO& p) {
    if (r.segni & MANCANO_CAMPI) return "mancano dei campi";
    const MULTA_DELLA_RIGA m = multa_della_riga(e, r);
    if (m.multa == nullptr) return m.motivo;
    NODO_CONTRAVV* f = m.multa;
    const std::string n = "la contravvenzione n." + std::to_string(f->numero);
    if (const auto prima = gia_nel_file.find(f); prima != gia_nel_file.end())
        return n + " compare gia' alla riga " + std::to_string(prima->second);
    if (f->pagata) return n + " e' gia' pagata (" + data_testo(f->data_pagamento) + ")";
    if (!f->con_anagraf) return n + " non ha i dati anagrafici del proprietario";
    if (!(r.segni & DATA_LETTA))
        return "data del pagamento non valida: " + testo_citato(e, r, DATA_CITATA);
    const DATA data = da_data(r.data);
    if (ordine_data(data, f->data_verbale) == 0)
        return "la data del pagamento (" + data_testo(data) + ") precede quella del verbale (" +
               data_testo(f->data_verbale) + ")";
    if (!(r.segni & IMPORTO_LETTO))
        return "importo non valido: " + testo_citato(e, r, IMPORTO_CITATO);
    if (const AVVISO_RIGA* a = avviso_di(e, r)) {
        const AVVISO_TROVATO& codice = *a->avviso;
        if (std::string motivo = motivo_importo_avviso(*ufficio, *f, codice, r.centesimi);
            !motivo.empty())
            return motivo;
        p = {f, data, r.linea,
             nota_pagamento_avviso(*ufficio, f->numero, codice,
                                   importo_dovuto(f->importo, codice.avviso.tipo,
                                                  ufficio->riduzione_centesimi_percento))};
        return "";
    }
    const int64_t dovuto = std::llround(f->importo * 100.0);
    if (r.centesimi != dovuto)
        return "importo " + euro(r.centesimi) + " diverso da quello della contravvenzione n." +
               std::to_string(f->numero) + " (" + euro(dovuto) + ")";
    p = {f, data, r.linea, ""};
    return "";
}

// Checks each row: the payments that pass go to `validi`, the reasons of
// the others to `scarti`, with their lines.
void controlla_righe(const ELENCO& e, std::vector<PAGAMENTO>& validi,
                     std::vector<std::pair<uint32_t, std::string>>& scarti) {
    std::unordered_map<const NODO_CONTRAVV*, uint32_t> gia_nel_file;
    for (const RIGA_ELENCO& r : e.righe) {
        PAGAMENTO p{};
        std::string motivo = motivo_scarto(e, r, gia_nel_file, p);
        if (!motivo.empty()) {
            scarti.emplace_back(r.linea, std::move(motivo));
            continue;
        }
        gia_nel_file.emplace(p.multa, r.linea);
        validi.push_back(p);
    }
}

// Every row in the file's order: recorded (or to be, with `prova`) or refused.
void rapporto(std::ostream& out, const std::vector<PAGAMENTO>& validi,
              const std::vector<std::pair<uint32_t, std::string>>& scarti, bool prova) {
    std::size_t v = 0, s = 0;
    while (v < validi.size() || s < scarti.size()) {
        if (s == scarti.size() || (v < validi.size() && validi[v].linea < scarti[s].first)) {
            const PAGAMENTO& p = validi[v++];
            out << "riga " << p.linea << ": " << (prova ? "da registrare" : "registrato") << " il ";
            if (!p.per_codice.empty()) {
                out << p.per_codice << "\n";
                continue;
            }
            out << "pagamento della contravvenzione n." << p.multa->numero << " ("
                << data_testo(p.data) << ", " << euro(std::llround(p.multa->importo * 100.0))
                << ")\n";
        } else {
            out << "riga " << scarti[s].first << ": " << scarti[s].second << "\n";
            ++s;
        }
    }
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

// The payments recorded as one operation through the door, its register
// entry naming the file, and each code and amount paid by code.
void registra(const std::string& elenco, const std::vector<PAGAMENTO>& validi) {
    std::string per_codice;
    for (const PAGAMENTO& p : validi)
        if (!p.per_codice.empty()) per_codice += "; " + p.per_codice;
    registro_descrivi_prossima(registro_sessione(),
                               "Importazione di " + std::to_string(validi.size()) +
                                   (validi.size() == 1 ? " pagamento" : " pagamenti") +
                                   (elenco == "-" ? std::string(" dall'ingresso standard")
                                                  : " dal file " + percorso_assoluto(elenco)) +
                                   per_codice);
    apri_operazione();
    for (const PAGAMENTO& p : validi) registra_pagamento(p.multa, p.data);
    chiudi_operazione();
}

// The payments recorded, and the archive saved.
bool registra_e_salva(const FILE_ARCHIVIO& file, const std::string& elenco,
                      const std::vector<PAGAMENTO>& validi) {
    registra(elenco, validi);
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

// A database archive: the payments recorded in one transaction, committed
// as the door closes the operation; there is nothing to save. False, after
// telling why on standard error, when the database refused them (another
// clerk changed one of those fines since they were read, or the server
// could not be reached): none was recorded. Either way the program's
// session on the database ends.
bool registra_nel_database(const std::string& elenco, const std::vector<PAGAMENTO>& validi) {
    registra(elenco, validi);
    const bool fatto = !operazione_rifiutata();
    if (!fatto)
        std::cerr << "sanzionario importa-pagamenti: " << motivo_rifiuto()
                  << (rifiutata_forse_fatta()
                          ? ": il collegamento si e' interrotto alla conferma, e i pagamenti "
                            "potrebbero essere stati registrati; controllarli nel database.\n"
                          : ": nessun pagamento e' stato registrato.\n");
    chiudi_archivio();
    return fatto;
}

// Opens the list: standard input for "-", else a regular file only (a
// FIFO, a device or a folder is refused at once, without waiting). -1,
// after telling why on standard error, when it cannot be read.
int apri_elenco(const std::string& elenco) {
    const std::string prima = std::string("sanzionario ") + COMANDO + ": ";
    if (elenco == "-") return STDIN_FILENO;
    const int fd = open(elenco.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
        std::cerr << prima << "impossibile aprire " << elenco << ": " << std::strerror(errno)
                  << ".\n";
        if (fd >= 0) close(fd);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        std::cerr << prima << elenco << " non e' un file regolare ("
                  << (S_ISFIFO(st.st_mode)  ? "e' una FIFO"
                      : S_ISDIR(st.st_mode) ? "e' una cartella"
                                            : "e' un dispositivo o un file speciale")
                  << "): l'elenco si legge da un file o dall'ingresso standard (-).\n";
        close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// The office's settings, for the notice codes: those named by --ufficio,
// else those in the usual places when there are any. False, after telling
// why on standard error, when settings there are cannot be read, or the
// list has a code column and there are none.
bool leggi_ufficio(const std::string& indicato, const COLONNE_ELENCO& c) {
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

// Reads the whole list into `e`, the office's settings (`impostazioni`, or
// the usual places) as soon as its header says what it needs; false, after
// telling why on standard error, when it cannot be read as a list of
// payments.
bool leggi_elenco(const std::string& elenco, const NOMI_COLONNE& nomi,
                  const std::string& impostazioni, ELENCO& e) {
    const std::string prima = std::string("sanzionario ") + COMANDO + ": ";
    const int fd = apri_elenco(elenco);
    if (fd < 0) return false;
    bool intestazione = false, colonne_trovate = false, senza_ufficio = false;
    std::size_t linea = 0;
    LETTURA_ELENCO esito = LETTURA_ELENCO::LETTO;
    try {
        esito = leggi_elenco_csv(
            fd,
            [&](std::vector<std::string>& campi, std::size_t l) {
                if (intestazione) {
                    if (colonne_trovate) leggi_riga(e, campi, l);
                    return;
                }
                intestazione = true;
                e.c = trova_colonne(campi, nomi);
                senza_ufficio = !leggi_ufficio(impostazioni, e.c);
                colonne_trovate = !senza_ufficio && e.c.data >= 0 && e.c.importo >= 0 &&
                                  (e.c.numero >= 0 || e.c.causale >= 0 ||
                                   (e.c.avviso >= 0 && ufficio));
            },
            linea);
    } catch (const std::bad_alloc&) {
        if (fd != STDIN_FILENO) close(fd);
        e = ELENCO{};
        std::cerr << prima << "memoria insufficiente per leggere " << elenco << ".\n";
        return false;
    }
    if (fd != STDIN_FILENO) close(fd);
    if (esito == LETTURA_ELENCO::ILLEGGIBILE) {
        std::cerr << prima << "impossibile leggere " << elenco << ".\n";
        return false;
    }
    if (esito == LETTURA_ELENCO::CAMPO_LUNGO) {
        std::cerr << prima << elenco << " non e' un elenco di pagamenti: la riga " << linea
                  << " ha un campo di piu' di " << CAMPO_MAX << " byte.\n";
        return false;
    }
    if (esito == LETTURA_ELENCO::QUOTE_APERTE) {
        std::cerr << prima << elenco << " finisce dentro un campo tra virgolette, aperto alla riga "
                  << linea << ".\n";
        return false;
    }
    if (senza_ufficio) return false;
    if (!intestazione) {
        std::cerr << prima << elenco << " e' vuoto.\n";
        return false;
    }
    if (!colonne_trovate) {
        std::cerr << prima << "l'intestazione di " << elenco
                  << " deve nominare le colonne della data (Data pagamento, Data valuta...), "
                     "dell'importo (Importo, Importo accreditato...) e del numero della "
                     "contravvenzione (Numero, Numero verbale...) o della causale (Causale, "
                     "Descrizione...); con altri nomi: --colonne.\n";
        return false;
    }
    return true;
}

int importa(int argc, char** argv);

} // namespace

// Memory that runs out anywhere ends the command with a message and
// status 1, never with an exception's abort: the archive's files are
// written whole or not at all, and the locks go with the process.
int comando_importa_pagamenti(int argc, char** argv) {
    try {
        return importa(argc, argv);
    } catch (const std::bad_alloc&) {
        std::cerr << "sanzionario importa-pagamenti: memoria insufficiente.\n";
        return USCITA_FALLITO;
    }
}

namespace {

int importa(int argc, char** argv) {
    FILE_ARCHIVIO file;
    bool prova = false;
    NOMI_COLONNE nomi;
    std::string colonne_errore, impostazioni;
    bool colonne_sbagliate = false;
    if (const auto fine = leggi_opzioni_comando(
            COMANDO, AIUTO.c_str(), argc, argv, file,
            {{"prova", no_argument, nullptr, 'p'},
             {"colonne", required_argument, nullptr, 'k'},
             {"ufficio", required_argument, nullptr, 'u'}},
            "",
            [&](int o, const char* valore) {
                if (o == 'p') prova = true;
                if (o == 'u') impostazioni = valore;
                if (o == 'k' && !leggi_nomi_colonne(valore, nomi, colonne_errore))
                    colonne_sbagliate = true;
            }))
        return *fine;
    if (colonne_sbagliate) return errore_uso(COMANDO, colonne_errore);
    if (optind == argc) return errore_uso(COMANDO, "manca il file dei pagamenti");
    if (optind + 1 < argc)
        return errore_uso(COMANDO, std::string("argomento in piu': ") + argv[optind + 1]);
    const std::string elenco = argv[optind];

    // The operation's journal and register entries for a long list are
    // built from many small values and a few large strings: memory freed
    // stays with the process for the next, rather than going back to the
    // system and being faulted in and cleared again.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    ELENCO e;
    if (!leggi_elenco(elenco, nomi, impostazioni, e)) return USCITA_FALLITO;
    if (!apri_per_importare(file, prova)) return USCITA_FALLITO;
    std::vector<PAGAMENTO> validi;
    std::vector<std::pair<uint32_t, std::string>> scarti;
    controlla_righe(e, validi, scarti);
    const std::size_t righe = e.righe.size();
    e = ELENCO{};
    // In a database the payments are recorded first: the rows are listed
    // as recorded only once the database has them (a refusal records none).
    const bool nel_database = !prova && !validi.empty() && file.database;
    if (nel_database && !registra_nel_database(elenco, validi)) return USCITA_FALLITO;
    std::cout << "Righe lette: " << righe << "\nPagamenti " << (prova ? "da registrare" : "registrati")
              << ": " << validi.size() << "\nRighe scartate: " << scarti.size() << "\n";
    rapporto(std::cout, validi, scarti, prova);
    bool salvato = true;
    if (nel_database) {
        std::cout << "Pagamenti registrati nel database.\n";
    } else if (prova) {
        std::cout << "Prova: nessuna modifica all'archivio.\n";
    } else if (!validi.empty()) {
        std::cout << std::flush;
        salvato = registra_e_salva(file, elenco, validi);
        if (salvato) std::cout << "Archivio salvato.\n";
    } else {
        chiudi_archivio();
    }
    return salvato && scarti.empty() ? USCITA_FATTO : USCITA_FALLITO;
}

} // namespace
