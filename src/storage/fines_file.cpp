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

constexpr std::size_t BYTE_PER_RECORD = 360; // a generous guess, to size the buffer once

} // namespace

void scrivi_contravv(std::string& out, const NODO_CONTRAVV& c) {
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
    if (c.con_anagraf && c.anagraf != nullptr) {
        out += "* ";
        out += std::to_string(c.anagraf->codice);
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

std::string testo_contravvenzioni(const NODO_CONTRAVV* lista) {
    std::size_t quanti = 0;
    for (const NODO_CONTRAVV* p = lista; p != nullptr; p = p->next) ++quanti;
    std::string out;
    out.reserve(quanti * BYTE_PER_RECORD);
    for (const NODO_CONTRAVV* p = lista; p != nullptr; p = p->next) scrivi_contravv(out, *p);
    return out;
}

bool contravvenzioni_da_testo(std::string_view testo, const INDICE_ANAGRAF& indice,
                              NODO_CONTRAVV*& lista) {
    NODO_CONTRAVV* ultimo = nullptr;
    std::size_t pos = 0;
    RIGHE_RECORD righe;
    while (prossimo_record(testo, pos, righe)) {
        NODO_CONTRAVV* c = nuovo_contravv();
        if (c == nullptr) return false;
        c->next = nullptr;
        (ultimo == nullptr ? lista : ultimo->next) = c;
        ultimo = c;
        const std::optional<uint32_t> codice = leggi_contravv(righe, c);
        if (!codice) continue;
        const auto trovato = indice.find(*codice);
        if (trovato == indice.end()) continue;
        c->anagraf = trovato->second;
        c->con_anagraf = true;
    }
    return true;
}
