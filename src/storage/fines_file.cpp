// Fine records as they stand in the fines file.
//
// Line by line: an empty line; the number; the ticket date, a blank and the
// place right-aligned in 11 columns; the plate; the kind of infringement;
// "* " and the owner code, or "- "; the amount right-aligned in 15 columns
// with two decimals, then " * " and the payment date, or " - "; 87
// underscores.
#include "storage/fines_file.h"

#include "console/text.h"
#include "model/lists.h"
#include "storage/columns.h"

namespace {

constexpr std::size_t LARGHEZZA_LUOGO = 11;
constexpr std::size_t LARGHEZZA_IMPORTO = 15;
constexpr std::string_view RIGA_FINE_CONTRAVV =
    "_______________________________________________________________________________________";
static_assert(RIGA_FINE_CONTRAVV.size() == 87);

// Fines taken at a time when the fines file is written: the owner codes of
// a group are fetched together, so that waiting for owner records that lie
// elsewhere in memory overlaps instead of adding up.
constexpr std::size_t GRUPPO_SCRITTURA = 32;

// The code written on the owner line, when the fine has an owner.
std::optional<uint32_t> codice_proprietario(const NODO_CONTRAVV& c) {
    if (!c.con_anagraf || c.anagraf == nullptr) return std::nullopt;
    return c.anagraf->codice;
}

void scrivi_righe(std::string& out, const NODO_CONTRAVV& c, std::optional<uint32_t> codice) {
    out += '\n';
    out += std::to_string(c.numero);
    out += '\n';
    scrivi_data(out, c.data_verbale);
    out += ' ';
    scrivi_a_destra(out, testo_campo(c.luogo), LARGHEZZA_LUOGO);
    out += '\n';
    out += testo_campo(c.targa);
    out += '\n';
    out += testo_campo(c.tipo);
    out += '\n';
    if (codice) {
        out += "* ";
        out += std::to_string(*codice);
    } else {
        out += "- ";
    }
    out += '\n';
    scrivi_a_destra(out, fisso2(c.importo), LARGHEZZA_IMPORTO);
    if (c.pagata) {
        out += " * ";
        scrivi_data(out, c.data_pagamento);
    } else {
        out += " - ";
    }
    out += '\n';
    out += RIGA_FINE_CONTRAVV;
    out += '\n';
}

} // namespace

void scrivi_contravv(std::string& out, const NODO_CONTRAVV& c) {
    scrivi_righe(out, c, codice_proprietario(c));
}

std::optional<uint32_t> leggi_contravv(const RIGHE_RECORD& righe, NODO_CONTRAVV* c) {
    c->numero = valore_codice(righe[1]);
    c->data_verbale = data_da_colonne(righe[2], 1);
    copia_testo(c->luogo, sizeof c->luogo, colonne(righe[2], 12));
    copia_testo(c->targa, sizeof c->targa, righe[3]);
    copia_testo(c->tipo, sizeof c->tipo, righe[4]);
    c->con_anagraf = false;
    c->anagraf = nullptr;
    c->importo = valore_importo(colonne(righe[6], 1, LARGHEZZA_IMPORTO));
    c->pagata = colonne(righe[6], 17, 1) == "*";
    c->data_pagamento = c->pagata ? data_da_colonne(righe[6], 19) : DATA{0, 0, 0};
    if (colonne(righe[5], 1, 1) != "*") return std::nullopt;
    return valore_codice(colonne(righe[5], 3));
}

PROSSIMA_PARTE parti_contravvenzioni(const NODO_CONTRAVV* lista) {
    return [p = lista](std::string& blocco) mutable {
        if (p == nullptr) return false;
        const NODO_CONTRAVV* gruppo[GRUPPO_SCRITTURA];
        std::optional<uint32_t> codici[GRUPPO_SCRITTURA];
        std::size_t n = 0;
        for (; p != nullptr && n < GRUPPO_SCRITTURA; p = p->next, ++n) {
            gruppo[n] = p;
            codici[n] = codice_proprietario(*p);
        }
        for (std::size_t i = 0; i < n; ++i) scrivi_righe(blocco, *gruppo[i], codici[i]);
        return true;
    };
}

int contravvenzioni_da_file(LETTURA_DATI& file, const INDICE_ANAGRAF& indice,
                            NODO_CONTRAVV*& lista) {
    NODO_CONTRAVV* ultimo = nullptr;
    RIGHE_RECORD righe;
    for (;;) {
        const LETTO letto = leggi_record(file, righe);
        if (letto != LETTO::RECORD) return letto == LETTO::FINE ? 0 : 1;
        NODO_CONTRAVV* c = nuovo_contravv();
        if (c == nullptr) return -1;
        c->next = nullptr;
        (ultimo == nullptr ? lista : ultimo->next) = c;
        ultimo = c;
        const std::optional<uint32_t> codice = leggi_contravv(righe, c);
        if (!codice) continue;
        c->anagraf = cerca_codice(indice, *codice);
        c->con_anagraf = c->anagraf != nullptr;
    }
}
