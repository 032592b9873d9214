// Fine records as they stand in the fines file.
//
// Line by line: an empty line; the number; the ticket date, a blank and the
// place right-aligned in 11 columns; the plate; the kind of infringement;
// "* " and the owner code, or "- "; the amount right-aligned in 15 columns
// with two decimals, then " * " and the payment date, or " - "; 87
// underscores.
#include "storage/fines_file.h"

#include <cstring>
#include <new>
#include <optional>

#include "model/lists.h"
#include "model/walk.h"
#include "storage/column_write.h"
#include "storage/columns.h"

namespace {

constexpr std::size_t LARGHEZZA_LUOGO = 11;
constexpr std::string_view RIGA_FINE_CONTRAVV =
    "_______________________________________________________________________________________";
static_assert(RIGA_FINE_CONTRAVV.size() == 87);

// Fines taken at a time when the fines file is written: the owner codes of
// a group are fetched together, so that waiting for owner records that lie
// elsewhere in memory overlaps instead of adding up.
constexpr std::size_t GRUPPO_SCRITTURA = 32;

// Fines read between two publications of the progress of a load.
constexpr std::size_t PASSO_AVANZAMENTO = 4096;

// Room for the longest record: every field at its widest, a text field
// whole (its padding is shorter).
constexpr std::size_t LUNGHEZZA_MAX_RECORD =
    1 + LARGHEZZA_MAX_NUMERO + 1 + LARGHEZZA_MAX_DATA + 1 + sizeof(NODO_CONTRAVV::luogo) + 1 +
    sizeof(NODO_CONTRAVV::targa) + 1 + sizeof(NODO_CONTRAVV::tipo) + 1 + 2 + LARGHEZZA_MAX_NUMERO +
    1 + LARGHEZZA_MAX_IMPORTO + 3 + LARGHEZZA_MAX_DATA + 1 + RIGA_FINE_CONTRAVV.size() + 1;
static_assert(sizeof(NODO_CONTRAVV::luogo) >= LARGHEZZA_LUOGO);

// The code written on the owner line, when the fine has an owner.
std::optional<uint32_t> codice_proprietario(const NODO_CONTRAVV& c) {
    if (!c.con_anagraf || c.anagraf == nullptr) return std::nullopt;
    return c.anagraf->codice;
}

char* scrivi_righe(char* p, const NODO_CONTRAVV& c, std::optional<uint32_t> codice) {
    *p++ = '\n';
    p = scrivi_numero(p, c.numero);
    *p++ = '\n';
    p = scrivi_data(p, c.data_verbale);
    *p++ = ' ';
    p = scrivi_a_destra(p, testo_campo(c.luogo), LARGHEZZA_LUOGO);
    *p++ = '\n';
    p = scrivi_testo(p, testo_campo(c.targa));
    *p++ = '\n';
    p = scrivi_testo(p, testo_campo(c.tipo));
    *p++ = '\n';
    if (codice) {
        p = scrivi_testo(p, "* ");
        p = scrivi_numero(p, *codice);
    } else {
        p = scrivi_testo(p, "- ");
    }
    *p++ = '\n';
    p = scrivi_importo(p, c.importo, LARGHEZZA_IMPORTO);
    if (c.pagata) {
        p = scrivi_testo(p, " * ");
        p = scrivi_data(p, c.data_pagamento);
    } else {
        p = scrivi_testo(p, " - ");
    }
    *p++ = '\n';
    p = scrivi_testo(p, RIGA_FINE_CONTRAVV);
    *p++ = '\n';
    return p;
}

// While the fines are read, before the owners are known, a fine that names
// an owner holds its code in the bytes of its owner link, with con_anagraf set.
void serba_codice(NODO_CONTRAVV* c, uint32_t codice) {
    c->anagraf = nullptr;
    std::memcpy(&c->anagraf, &codice, sizeof codice);
    c->con_anagraf = true;
}

uint32_t codice_serbato(const NODO_CONTRAVV* c) {
    uint32_t codice = 0;
    std::memcpy(&codice, &c->anagraf, sizeof codice);
    return codice;
}

// Shows another thread that the fines up to `ultima` are read.
void pubblica(AVANZAMENTO_MULTE& avanzamento, NODO_CONTRAVV* ultima, bool finita) {
    avanzamento.ultima.store(ultima, std::memory_order_release);
    if (finita) avanzamento.finita.store(true, std::memory_order_release);
    avanzamento.turno.fetch_add(1, std::memory_order_release);
    avanzamento.turno.notify_all();
}

// The owner line: "*", a blank, and the code from column 3; anything else
// first is no owner. `codice` gets the code named; false when the reader
// would misread the line: "*" without the blank (the code would lose its
// first digit), no code that fits, or a mark pushed right by blanks.
bool leggi_proprietario(std::string_view riga, std::optional<uint32_t>& codice) {
    codice.reset();
    if (riga.empty() || riga[0] != '*') {
        const std::size_t segno = riga.find_first_not_of(" \t");
        return segno == std::string_view::npos || riga[segno] != '*';
    }
    bool letto = false;
    codice = valore_codice(colonne(riga, 3), letto);
    return letto && riga.size() >= 2 && bianco(riga[1]);
}

// The fields of a fine from its lines, exactly as the reader takes them;
// `codice` gets the owner code named. True when every value was read as
// it was meant (see forma_contravv). `con_nul` false when the record is
// known to hold no NUL byte.
bool leggi_campi(const RIGHE_RECORD& righe, NODO_CONTRAVV* c, bool con_nul,
                 std::optional<uint32_t>& codice) {
    bool numero = false, importo = false;
    c->numero = valore_codice(righe[1], numero);
    c->data_verbale = data_da_colonne(righe[2], 1);
    copia_testo(c->luogo, sizeof c->luogo, colonne(righe[2], 12), con_nul);
    copia_testo(c->targa, sizeof c->targa, righe[3], con_nul);
    copia_testo(c->tipo, sizeof c->tipo, righe[4], con_nul);
    c->con_anagraf = false;
    c->anagraf = nullptr;
    c->importo = valore_importo(colonne(righe[6], 1, LARGHEZZA_IMPORTO), importo);
    c->pagata = righe[6].size() >= 17 && righe[6][16] == '*';
    c->data_pagamento = c->pagata ? data_da_colonne(righe[6], 19) : DATA{0, 0, 0};
    const bool proprietario = leggi_proprietario(righe[5], codice);
    return numero && importo && proprietario && anno_in_quattro_cifre(righe[2], 1) &&
           (!c->pagata || anno_in_quattro_cifre(righe[6], 19)) && valori_ammessi(*c);
}

// contravvenzioni_da_file, but for the last publication; `ultima` is the
// last fine appended.
int leggi_multe(LETTURA_DATI& file, NODO_CONTRAVV*& lista, NODO_CONTRAVV*& ultima, bool& crescenti,
                FORMA_FILE& forma, AVANZAMENTO_MULTE& avanzamento) {
    RIGHE_RECORD righe;
    bool con_nul = true;
    crescenti = true;
    for (std::size_t letti = 1;; ++letti) {
        if (avanzamento.fermo.load(std::memory_order_relaxed)) return LETTURA_INTERROTTA;
        const LETTO letto = leggi_record(file, righe, con_nul);
        if (letto != LETTO::RECORD) return letto == LETTO::FINE ? 0 : 1;
        NODO_CONTRAVV* c = nuovo_contravv();
        if (c == nullptr) return -1;
        std::optional<uint32_t> codice;
        annota_forma(forma, leggi_campi(righe, c, con_nul, codice));
        if (codice) serba_codice(c, *codice);
        if (ultima != nullptr && c->numero <= ultima->numero) crescenti = false;
        (ultima == nullptr ? lista : ultima->next) = c;
        ultima = c;
        if (letti % PASSO_AVANZAMENTO == 0) pubblica(avanzamento, ultima, false);
    }
}

} // namespace

