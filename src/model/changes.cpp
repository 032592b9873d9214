// The door through which the lists change: each function keeps the links
// consistent and adds its change to the group of the operation under way,
// reported to the journal's listener when the operation closes.
#include "model/changes.h"

#include <new>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

#include "model/lists.h"
#include "model/walk.h"

namespace {

ASCOLTATORE_MODIFICHE ascoltatore = nullptr;
OSSERVATORE_PRIMA osservatore = nullptr;
std::vector<MODIFICA> gruppo;            // changes of the operation under way
bool gruppo_aperto = false;              // a change was made since the last report
bool gruppo_completo = true;             // every change of the group could be noted
int profondita = 0;                      // operations open, nested
long operazioni_non_salvate = 0;         // operations completed since the last save
NODO_CONTRAVV* bozza_contravv = nullptr; // the fine whose form is being filled
NODO_ANAGRAF* bozza_anagraf = nullptr;   // the owner whose form is being filled
bool numeri_unici = true;
bool codici_unici = true;
// Owners out of their list whose fines still point to them, each with the
// owner they were merged into (nullptr: removed).
std::unordered_map<NODO_ANAGRAF*, NODO_ANAGRAF*> accantonati;

uint32_t id(const NODO_CONTRAVV* f) {
    return f->numero;
}
uint32_t id(const NODO_ANAGRAF* a) {
    return a->codice;
}

template <class N> POSIZIONE posizione_in(N* lista, const N* p, bool unici) {
    POSIZIONE pos{id(p), 0};
    if (unici) return pos;
    for (const N* q = lista; q != nullptr && q != p; q = seguente(q))
        if (id(q) == pos.id) ++pos.ordine;
    return pos;
}

template <class N> N* cerca_posizione(N* lista, POSIZIONE pos) {
    uint32_t visti = 0;
    for (N* q = lista; q != nullptr; q = seguente(q))
        if (id(q) == pos.id && visti++ == pos.ordine) return q;
    return nullptr;
}

// The record as it stands before a change, to whoever keeps it.
void prima(const NODO_CONTRAVV* f) {
    if (osservatore != nullptr && ascoltatore != nullptr && f != bozza_contravv)
        osservatore(f, nullptr);
}
void prima(const NODO_ANAGRAF* a) {
    if (osservatore != nullptr && ascoltatore != nullptr && a != bozza_anagraf)
        osservatore(nullptr, a);
}

// The image of a record without its links.
NODO_CONTRAVV immagine(const NODO_CONTRAVV* f) {
    NODO_CONTRAVV c = *f;
    c.anagraf = nullptr;
    c.next = nullptr;
    return c;
}
NODO_ANAGRAF immagine(const NODO_ANAGRAF* a) {
    NODO_ANAGRAF c = *a;
    c.next = nullptr;
    return c;
}

// Reports the group when no operation encloses this change any more.
void chiudi_se_esterno() {
    if (profondita > 0 || !gruppo_aperto) return;
    ++operazioni_non_salvate;
    if (ascoltatore != nullptr) ascoltatore(gruppo, gruppo_completo);
    gruppo.clear();
    gruppo_aperto = false;
    gruppo_completo = true;
}

void annota(const MODIFICA& m) {
    gruppo_aperto = true;
    if (ascoltatore != nullptr) {
        try {
            gruppo.push_back(m);
        } catch (const std::bad_alloc&) {
            gruppo_completo = false; // the listener is told the group is not whole
        }
    }
    chiudi_se_esterno();
}

MODIFICA modifica_contravv(TIPO_MODIFICA tipo, const NODO_CONTRAVV* f) {
    MODIFICA m;
    m.tipo = tipo;
    m.contravv = immagine(f);
    if (f->con_anagraf && f->anagraf != nullptr) {
        m.con_anagraf_di = true;
        m.anagraf_di = posizione(f->anagraf);
    }
    return m;
}

// The fine's image after a change, unless it is a draft.
void annota_contravv(const NODO_CONTRAVV* f) {
    if (f == bozza_contravv) return;
    MODIFICA m = modifica_contravv(TIPO_MODIFICA::CONTRAVV_CAMBIATA, f);
    m.dove = posizione(f);
    annota(m);
}

// A fine left without owner data, and so unpaid.
void senza_proprietario(NODO_CONTRAVV* f) {
    f->con_anagraf = false;
    f->anagraf = nullptr;
    f->pagata = false;
    f->data_pagamento = DATA{0, 0, 0};
}

// Takes the owner `a` out of its list and moves each fine that points to it
// to `verso`, keeping its payment, or, with `verso` nullptr, leaves it
// without owner data and unpaid; then frees `a`. False, changing nothing,
// when `a` is not in the list. The owners' walk, to unlink it, runs on a
// thread of its own beside the fines' walk: on a large archive the two
// take the time of the longer one. Fines point only to owners of the list,
// so that the fines' walk changes nothing when `a` is not there.
bool togli_persona(NODO_ANAGRAF* a, NODO_ANAGRAF* verso) {
    bool tolto = false;
    std::thread owners;
    try {
        owners = std::thread([&] { tolto = sgancia(lista_anagraf, a); });
    } catch (const std::system_error&) {
        tolto = sgancia(lista_anagraf, a); // one after the other
    }
    for (NODO_CONTRAVV* f = lista_contravv; f != nullptr; f = seguente(f)) {
        if (f->anagraf != a) continue;
        prima(f);
        if (verso != nullptr) {
            f->anagraf = verso;
        } else {
            senza_proprietario(f);
        }
    }
    if (owners.joinable()) owners.join();
    if (!tolto) return false;
    if (a == bozza_anagraf) bozza_anagraf = nullptr;
    libera_anagraf(a);
    return true;
}

// Where the fines of an owner set aside end: the last owner of its chain
// of merges, or nullptr when the chain ends in a removal.
NODO_ANAGRAF* fine_catena(NODO_ANAGRAF* a) {
    for (;;) {
        const auto it = accantonati.find(a);
        if (it == accantonati.end()) return a;
        a = it->second;
    }
}

void libera_accantonati() {
    for (const auto& [a, altro] : accantonati) libera_anagraf(a);
    accantonati.clear();
}

} // namespace

