// Replay: each change of the journal carried out again through the model's
// door, records found by their position through the door's index. Owners
// removed or merged are set aside, and their fines moved in one walk at the
// end of the replay, not in one walk each.
#include "session/replay.h"

#include "model/changes.h"
#include "model/lists.h"

namespace {

// The owner a fine image or a merge names; false when it names one that is missing.
bool anagraf_indicata(const MODIFICA& m, NODO_ANAGRAF*& a) {
    a = m.con_anagraf_di ? in_posizione(lista_anagraf, m.anagraf_di) : nullptr;
    return a != nullptr || !m.con_anagraf_di;
}

// The owner `a` leaves its list, removed (`altro` nullptr) or merged into `altro`.
void togli_persona(NODO_ANAGRAF* a, NODO_ANAGRAF* altro) {
    accantona_anagraf(a, precedente(a), altro);
}

bool applica(const MODIFICA& m, const POSTI_AGGIUNTE* posti) {
    NODO_ANAGRAF* proprietario = nullptr;
    switch (m.tipo) {
    case TIPO_MODIFICA::CONTRAVV_AGGIUNTA: {
        if (!anagraf_indicata(m, proprietario)) return false;
        NODO_CONTRAVV* f = nuovo_contravv();
        if (f == nullptr) return false;
        *f = m.contravv;
        if (posti != nullptr) {
            inserisci_record(f, proprietario, posti->contravv(*f));
        } else {
            aggiungi_record(f, proprietario);
        }
        return true;
    }
    case TIPO_MODIFICA::CONTRAVV_CAMBIATA: {
        NODO_CONTRAVV* f = in_posizione(lista_contravv, m.dove);
        if (f == nullptr || !anagraf_indicata(m, proprietario)) return false;
        applica_immagine(f, m.contravv, proprietario);
        return true;
    }
    case TIPO_MODIFICA::CONTRAVV_TOLTA: {
        NODO_CONTRAVV* f = in_posizione(lista_contravv, m.dove);
        if (f == nullptr) return false;
        NODO_ANAGRAF* suo = m.anche_anagraf ? proprietario_attuale(f) : nullptr;
        elimina_contravv(f, precedente(f), false);
        if (suo != nullptr) togli_persona(suo, nullptr);
        return true;
    }
    case TIPO_MODIFICA::ANAGRAF_AGGIUNTA: {
        NODO_ANAGRAF* a = nuovo_anagraf();
        if (a == nullptr) return false;
        *a = m.anagraf;
        if (posti != nullptr) {
            inserisci_record(a, posti->anagraf(*a));
        } else {
            aggiungi_record(a);
        }
        return true;
    }
    case TIPO_MODIFICA::ANAGRAF_CAMBIATA: {
        NODO_ANAGRAF* a = in_posizione(lista_anagraf, m.dove);
        if (a == nullptr) return false;
        modifica_dati(a, m.anagraf);
        return true;
    }
    case TIPO_MODIFICA::ANAGRAF_TOLTA: {
        NODO_ANAGRAF* a = in_posizione(lista_anagraf, m.dove);
        if (a == nullptr) return false;
        togli_persona(a, nullptr);
        return true;
    }
    case TIPO_MODIFICA::ANAGRAF_UNITA: {
        NODO_ANAGRAF* a = in_posizione(lista_anagraf, m.dove);
        if (a == nullptr || !anagraf_indicata(m, proprietario) || proprietario == a) return false;
        togli_persona(a, proprietario);
        return true;
    }
    }
    return false;
}

// The entries in order, each as one operation, up to the first not admitted.
bool riapplica_voci(const std::vector<VOCE_GIORNALE>& voci, std::size_t& applicate, long& escluse,
                    const POSTI_AGGIUNTE* posti) {
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
            if (!(riuscita = applica(m, posti))) break;
        chiudi_operazione();
        if (!riuscita) return false;
    }
    return true;
}

} // namespace

bool riapplica_giornale(const std::vector<VOCE_GIORNALE>& voci, std::size_t& applicate,
                        long& escluse, const POSTI_AGGIUNTE* posti) {
    applicate = 0;
    escluse = 0;
    const bool riuscita = riapplica_voci(voci, applicate, escluse, posti);
    sistema_accantonati(); // also after a failure: the lists consistent again
    return riuscita;
}
