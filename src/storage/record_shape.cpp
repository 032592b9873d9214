// The values and texts a record may hold, for the load, the journal and
// the save.
#include "storage/record_shape.h"

#include <cstring>

#include "storage/column_write.h"
#include "storage/columns.h"

namespace {

template <std::size_t N> bool testo_ammesso(const char (&campo)[N]) {
    const std::string_view t = testo_campo(campo);
    return t.find('\n') == std::string_view::npos &&
           senza_cr_finali(t.data(), t.size()) == t.size();
}

template <std::size_t... N> bool tutti_ammessi(const char (&... campi)[N]) {
    return (testo_ammesso(campi) && ...);
}

} // namespace

bool valori_ammessi(const NODO_CONTRAVV& c) {
    return data_valida(c.data_verbale) && (!c.pagata || data_valida(c.data_pagamento)) &&
           importo_entro(c.importo, LARGHEZZA_IMPORTO);
}

bool valori_ammessi(const NODO_ANAGRAF& a) {
    return data_valida(a.data_nascita);
}

bool testi_ammessi(const NODO_CONTRAVV& c) {
    return tutti_ammessi(c.luogo, c.targa, c.tipo);
}

bool testi_ammessi(const NODO_ANAGRAF& a) {
    return tutti_ammessi(a.cognome, a.nome, a.indirizzo, a.citta, a.provincia, a.cap,
                         a.codice_fiscale, a.patente);
}

const char* campo_non_scrivibile(const NODO_CONTRAVV& c) {
    if (!data_entro_colonne(c.data_verbale))
        return "la data del verbale non entra nelle sue colonne del file";
    if (!importo_entro(c.importo, LARGHEZZA_IMPORTO))
        return "l'importo non entra nelle sue colonne del file";
    if (c.pagata && !data_entro_colonne(c.data_pagamento))
        return "la data di pagamento non entra nelle sue colonne del file";
    return nullptr;
}

const char* campo_non_scrivibile(const NODO_ANAGRAF& a) {
    if (!data_entro_colonne(a.data_nascita))
        return "la data di nascita non entra nelle sue colonne del file";
    return nullptr;
}
