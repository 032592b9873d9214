// Generation of the benchmark archive: a fixed pseudo-random sequence picks
// names, places, plates, infringements, amounts and dates from small tables.
#include "archive.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "model/lists.h"
#include "model/records.h"

namespace {

// splitmix64: a tiny generator whose sequence is the same on every machine.
struct CASO {
    uint64_t stato;
};

uint64_t estrai(CASO& c) {
    uint64_t z = (c.stato += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

// A number from 0 to n - 1.
std::size_t tra(CASO& c, std::size_t n) {
    return static_cast<std::size_t>(estrai(c) % n);
}

template <class T, std::size_t N> const T& uno_di(CASO& c, const T (&voci)[N]) {
    return voci[tra(c, N)];
}

constexpr const char* COGNOMI[] = {
    "ROSSI",    "RUSSO",   "FERRARI",   "ESPOSITO", "BIANCHI",    "ROMANO",  "COLOMBO",
    "RICCI",    "MARINO",  "GRECO",     "BRUNO",    "GALLO",      "CONTI",   "DE LUCA",
    "MANCINI",  "COSTA",   "GIORDANO",  "RIZZO",    "LOMBARDI",   "MORETTI", "BARBIERI",
    "FONTANA",  "SANTORO", "MARIANI",   "RINALDI",  "CARUSO",     "FERRARA", "GALLI",
    "MARTINI",  "LEONE",   "LONGO",     "GENTILE",  "MARTINELLI", "VITALE",  "LOMBARDO",
    "SERRA",    "COPPOLA", "DE SANTIS", "D'ANGELO", "MARCHETTI",  "PARISI",  "VILLA",
    "CONTE",    "FERRARO", "FERRI",     "FABBRI",   "BIANCO",     "MARRA",   "GRASSO",
    "VALENTINI"};

constexpr const char* NOMI[] = {
    "MARIO",   "GIUSEPPE", "ANNA MARIA", "FRANCESCO",    "ANTONIO",   "GIOVANNI", "LUCA",
    "MARCO",   "ANDREA",   "PAOLA",      "GIULIA",       "FRANCESCA", "CHIARA",   "SARA",
    "ROBERTO", "STEFANO",  "ALESSANDRO", "MARIA GRAZIA", "LORENZO",   "ELENA",    "SILVIA",
    "DAVIDE",  "MATTEO",   "VALENTINA",  "PIER LUIGI"};

constexpr const char* VIE[] = {"VIA ROMA",
                               "VIA GARIBALDI",
                               "CORSO VITTORIO EMANUELE",
                               "PIAZZA DUOMO",
                               "VIALE MONZA",
                               "VIA MAZZINI",
                               "VIA DANTE ALIGHIERI",
                               "CORSO BUENOS AIRES",
                               "VIA CAVOUR",
                               "VIA NAZIONALE",
                               "LARGO AUGUSTO",
                               "VIA DEI MILLE",
                               "VIALE DELLA REPUBBLICA",
                               "VIA XX SETTEMBRE",
                               "VIA VERDI"};

struct COMUNE {
    const char* citta;
    const char* cap;
    const char* provincia;
};

constexpr COMUNE COMUNI[] = {{"Milano", "20121", "MI"},
                             {"Roma", "00184", "RM"},
                             {"Napoli", "80133", "NA"},
                             {"Torino", "10121", "TO"},
                             {"Palermo", "90133", "PA"},
                             {"Genova", "16121", "GE"},
                             {"Bologna", "40121", "BO"},
                             {"Firenze", "50122", "FI"},
                             {"Bari", "70121", "BA"},
                             {"Monza", "20900", "MB"},
                             {"Sesto San Giovanni", "20099", "MI"},
                             {"Cinisello Balsamo", "20092", "MI"},
                             {"Rho", "20017", "MI"},
                             {"Legnano", "20025", "MI"}};

constexpr const char* LUOGHI[] = {"Milano, viale Monza",
                                  "Milano, corso Buenos Aires",
                                  "Milano, piazzale Loreto",
                                  "Milano, via Padova",
                                  "Milano, tangenziale est km 12",
                                  "Milano, viale Certosa",
                                  "Milano, via dei Missaglia",
                                  "Milano",
                                  "Piazza Duomo",
                                  "Viale Fulvio Testi, incrocio via Ca' Granda",
                                  "Corso Sempione"};

constexpr const char* TIPI[] = {
    "Divieto di sosta",
    "Sosta in area riservata ai disabili",
    "Eccesso di velocita' oltre 10 km/h e non oltre 40 km/h",
    "Eccesso di velocita' oltre 40 km/h e non oltre 60 km/h (art. 142 comma 9)",
    "Passaggio con semaforo rosso",
    "Mancato uso delle cinture di sicurezza",
    "Uso del telefono durante la guida",
    "Transito in zona a traffico limitato senza autorizzazione",
    "Sosta sul marciapiede",
    "Circolazione con veicolo non revisionato (art. 80 comma 14 del codice della strada)",
    "Mancata precedenza al pedone sull'attraversamento pedonale"};

constexpr double IMPORTI[] = {42.0, 41.0, 87.0, 173.0, 168.0, 83.0, 845.0, 29.0, 167.0, 1.5};

DATA data_tra(CASO& c, int primo_anno, int anni) {
    return DATA{static_cast<int16_t>(1 + tra(c, 28)), static_cast<int16_t>(1 + tra(c, 12)),
                static_cast<int16_t>(primo_anno +
                                     static_cast<int>(tra(c, static_cast<std::size_t>(anni))))};
}

// A payment a few days to a few months after the ticket, same year or next.
DATA pagamento_dopo(CASO& c, DATA verbale) {
    DATA d = verbale;
    d.mm = static_cast<int16_t>(d.mm + static_cast<int>(tra(c, 4)));
    if (d.mm > 12) {
        d.mm = static_cast<int16_t>(d.mm - 12);
        ++d.aaaa;
    }
    if (tra(c, 2) == 0 && d.gg < 28) d.gg = static_cast<int16_t>(d.gg + 1);
    return d;
}

// Random capital letters and digits in the shape of `schema` (L a letter,
// D a digit), into `s`, which has room for them and a terminator.
void secondo_schema(CASO& c, const char* schema, char* s) {
    for (; *schema != '\0'; ++schema, ++s)
        *s = static_cast<char>(*schema == 'L' ? 'A' + tra(c, 26) : '0' + tra(c, 10));
    *s = '\0';
}

void riempi_anagraf(CASO& c, NODO_ANAGRAF* a, uint32_t codice) {
    a->codice = codice;
    copia_campo(a->cognome, uno_di(c, COGNOMI));
    copia_campo(a->nome, uno_di(c, NOMI));
    a->data_nascita = data_tra(c, 1940, 65);
    char testo[64];
    std::snprintf(testo, sizeof testo, "%s %zu", uno_di(c, VIE), 1 + tra(c, 180));
    copia_campo(a->indirizzo, testo);
    const COMUNE& comune = uno_di(c, COMUNI);
    copia_campo(a->citta, comune.citta);
    copia_campo(a->cap, comune.cap);
    copia_campo(a->provincia, comune.provincia);
    secondo_schema(c, "LLLLLLDDLDDLDDDL", a->codice_fiscale);
    secondo_schema(c, "LLDDDDDDDL", a->patente);
}

void riempi_contravv(CASO& c, NODO_CONTRAVV* f, uint32_t numero) {
    f->numero = numero;
    f->data_verbale = data_tra(c, 2015, 10);
    copia_campo(f->luogo, uno_di(c, LUOGHI));
    secondo_schema(c, "LLDDDLL", f->targa);
    copia_campo(f->tipo, uno_di(c, TIPI));
    f->importo = uno_di(c, IMPORTI);
}

} // namespace

bool genera_archivio(std::size_t multe, std::size_t proprietari) {
    libera_liste();
    CASO c{20240315};
    std::vector<NODO_ANAGRAF*> anagrafi(proprietari);
    NODO_ANAGRAF* ultimo_a = nullptr;
    for (std::size_t i = 0; i < proprietari; ++i) {
        NODO_ANAGRAF* a = nuovo_anagraf();
        if (a == nullptr) {
            libera_liste();
            return false;
        }
        riempi_anagraf(c, a, static_cast<uint32_t>(i + 1));
        // Linked through the tail kept here: appending with accoda walks the list.
        (ultimo_a == nullptr ? lista_anagraf : ultimo_a->next) = a;
        ultimo_a = a;
        anagrafi[i] = a;
    }
    NODO_CONTRAVV* ultimo_c = nullptr;
    for (std::size_t i = 0; i < multe; ++i) {
        NODO_CONTRAVV* f = nuovo_contravv();
        if (f == nullptr) {
            libera_liste();
            return false;
        }
        riempi_contravv(c, f, static_cast<uint32_t>(i + 1));
        if (proprietari > 0 && tra(c, 10) < 7) {
            const std::size_t coetaneo = i * proprietari / (multe > 0 ? multe : 1);
            f->anagraf = anagrafi[tra(c, 10) < 8 ? coetaneo : tra(c, proprietari)];
            f->con_anagraf = true;
            if (tra(c, 10) < 6) {
                f->pagata = true;
                f->data_pagamento = pagamento_dopo(c, f->data_verbale);
            }
        }
        (ultimo_c == nullptr ? lista_contravv : ultimo_c->next) = f;
        ultimo_c = f;
    }
    return true;
}
