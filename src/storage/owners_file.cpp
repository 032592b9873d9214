// Owner records as they stand in the owners file.
//
// Line by line: an empty line; the code; surname in 31 columns, a blank and
// the first name; the date of birth; address and city in 31 columns each,
// postal code in 5 and the province, separated by one blank; tax code;
// licence number; 88 underscores.
#include "storage/owners_file.h"

#include "model/lists.h"
#include "model/walk.h"
#include "storage/column_write.h"
#include "storage/columns.h"

namespace {

// Owners read between two calls of the caller's work on the side.
constexpr std::size_t PASSO_A_MARGINE = 512;

constexpr std::size_t LARGHEZZA_TESTO = 31;
constexpr std::size_t LARGHEZZA_CAP = 5;
constexpr std::string_view RIGA_FINE_ANAGRAF =
    "________________________________________________________________________________________";
static_assert(RIGA_FINE_ANAGRAF.size() == 88);

// Owners taken at a time when the owners file is written.
constexpr std::size_t GRUPPO_SCRITTURA = 64;

// Room for the longest record: every field at its widest, a text field
// whole (its padding is shorter).
constexpr std::size_t LUNGHEZZA_MAX_RECORD =
    1 + LARGHEZZA_MAX_NUMERO + 1 + sizeof(NODO_ANAGRAF::cognome) + 1 + sizeof(NODO_ANAGRAF::nome) +
    1 + LARGHEZZA_MAX_DATA + 1 + sizeof(NODO_ANAGRAF::indirizzo) + 1 + sizeof(NODO_ANAGRAF::citta) +
    1 + sizeof(NODO_ANAGRAF::cap) + 1 + sizeof(NODO_ANAGRAF::provincia) + 1 +
    sizeof(NODO_ANAGRAF::codice_fiscale) + 1 + sizeof(NODO_ANAGRAF::patente) + 1 +
    RIGA_FINE_ANAGRAF.size() + 1;
static_assert(sizeof(NODO_ANAGRAF::cognome) >= LARGHEZZA_TESTO &&
              sizeof(NODO_ANAGRAF::indirizzo) >= LARGHEZZA_TESTO &&
              sizeof(NODO_ANAGRAF::citta) >= LARGHEZZA_TESTO &&
              sizeof(NODO_ANAGRAF::cap) >= LARGHEZZA_CAP);

char* scrivi_righe(char* p, const NODO_ANAGRAF& a) {
    *p++ = '\n';
    p = scrivi_numero(p, a.codice);
    *p++ = '\n';
    p = scrivi_a_sinistra(p, testo_campo(a.cognome), LARGHEZZA_TESTO);
    *p++ = ' ';
    p = scrivi_testo(p, testo_campo(a.nome));
    *p++ = '\n';
    p = scrivi_data(p, a.data_nascita);
    *p++ = '\n';
    p = scrivi_a_sinistra(p, testo_campo(a.indirizzo), LARGHEZZA_TESTO);
    *p++ = ' ';
    p = scrivi_a_sinistra(p, testo_campo(a.citta), LARGHEZZA_TESTO);
    *p++ = ' ';
    p = scrivi_a_sinistra(p, testo_campo(a.cap), LARGHEZZA_CAP);
    *p++ = ' ';
    p = scrivi_testo(p, testo_campo(a.provincia));
    *p++ = '\n';
    p = scrivi_testo(p, testo_campo(a.codice_fiscale));
    *p++ = '\n';
    p = scrivi_testo(p, testo_campo(a.patente));
    *p++ = '\n';
    p = scrivi_testo(p, RIGA_FINE_ANAGRAF);
    *p++ = '\n';
    return p;
}

// The fields of an owner from its lines, exactly as the reader takes
// them. True when every value was read as it was meant (see
// forma_anagraf). `con_nul` false when the record is known to hold no NUL
// byte.
bool leggi_campi(const RIGHE_RECORD& righe, NODO_ANAGRAF* a, bool con_nul) {
    bool codice = false;
    a->codice = valore_codice(righe[1], codice);
    testo_a_colonna(a->cognome, righe[2], 1, con_nul);
    testo_a_colonna(a->nome, righe[2], 33, con_nul);
    a->data_nascita = data_da_colonne(righe[3], 1);
    testo_a_colonna(a->indirizzo, righe[4], 1, con_nul);
    testo_a_colonna(a->citta, righe[4], 33, con_nul);
    char cap[LARGHEZZA_CAP]; // the padding blanks are dropped: the field holds digits only
    std::size_t n = 0;
    for (char c : colonne(righe[4], 65, LARGHEZZA_CAP))
        if (c != ' ') cap[n++] = c;
    copia_testo(a->cap, sizeof a->cap, std::string_view(cap, n), con_nul);
    copia_testo(a->provincia, sizeof a->provincia, colonne(righe[4], 71, 2), con_nul);
    copia_testo(a->codice_fiscale, sizeof a->codice_fiscale, righe[5], con_nul);
    copia_testo(a->patente, sizeof a->patente, righe[6], con_nul);
    return codice && anno_in_quattro_cifre(righe[3], 1) && valori_ammessi(*a);
}

} // namespace

bool forma_anagraf(const RIGHE_RECORD& righe) {
    NODO_ANAGRAF a{};
    return leggi_campi(righe, &a, true);
}

PROSSIMA_PARTE parti_anagrafica(const NODO_ANAGRAF* lista, FUORI_LAYOUT& fuori) {
    return [p = lista, &fuori](std::string& blocco) mutable {
        if (p == nullptr) return false;
        char buf[GRUPPO_SCRITTURA * LUNGHEZZA_MAX_RECORD];
        char* fine = buf;
        for (std::size_t n = 0; p != nullptr && n < GRUPPO_SCRITTURA; p = seguente(p), ++n) {
            if ((fuori.motivo = campo_non_scrivibile(*p)) != nullptr) {
                fuori.anagraf = p;
                throw RECORD_FUORI_LAYOUT{};
            }
            fine = scrivi_righe(fine, *p);
        }
        blocco.append(buf, static_cast<std::size_t>(fine - buf));
        return true;
    };
}

int anagrafica_da_file(LETTURA_DATI& file, NODO_ANAGRAF*& lista, CODICI_LETTI& codici,
                       const std::atomic<bool>& fermo, void (*a_margine)()) {
    NODO_ANAGRAF* ultimo = nullptr;
    RIGHE_RECORD righe;
    bool con_nul = true;
    for (;;) {
        if (fermo.load(std::memory_order_relaxed)) return LETTURA_INTERROTTA;
        const LETTO letto = leggi_record(file, righe, con_nul);
        if (letto != LETTO::RECORD) return letto == LETTO::FINE ? 0 : 1;
        NODO_ANAGRAF* a = nuovo_anagraf();
        if (a == nullptr) return -1;
        annota_forma(codici.forma, leggi_campi(righe, a, con_nul));
        (ultimo == nullptr ? lista : ultimo->next) = a;
        ultimo = a;
        ++codici.quanti;
        if (a_margine != nullptr && codici.quanti % PASSO_A_MARGINE == 0) a_margine();
        if (a->codice > codici.massimo) codici.massimo = a->codice;
    }
}