void ascolta_modifiche(ASCOLTATORE_MODIFICHE a) {
    ascoltatore = a;
}

void osserva_prima(OSSERVATORE_PRIMA o) {
    osservatore = o;
}

void apri_operazione() {
    ++profondita;
}

void chiudi_operazione() {
    if (profondita > 0) --profondita;
    chiudi_se_esterno();
}

long modifiche_non_salvate() {
    return operazioni_non_salvate;
}

void modifiche_salvate() {
    operazioni_non_salvate = 0;
}

void installa_liste(NODO_CONTRAVV* contravv, NODO_ANAGRAF* anagraf, bool n_unici, bool c_unici) {
    libera_liste();
    libera_accantonati();
    lista_contravv = contravv;
    lista_anagraf = anagraf;
    numeri_unici = n_unici;
    codici_unici = c_unici;
    bozza_contravv = nullptr;
    bozza_anagraf = nullptr;
    gruppo.clear();
    gruppo_aperto = false;
    gruppo_completo = true;
    profondita = 0;
    operazioni_non_salvate = 0;
}

LISTE_TOLTE togli_liste() {
    const LISTE_TOLTE tolte{lista_contravv, lista_anagraf, numeri_unici, codici_unici,
                            operazioni_non_salvate};
    lista_contravv = nullptr;
    lista_anagraf = nullptr;
    installa_liste(nullptr, nullptr, true, true);
    return tolte;
}

void rimetti_liste(const LISTE_TOLTE& liste) {
    installa_liste(liste.contravv, liste.anagraf, liste.numeri_unici, liste.codici_unici);
    operazioni_non_salvate = liste.non_salvate;
}

