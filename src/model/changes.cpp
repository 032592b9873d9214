// The door through which the lists change: each function keeps the links
// consistent and adds its change to the group of the operation under way,
// reported to the journal's listener when the operation closes.
#include "model/changes.h"

#include <new>
#include <unordered_map>
#include <vector>

#include "model/lists.h"
#include "model/owner_data_index.h"
#include "model/record_index.h"
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

// The index of each list in use: given by the load or made in one walk
// when first needed, then kept by every change below. It is trusted only
// while the lists stand as the door left them: a change past the door (the
// list helpers used on the lists in use, a head replaced) is noticed at
// the next call, and the index made again. When memory for it runs out,
// every look-up walks the list, as before there was an index.
INDICE_ID<NODO_CONTRAVV> indice_c;
INDICE_ID<NODO_ANAGRAF> indice_a;
bool indici_buoni = false; // the indexes match the lists as they stood at `versione_indici`
uint64_t versione_indici = 0;
const NODO_CONTRAVV* testa_c = nullptr;
const NODO_ANAGRAF* testa_a = nullptr;

INDICE_ID<NODO_CONTRAVV>& indice_di(const NODO_CONTRAVV*) {
    return indice_c;
}
INDICE_ID<NODO_ANAGRAF>& indice_di(const NODO_ANAGRAF*) {
    return indice_a;
}
NODO_CONTRAVV*& lista_di(const NODO_CONTRAVV*) {
    return lista_contravv;
}
NODO_ANAGRAF*& lista_di(const NODO_ANAGRAF*) {
    return lista_anagraf;
}

// The owners by their nine data fields, over indice_a: made at the first
// check for an equal owner and kept from then on, while indice_a can carry
// it (dati_indicizzabili). Drafts enter it when confirmed.
INDICE_DATI indice_dati;
bool dati_buoni = false;

// The lists as they stand now are the ones the indexes describe.
void indici_allineati() {
    versione_indici = versione_liste();
    testa_c = lista_contravv;
    testa_a = lista_anagraf;
}

// Whether the indexes can be used, made again when the lists changed past them.
bool indici_pronti() {
    if (indici_buoni && versione_indici == versione_liste() && testa_c == lista_contravv &&
        testa_a == lista_anagraf)
        return true;
    dati_buoni = false;
    try {
        indicizza(indice_c, lista_contravv);
        indicizza(indice_a, lista_anagraf);
        indici_buoni = true;
        indici_allineati();
    } catch (const std::bad_alloc&) {
        azzera_indice(indice_c);
        azzera_indice(indice_a);
        indici_buoni = false;
    }
    return indici_buoni;
}

// Whether `lista` is a list in use with its index ready.
template <class N> bool indicizzata(const N* lista) {
    return lista == lista_di(lista) && indici_pronti();
}

// The index told of a record appended to its list, or about to be unlinked
// from it; when memory runs out, the index is given up until made again.
template <class N> void in_indice(N* r) {
    if (!indici_buoni) return;
    try {
        indice_aggiunto(indice_di(r), r);
    } catch (const std::bad_alloc&) {
        indici_buoni = false;
    }
}
// The owner `a` (not a draft) enters the data index, or leaves it.
void dati_dentro(const NODO_ANAGRAF* a) {
    if (!dati_buoni || a == bozza_anagraf) return;
    try {
        dati_buoni = dati_indicizzabili(indice_a) && dati_entrati(indice_dati, indice_a, a);
    } catch (const std::bad_alloc&) {
        dati_buoni = false;
    }
}
void dati_fuori(const NODO_ANAGRAF* a) {
    if (dati_buoni && a != bozza_anagraf) dati_buoni = dati_usciti(indice_dati, a);
}
void dati_fuori(const NODO_CONTRAVV*) {
}

template <class N> void fuori_indice(N* r, N* prima) {
    dati_fuori(r);
    if (!indici_buoni) return;
    try {
        indice_tolto(indice_di(r), r, prima);
    } catch (const std::bad_alloc&) {
        indici_buoni = false;
    }
}

// Unlinks `r` from its list, `prima` being the record before it (nullptr:
// it is the head).
template <class N> void sgancia_dopo(N* r, N* prima) {
    fuori_indice(r, prima);
    (prima == nullptr ? lista_di(r) : prima->next) = r->next;
    r->next = nullptr;
    if (indici_buoni) indici_allineati();
}

