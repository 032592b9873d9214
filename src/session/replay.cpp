// Replay: each change of the journal carried out again through the model's
// door, records found by their position through an index made once. Owners
// removed or merged are set aside, and their fines moved in one walk at the
// end of the replay, not in one walk each.
#include "session/replay.h"

#include "model/changes.h"
#include "model/lists.h"
#include "session/replay_index.h"

namespace {

// The places of both lists, for the whole replay.
struct INDICE {
    POSTI<NODO_CONTRAVV> multe;
    POSTI<NODO_ANAGRAF> persone;
};

// The owner a fine image or a merge names; false when it names one that is missing.
bool anagraf_indicata(INDICE& x, const MODIFICA& m, NODO_ANAGRAF*& a) {
    a = m.con_anagraf_di ? x.persone.trova(lista_anagraf, m.anagraf_di) : nullptr;
    return a != nullptr || !m.con_anagraf_di;
}

// The owner `a` leaves its list, removed (`altro` nullptr) or merged into `altro`.
void togli_persona(INDICE& x, NODO_ANAGRAF* a, NODO_ANAGRAF* altro) {
    NODO_ANAGRAF* prima = x.persone.prima_di(lista_anagraf, a);
    x.persone.tolto(a);
    accantona_anagraf(a, prima, altro);
}

bool applica(INDICE& x, const MODIFICA& m) {
    NODO_ANAGRAF* proprietario = nullptr;
    switch (m.tipo) {
    case TIPO_MODIFICA::CONTRAVV_AGGIUNTA: {
        if (!anagraf_indicata(x, m, proprietario)) return false;
        NODO_CONTRAVV* f = nuovo_contravv();
        if (f == nullptr) return false;
        *f = m.contravv;
        NODO_CONTRAVV* const coda = x.multe.coda(lista_contravv);
        aggiungi_record(f, proprietario, &coda);
        x.multe.aggiunto(f);
        return true;
    }
    case TIPO_MODIFICA::CONTRAVV_CAMBIATA: {
        NODO_CONTRAVV* f = x.multe.trova(lista_contravv, m.dove);
        if (f == nullptr || !anagraf_indicata(x, m, proprietario)) return false;
        applica_immagine(f, m.contravv, proprietario);
        return true;
    }
    case TIPO_MODIFICA::CONTRAVV_TOLTA: {
        NODO_CONTRAVV* f = x.multe.trova(lista_contravv, m.dove);
        if (f == nullptr) return false;
        NODO_CONTRAVV* prima = x.multe.prima_di(lista_contravv, f);
        NODO_ANAGRAF* suo = m.anche_anagraf ? proprietario_attuale(f) : nullptr;
        x.multe.tolto(f);
        elimina_contravv(f, prima, false);
        if (suo != nullptr) togli_persona(x, suo, nullptr);
        return true;
    }
    case TIPO_MODIFICA::ANAGRAF_AGGIUNTA: {
        NODO_ANAGRAF* a = nuovo_anagraf();
        if (a == nullptr) return false;
        *a = m.anagraf;
        NODO_ANAGRAF* const coda = x.persone.coda(lista_anagraf);
        aggiungi_record(a, &coda);
        x.persone.aggiunto(a);
        return true;
    }
    case TIPO_MODIFICA::ANAGRAF_CAMBIATA: {
        NODO_ANAGRAF* a = x.persone.trova(lista_anagraf, m.dove);
        if (a == nullptr) return false;
        modifica_dati(a, m.anagraf);
        return true;
    }
    case TIPO_MODIFICA::ANAGRAF_TOLTA: {
        NODO_ANAGRAF* a = x.persone.trova(lista_anagraf, m.dove);
        if (a == nullptr) return false;
        togli_persona(x, a, nullptr);
        return true;
    }
    case TIPO_MODIFICA::ANAGRAF_UNITA: {
        NODO_ANAGRAF* a = x.persone.trova(lista_anagraf, m.dove);
        if (a == nullptr || !anagraf_indicata(x, m, proprietario) || proprietario == a)
            return false;
        togli_persona(x, a, proprietario);
        return true;
    }
    }
    return false;
}

// The entries in order, each as one operation, up to the first not admitted.
bool riapplica_voci(INDICE& x, const std::vector<VOCE_GIORNALE>& voci, std::size_t& applicate,
                    long& escluse) {
    for (const VOCE_GIORNALE& v : voci) {
        if (escluse > 0 || !v.ammessa) {
            escluse += v.tipo == TIPO_VOCE::MODIFICHE ? 1 : 0;
            continue;
        }
        ++applicate;
        if (v.tipo != TIPO_VOCE::MODIFICHE) continue;
        apri_operazione();
        bool riuscita = true;
        for (const MODIFICA& m : v.modifiche)
            if (!(riuscita = applica(x, m))) break;
        chiudi_operazione();
        if (!riuscita) return false;
    }
    return true;
}

} // namespace

bool riapplica_giornale(const std::vector<VOCE_GIORNALE>& voci, std::size_t& applicate,
                        long& escluse) {
    applicate = 0;
    escluse = 0;
    INDICE x;
    x.multe.costruisci(lista_contravv);
    x.persone.costruisci(lista_anagraf);
    const bool riuscita = riapplica_voci(x, voci, applicate, escluse);
    sistema_accantonati(); // also after a failure: the lists consistent again
    return riuscita;
}