void accoda_bozza(NODO_CONTRAVV* f, NODO_CONTRAVV* coda) {
    accoda_dopo(lista_contravv, coda, f);
    bozza_contravv = f;
}

void accoda_bozza(NODO_ANAGRAF* a, NODO_ANAGRAF* coda) {
    accoda_dopo(lista_anagraf, coda, a);
    bozza_anagraf = a;
}

void conferma_bozza(NODO_CONTRAVV* f) {
    if (f == bozza_contravv) bozza_contravv = nullptr;
    annota(modifica_contravv(TIPO_MODIFICA::CONTRAVV_AGGIUNTA, f));
}

void conferma_bozza(NODO_ANAGRAF* a) {
    if (a == bozza_anagraf) bozza_anagraf = nullptr;
    MODIFICA m;
    m.tipo = TIPO_MODIFICA::ANAGRAF_AGGIUNTA;
    m.anagraf = immagine(a);
    annota(m);
}

void scarta_bozza(NODO_ANAGRAF* a) {
    togli_persona(a, nullptr);
}

void modifica_dati(NODO_CONTRAVV* f, const NODO_CONTRAVV& n) {
    prima(f);
    f->data_verbale = n.data_verbale;
    copia_campo(f->luogo, n.luogo);
    copia_campo(f->targa, n.targa);
    copia_campo(f->tipo, n.tipo);
    f->importo = n.importo;
    annota_contravv(f);
}

void modifica_dati(NODO_ANAGRAF* a, const NODO_ANAGRAF& n) {
    prima(a);
    copia_campo(a->cognome, n.cognome);
    copia_campo(a->nome, n.nome);
    a->data_nascita = n.data_nascita;
    copia_campo(a->indirizzo, n.indirizzo);
    copia_campo(a->citta, n.citta);
    copia_campo(a->provincia, n.provincia);
    copia_campo(a->cap, n.cap);
    copia_campo(a->codice_fiscale, n.codice_fiscale);
    copia_campo(a->patente, n.patente);
    if (a == bozza_anagraf) return;
    MODIFICA m;
    m.tipo = TIPO_MODIFICA::ANAGRAF_CAMBIATA;
    m.dove = posizione(a);
    m.anagraf = immagine(a);
    annota(m);
}

void collega_anagraf(NODO_CONTRAVV* f, NODO_ANAGRAF* a) {
    prima(f);
    if (a == nullptr) {
        senza_proprietario(f);
    } else {
        f->anagraf = a;
        f->con_anagraf = true;
    }
    annota_contravv(f);
}

bool registra_pagamento(NODO_CONTRAVV* f, DATA data) {
    if (!f->con_anagraf) return false;
    prima(f);
    f->pagata = true;
    f->data_pagamento = data;
    annota_contravv(f);
    return true;
}

void annulla_pagamento(NODO_CONTRAVV* f) {
    prima(f);
    f->pagata = false;
    f->data_pagamento = DATA{0, 0, 0};
    annota_contravv(f);
}

void elimina_contravv(NODO_CONTRAVV* f, NODO_CONTRAVV* prima, bool anche_anagraf) {
    ::prima(f);
    MODIFICA m;
    m.tipo = TIPO_MODIFICA::CONTRAVV_TOLTA;
    m.dove = posizione(f);
    m.anche_anagraf = anche_anagraf && f->con_anagraf && f->anagraf != nullptr;
    NODO_ANAGRAF* a = m.anche_anagraf ? f->anagraf : nullptr;
    if (a != nullptr) ::prima(a);
    // Unlinked before its owner goes, so that detaching the owner's fines
    // never meets the fine being deleted.
    (prima == nullptr ? lista_contravv : prima->next) = f->next;
    f->next = nullptr;
    if (a != nullptr) togli_persona(a, nullptr);
    if (f == bozza_contravv) bozza_contravv = nullptr;
    libera_contravv(f);
    annota(m);
}

bool elimina_anagraf(NODO_ANAGRAF* a) {
    MODIFICA m;
    m.tipo = TIPO_MODIFICA::ANAGRAF_TOLTA;
    m.dove = posizione(a);
    prima(a);
    if (!togli_persona(a, nullptr)) return false;
    annota(m);
    return true;
}