// Appends `r` to its list, after `coda` when given (its known tail), else
// after the tail the index knows, else after a walk.
template <class N> void accoda_indicizzato(N* r, N* const* coda) {
    N*& lista = lista_di(r);
    if (coda != nullptr) {
        accoda_dopo(lista, *coda, r);
    } else if (indicizzata(lista)) {
        accoda_dopo(lista, indice_di(r).coda, r);
    } else {
        accoda(lista, r);
    }
    in_indice(r);
    if (indici_buoni) indici_allineati();
}

// Links `r` after `prima`, not at the tail: the index takes it where the
// identifiers still rise there, and is made again at the next look-up
// otherwise.
template <class N> void inserisci_nel_mezzo(N* r, N* prima) {
    const bool pronti = indici_pronti();
    inserisci_dopo(lista_di(r), prima, r);
    try {
        if (pronti && indice_inserito(indice_di(r), r, prima)) {
            indici_allineati();
            return;
        }
    } catch (const std::bad_alloc&) {
    }
    indici_buoni = false;
    dati_buoni = false;
}

// Whether `r` stands in its list; if so, the record before it in `prima`.
template <class N> bool nella_lista(N* r, N*& prima) {
    N* lista = lista_di(r);
    prima = nullptr;
    if (indicizzata(lista) && indice_di(r).unici) {
        if (indice_trova(indice_di(r), identificativo(r)) != r) return false;
        prima = indice_prima(indice_di(r), lista, r);
        return true;
    }
    for (N* q = lista; q != nullptr; prima = q, q = seguente(q))
        if (q == r) return true;
    prima = nullptr;
    return false;
}

// The record before `r` in its list (nullptr for the head).
template <class N> N* prima_nella_lista(const N* r) {
    N* lista = lista_di(r);
    if (indicizzata(lista)) return indice_prima(indice_di(r), lista, r);
    N* prima = nullptr;
    for (N* q = lista; q != nullptr && q != r; q = seguente(q)) prima = q;
    return prima;
}

template <class N> POSIZIONE posizione_in(N* lista, const N* p, bool unici) {
    POSIZIONE pos{identificativo(p), 0};
    if (indicizzata(lista) ? indice_di(p).unici : unici) return pos;
    for (const N* q = lista; q != nullptr && q != p; q = seguente(q))
        if (identificativo(q) == pos.id) ++pos.ordine;
    return pos;
}

template <class N> N* cerca_posizione(N* lista, POSIZIONE pos) {
    if (indicizzata(lista) && indice_di(lista).unici)
        return pos.ordine == 0 ? indice_trova(indice_di(lista), pos.id) : nullptr;
    uint32_t visti = 0;
    for (N* q = lista; q != nullptr; q = seguente(q))
        if (identificativo(q) == pos.id && visti++ == pos.ordine) return q;
    return nullptr;
}

std::optional<uint32_t> nuovo_id(NODO_CONTRAVV* lista, NODO_CONTRAVV** coda) {
    return nuovo_numero(lista, coda);
}
std::optional<uint32_t> nuovo_id(NODO_ANAGRAF* lista, NODO_ANAGRAF** coda) {
    return nuovo_codice(lista, coda);
}

template <class N> N* cerca_id(N* lista, unsigned long id, N** prima) {
    if (!indicizzata(lista)) {
        N* p = nullptr;
        N* r = lista;
        for (; r != nullptr && identificativo(r) != id; p = r, r = seguente(r)) {
        }
        if (prima != nullptr) *prima = r == nullptr ? nullptr : p;
        return r;
    }
    N* r = indice_trova(indice_di(lista), id);
    if (prima != nullptr)
        *prima = r == nullptr ? nullptr : indice_prima(indice_di(lista), lista, r);
    return r;
}

