// A period's fines summed up for the head of office: by month of the
// ticket, in all, and for the ten most frequent kinds of infringement and
// places; for each, the fines issued and paid and the amounts issued,
// collected and outstanding, in cents.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/records.h"
#include "report/period.h"

struct RIGA_RAPPORTO {
    std::string voce; // the month (aaaa-mm), kind or place; empty for the total
    uint64_t emesse = 0, pagate = 0;
    int64_t emesso = 0, riscosso = 0; // cents
    int64_t da_riscuotere() const { return emesso - riscosso; }
};

struct RAPPORTO {
    std::vector<RIGA_RAPPORTO> mesi; // in order; the months without fines between included
    RIGA_RAPPORTO totale;
    std::vector<RIGA_RAPPORTO> infrazioni, luoghi; // at most ten each, the most frequent first
};

// The summary of the fines of `lista` whose ticket falls in the period.
// Kinds and places that differ only in case or blanks count as one, named
// as first met.
RAPPORTO componi_rapporto(const NODO_CONTRAVV* lista, const PERIODO& periodo);

// "marzo 2026" for the month "2026-03".
std::string nome_mese(const std::string& voce);