void unisci_anagraf(NODO_ANAGRAF* a, NODO_ANAGRAF* altro) {
    MODIFICA m;
    m.tipo = TIPO_MODIFICA::ANAGRAF_UNITA;
    m.dove = posizione(a);
    m.con_anagraf_di = true;
    m.anagraf_di = posizione(altro);
    prima(a);
    prima(altro);
    if (togli_persona(a, altro)) annota(m);
}

POSIZIONE posizione(const NODO_CONTRAVV* f) {
    return posizione_in(lista_contravv, f, numeri_unici);
}
POSIZIONE posizione(const NODO_ANAGRAF* a) {
    return posizione_in(lista_anagraf, a, codici_unici);
}
NODO_CONTRAVV* in_posizione(NODO_CONTRAVV* lista, POSIZIONE p) {
    return cerca_posizione(lista, p);
}
NODO_ANAGRAF* in_posizione(NODO_ANAGRAF* lista, POSIZIONE p) {
    return cerca_posizione(lista, p);
}

void aggiungi_record(NODO_CONTRAVV* f, NODO_ANAGRAF* anagraf, NODO_CONTRAVV* const* coda) {
    f->anagraf = anagraf;
    f->con_anagraf = anagraf != nullptr;
    if (coda != nullptr) {
        accoda_dopo(lista_contravv, *coda, f);
    } else {
        accoda(lista_contravv, f);
    }
    annota(modifica_contravv(TIPO_MODIFICA::CONTRAVV_AGGIUNTA, f));
}

void aggiungi_record(NODO_ANAGRAF* a, NODO_ANAGRAF* const* coda) {
    if (coda != nullptr) {
        accoda_dopo(lista_anagraf, *coda, a);
    } else {
        accoda(lista_anagraf, a);
    }
    conferma_bozza(a);
}

void applica_immagine(NODO_CONTRAVV* f, const NODO_CONTRAVV& i, NODO_ANAGRAF* anagraf) {
    prima(f);
    NODO_CONTRAVV* next = f->next;
    *f = i;
    f->next = next;
    f->anagraf = anagraf;
    f->con_anagraf = anagraf != nullptr;
    annota_contravv(f);
}

void accantona_anagraf(NODO_ANAGRAF* a, NODO_ANAGRAF* prima, NODO_ANAGRAF* altro) {
    try {
        accantonati.emplace(a, altro);
    } catch (const std::bad_alloc&) {
        if (altro != nullptr) {
            unisci_anagraf(a, altro);
        } else {
            elimina_anagraf(a);
        }
        return;
    }
    ::prima(a);
    if (altro != nullptr) ::prima(altro);
    MODIFICA m;
    m.tipo = altro != nullptr ? TIPO_MODIFICA::ANAGRAF_UNITA : TIPO_MODIFICA::ANAGRAF_TOLTA;
    m.dove = posizione(a);
    m.con_anagraf_di = altro != nullptr;
    if (altro != nullptr) m.anagraf_di = posizione(altro);
    (prima == nullptr ? lista_anagraf : prima->next) = a->next;
    a->next = nullptr;
    annota(m);
}

NODO_ANAGRAF* proprietario_attuale(const NODO_CONTRAVV* f) {
    if (!f->con_anagraf) return nullptr;
    return accantonati.empty() ? f->anagraf : fine_catena(f->anagraf);
}

void sistema_accantonati() {
    if (accantonati.empty()) return;
    for (NODO_CONTRAVV* f = lista_contravv; f != nullptr; f = seguente(f)) {
        if (!f->con_anagraf || accantonati.find(f->anagraf) == accantonati.end()) continue;
        NODO_ANAGRAF* a = fine_catena(f->anagraf);
        if (a != nullptr) {
            f->anagraf = a;
        } else {
            senza_proprietario(f);
        }
    }
    libera_accantonati();
}