bool forma_contravv(const RIGHE_RECORD& righe) {
    NODO_CONTRAVV c{};
    std::optional<uint32_t> codice;
    return leggi_campi(righe, &c, true, codice);
}

PROSSIMA_PARTE parti_contravvenzioni(const NODO_CONTRAVV* lista, FUORI_LAYOUT& fuori) {
    return [p = lista, &fuori](std::string& blocco) mutable {
        if (p == nullptr) return false;
        const NODO_CONTRAVV* gruppo[GRUPPO_SCRITTURA];
        std::optional<uint32_t> codici[GRUPPO_SCRITTURA];
        std::size_t n = 0;
        for (; p != nullptr && n < GRUPPO_SCRITTURA; p = seguente(p), ++n) {
            if ((fuori.motivo = campo_non_scrivibile(*p)) != nullptr) {
                fuori.contravv = p;
                throw RECORD_FUORI_LAYOUT{};
            }
            gruppo[n] = p;
            codici[n] = codice_proprietario(*p);
        }
        char buf[GRUPPO_SCRITTURA * LUNGHEZZA_MAX_RECORD];
        char* fine = buf;
        for (std::size_t i = 0; i < n; ++i) fine = scrivi_righe(fine, *gruppo[i], codici[i]);
        blocco.append(buf, static_cast<std::size_t>(fine - buf));
        return true;
    };
}

int contravvenzioni_da_file(LETTURA_DATI& file, NODO_CONTRAVV*& lista, bool& crescenti,
                            FORMA_FILE& forma, AVANZAMENTO_MULTE& avanzamento) {
    NODO_CONTRAVV* ultima = nullptr;
    int esito = -1;
    try {
        esito = leggi_multe(file, lista, ultima, crescenti, forma, avanzamento);
    } catch (const std::bad_alloc&) { // the read buffer
        esito = -1;
    }
    if (esito != 0) avanzamento.fermo.store(true, std::memory_order_relaxed);
    pubblica(avanzamento, ultima, true);
    return esito;
}

void collega_proprietari(NODO_CONTRAVV* da, const NODO_CONTRAVV* a,
                         const INDICE_ID<NODO_ANAGRAF>& indice, MULTE_ORFANE& orfane,
                         INDICE_ID<NODO_CONTRAVV>& multe) {
    for (NODO_CONTRAVV* c = da; c != nullptr; c = c->next) {
        indice_aggiunto(multe, c);
        if (c->con_anagraf) {
            c->anagraf = indice_trova(indice, codice_serbato(c));
            c->con_anagraf = c->anagraf != nullptr;
            if (!c->con_anagraf && orfane.quante++ == 0) orfane.prima = c->numero;
        }
        if (c == a) break;
    }
}