template <class N> std::optional<uint32_t> id_nuovo(N* lista, N** coda) {
    if (!indicizzata(lista)) return nuovo_id(lista, coda);
    INDICE_ID<N>& x = indice_di(lista);
    if (coda != nullptr) *coda = x.coda;
    if (x.coda == nullptr) return 1;
    const uint64_t candidato = uint64_t{identificativo(x.coda)} + 1;
    const uint64_t scelto =
        indice_trova(x, candidato) == nullptr ? candidato : uint64_t{indice_massimo(x, lista)} + 1;
    if (scelto > UINT32_MAX) return std::nullopt;
    return static_cast<uint32_t>(scelto);
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
// when `a` is not in the list. `senza_multe`: no fine points to it (a
// draft), so that the fines are not walked.
bool togli_persona(NODO_ANAGRAF* a, NODO_ANAGRAF* verso, bool senza_multe = false) {
    NODO_ANAGRAF* precedente = nullptr;
    if (!nella_lista(a, precedente)) return false;
    for (NODO_CONTRAVV* f = senza_multe ? nullptr : lista_contravv; f != nullptr;
         f = seguente(f)) {
        if (f->anagraf != a) continue;
        prima(f);
        if (verso != nullptr) {
            f->anagraf = verso;
        } else {
            senza_proprietario(f);
        }
    }
    sgancia_dopo(a, precedente);
    if (a == bozza_anagraf) bozza_anagraf = nullptr;
    libera_anagraf(a);
    if (indici_buoni) indici_allineati();
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
    if (indici_buoni) indici_allineati(); // none of them was in a list
}

} // namespace

void ascolta_modifiche(ASCOLTATORE_MODIFICHE a) {
    ascoltatore = a;
}

void osserva_prima(OSSERVATORE_PRIMA o) {
    osservatore = o;
}

ASCOLTATORE_MODIFICHE ascoltatore_modifiche() {
    return ascoltatore;
}

