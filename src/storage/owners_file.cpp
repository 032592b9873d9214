// Owner records as they stand in the owners file.
//
// Line by line: an empty line; the code; surname in 31 columns, a blank and
// the first name; the date of birth; address and city in 31 columns each,
// postal code in 5 and the province, separated by one blank; tax code;
// licence number; 88 underscores.
#include "storage/owners_file.h"

#include "model/lists.h"
#include "storage/columns.h"

namespace {

constexpr std::size_t LARGHEZZA_TESTO = 31;
constexpr std::size_t LARGHEZZA_CAP = 5;
constexpr std::string_view RIGA_FINE_ANAGRAF =
    "________________________________________________________________________________________";
static_assert(RIGA_FINE_ANAGRAF.size() == 88);

} // namespace

void scrivi_anagraf(std::string& out, const NODO_ANAGRAF& a) {
    out += '\n';
    out += std::to_string(a.codice);
    out += '\n';
    scrivi_a_sinistra(out, testo_campo(a.cognome), LARGHEZZA_TESTO);
    out += ' ';
    out += testo_campo(a.nome);
    out += '\n';
    scrivi_data(out, a.data_nascita);
    out += '\n';
    scrivi_a_sinistra(out, testo_campo(a.indirizzo), LARGHEZZA_TESTO);
    out += ' ';
    scrivi_a_sinistra(out, testo_campo(a.citta), LARGHEZZA_TESTO);
    out += ' ';
    scrivi_a_sinistra(out, testo_campo(a.cap), LARGHEZZA_CAP);
    out += ' ';
    out += testo_campo(a.provincia);
    out += '\n';
    out += testo_campo(a.codice_fiscale);
    out += '\n';
    out += testo_campo(a.patente);
    out += '\n';
    out += RIGA_FINE_ANAGRAF;
    out += '\n';
}

void leggi_anagraf(const RIGHE_RECORD& righe, NODO_ANAGRAF* a) {
    a->codice = valore_codice(righe[1]);
    testo_a_colonna(a->cognome, righe[2], 1);
    testo_a_colonna(a->nome, righe[2], 33);
    a->data_nascita = data_da_colonne(righe[3], 1);
    testo_a_colonna(a->indirizzo, righe[4], 1);
    testo_a_colonna(a->citta, righe[4], 33);
    std::string cap; // the padding blanks are dropped: the field holds digits only
    for (char c : colonne(righe[4], 65, LARGHEZZA_CAP))
        if (c != ' ') cap += c;
    copia_testo(a->cap, sizeof a->cap, cap);
    copia_testo(a->provincia, sizeof a->provincia, colonne(righe[4], 71, 2));
    copia_testo(a->codice_fiscale, sizeof a->codice_fiscale, righe[5]);
    copia_testo(a->patente, sizeof a->patente, righe[6]);
}

PROSSIMA_PARTE parti_anagrafica(const NODO_ANAGRAF* lista) {
    return [p = lista](std::string& blocco) mutable {
        if (p == nullptr) return false;
        scrivi_anagraf(blocco, *p);
        p = p->next;
        return true;
    };
}

int anagrafica_da_file(LETTURA_DATI& file, NODO_ANAGRAF*& lista, INDICE_ANAGRAF& indice) {
    NODO_ANAGRAF* ultimo = nullptr;
    RIGHE_RECORD righe;
    for (;;) {
        const LETTO letto = leggi_record(file, righe);
        if (letto == LETTO::ERRORE) return 1;
        if (letto == LETTO::FINE) {
            ordina_indice(indice);
            return 0;
        }
        NODO_ANAGRAF* a = nuovo_anagraf();
        if (a == nullptr) return -1;
        leggi_anagraf(righe, a);
        a->next = nullptr;
        (ultimo == nullptr ? lista : ultimo->next) = a;
        ultimo = a;
        annota_anagraf(indice, a);
    }
}
