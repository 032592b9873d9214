// The cells of an export, one row per fine joined with its owner's data
// (or one per owner): each with its kind, so that the CSV writes it in its
// dialect and the spreadsheet file as a typed cell.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/records.h"

enum class TIPO_CELLA : uint8_t {
    VUOTA,
    TESTO,   // a text in UTF-8: never a number or a formula (postal codes, plates, tax codes too)
    INTERO,  // a fine number or an owner code
    IMPORTO, // euro
    DATA,
};

struct CELLA {
    TIPO_CELLA tipo = TIPO_CELLA::VUOTA;
    std::string testo; // TESTO
    double numero = 0; // INTERO, IMPORTO
    DATA data{};       // DATA
};

// The header's names, as many as the cells of a row.
const std::vector<const char*>& intestazione_esportazione(bool solo_persone);
// Calls `riga` with the cells of each row (the vector reused), in list order.
template <typename F> void righe_esportazione(bool solo_persone, F&& riga);

void celle_multa(std::vector<CELLA>& celle, const NODO_CONTRAVV* f);
void celle_persona(std::vector<CELLA>& celle, const NODO_ANAGRAF* p);

#include "model/lists.h"

template <typename F> void righe_esportazione(bool solo_persone, F&& riga) {
    std::vector<CELLA> celle;
    if (solo_persone) {
        for (const NODO_ANAGRAF* p = lista_anagraf; p != nullptr; p = p->next) {
            celle.clear();
            celle_persona(celle, p);
            riga(celle);
        }
        return;
    }
    for (const NODO_CONTRAVV* f = lista_contravv; f != nullptr; f = f->next) {
        celle.clear();
        celle_multa(celle, f);
        celle_persona(celle, f->con_anagraf ? f->anagraf : nullptr);
        riga(celle);
    }
}