OSSERVATORE_PRIMA osservatore_prima() {
    return osservatore;
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
    indici_buoni = false; // made at the first look-up
    dati_buoni = false;
    azzera_indice(indice_c);
    azzera_indice(indice_a);
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

void installa_liste(NODO_CONTRAVV* contravv, NODO_ANAGRAF* anagraf, bool n_unici, bool c_unici,
                    INDICE_ID<NODO_CONTRAVV>&& ic, INDICE_ID<NODO_ANAGRAF>&& ia) {
    installa_liste(contravv, anagraf, n_unici, c_unici);
    indice_c = std::move(ic);
    indice_a = std::move(ia);
    indici_buoni = true;
    indici_allineati();
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
    indici_pronti();
    accoda_indicizzato(f, &coda);
    bozza_contravv = f;
}

void accoda_bozza(NODO_ANAGRAF* a, NODO_ANAGRAF* coda) {
    indici_pronti();
    accoda_indicizzato(a, &coda);
    bozza_anagraf = a;
}

void conferma_bozza(NODO_CONTRAVV* f) {
    if (f == bozza_contravv) bozza_contravv = nullptr;
    annota(modifica_contravv(TIPO_MODIFICA::CONTRAVV_AGGIUNTA, f));
}

void conferma_bozza(NODO_ANAGRAF* a) {
    if (a == bozza_anagraf) bozza_anagraf = nullptr;
    dati_dentro(a);
    MODIFICA m;
    m.tipo = TIPO_MODIFICA::ANAGRAF_AGGIUNTA;
    m.anagraf = immagine(a);
    annota(m);
}

void scarta_bozza(NODO_ANAGRAF* a) {
    indici_pronti();
    togli_persona(a, nullptr, true);
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
    dati_fuori(a);
    copia_campo(a->cognome, n.cognome);
    copia_campo(a->nome, n.nome);
    a->data_nascita = n.data_nascita;
    copia_campo(a->indirizzo, n.indirizzo);
    copia_campo(a->citta, n.citta);
    copia_campo(a->provincia, n.provincia);
    copia_campo(a->cap, n.cap);
    copia_campo(a->codice_fiscale, n.codice_fiscale);
    copia_campo(a->patente, n.patente);
    dati_dentro(a);
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
    indici_pronti();
    ::prima(f);
    MODIFICA m;
    m.tipo = TIPO_MODIFICA::CONTRAVV_TOLTA;
    m.dove = posizione(f);
    m.anche_anagraf = anche_anagraf && f->con_anagraf && f->anagraf != nullptr;
    NODO_ANAGRAF* a = m.anche_anagraf ? f->anagraf : nullptr;
    if (a != nullptr) ::prima(a);
    // Unlinked before its owner goes, so that detaching the owner's fines
    // never meets the fine being deleted.
    sgancia_dopo(f, prima);
    if (a != nullptr) togli_persona(a, nullptr);
    if (f == bozza_contravv) bozza_contravv = nullptr;
    libera_contravv(f);
    if (indici_buoni) indici_allineati();
    annota(m);
}

bool elimina_anagraf(NODO_ANAGRAF* a) {
    MODIFICA m;
    m.tipo = TIPO_MODIFICA::ANAGRAF_TOLTA;
    m.dove = posizione(a);
    prima(a);
    indici_pronti();
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
    indici_pronti();
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
    indici_pronti();
    accoda_indicizzato(f, coda);
    annota(modifica_contravv(TIPO_MODIFICA::CONTRAVV_AGGIUNTA, f));
}

void aggiungi_record(NODO_ANAGRAF* a, NODO_ANAGRAF* const* coda) {
    indici_pronti();
    accoda_indicizzato(a, coda);
    conferma_bozza(a);
}

void inserisci_record(NODO_CONTRAVV* f, NODO_ANAGRAF* anagraf, NODO_CONTRAVV* dopo) {
    if (dopo == ultima_contravv()) {
        aggiungi_record(f, anagraf, &dopo);
        return;
    }
    f->anagraf = anagraf;
    f->con_anagraf = anagraf != nullptr;
    inserisci_nel_mezzo(f, dopo);
    annota(modifica_contravv(TIPO_MODIFICA::CONTRAVV_AGGIUNTA, f));
}

void inserisci_record(NODO_ANAGRAF* a, NODO_ANAGRAF* dopo) {
    if (dopo == ultima_anagraf()) {
        aggiungi_record(a, &dopo);
        return;
    }
    inserisci_nel_mezzo(a, dopo);
    conferma_bozza(a);
}

void applica_immagine(NODO_CONTRAVV* f, const NODO_CONTRAVV& i, NODO_ANAGRAF* anagraf) {
    prima(f);
    NODO_CONTRAVV* next = f->next;
    if (i.numero != f->numero) indici_buoni = false; // made again at the next look-up
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
    indici_pronti();
    sgancia_dopo(a, prima);
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

NODO_CONTRAVV* trova_numero(NODO_CONTRAVV* lista, unsigned long numero, NODO_CONTRAVV** prima) {
    return cerca_id(lista, numero, prima);
}
NODO_ANAGRAF* trova_codice(NODO_ANAGRAF* lista, unsigned long codice, NODO_ANAGRAF** prima) {
    return cerca_id(lista, codice, prima);
}

NODO_CONTRAVV* precedente(const NODO_CONTRAVV* f) {
    return prima_nella_lista(f);
}
NODO_ANAGRAF* precedente(const NODO_ANAGRAF* a) {
    return prima_nella_lista(a);
}

std::optional<uint32_t> numero_nuovo(NODO_CONTRAVV* lista, NODO_CONTRAVV** coda) {
    return id_nuovo(lista, coda);
}
std::optional<uint32_t> codice_nuovo(NODO_ANAGRAF* lista, NODO_ANAGRAF** coda) {
    return id_nuovo(lista, coda);
}

NODO_CONTRAVV* ultima_contravv() {
    return indicizzata(lista_contravv) ? indice_c.coda : coda(lista_contravv);
}
NODO_ANAGRAF* ultima_anagraf() {
    return indicizzata(lista_anagraf) ? indice_a.coda : coda(lista_anagraf);
}

NODO_ANAGRAF* anagraf_uguale(NODO_ANAGRAF* p) {
    if (indicizzata(lista_anagraf) && dati_indicizzabili(indice_a)) {
        if (!dati_buoni) {
            try {
                indicizza_dati(indice_dati, indice_a, lista_anagraf, bozza_anagraf);
                dati_buoni = true;
            } catch (const std::bad_alloc&) {
                indice_dati = INDICE_DATI{};
            }
        }
        if (dati_buoni) return dati_uguali(indice_dati, indice_a, p);
    }
    for (NODO_ANAGRAF* q = lista_anagraf; q != nullptr; q = seguente(q))
        if (q != p && stessi_dati(q, p)) return q;
    return nullptr;
}
