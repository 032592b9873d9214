// The recovery measure of the benchmark.
#include "recovery.h"

#include <algorithm>
#include <fstream>
#include <unistd.h>
#include <unordered_set>

#include "measures.h"
#include "model/changes.h"
#include "model/lists.h"
#include "register/register.h"
#include "session/archive.h"
#include "session/names.h"
#include "session/journal.h"
#include "storage/file_identity.h"
#include "storage/journal_format.h"

namespace {

// The journal's operations, spread along the list of fines: the amount of
// a fine changed; every tenth a fine recorded; every fiftieth a fine
// deleted with its owner, whose other fines are then without owner.
std::string giornale_di(const std::string& file_c, const std::string& file_a,
                        std::size_t operazioni) {
    VOCE_GIORNALE inizio;
    inizio.tipo = TIPO_VOCE::INIZIO;
    inizio.file_c = file_c;
    inizio.file_a = file_a;
    inizio.id_c = identita_file(file_c.c_str());
    inizio.id_a = identita_file(file_a.c_str());
    std::string g(INTESTAZIONE_GIORNALE);
    codifica_voce(inizio, g);
    std::vector<const NODO_CONTRAVV*> multe;
    for (const NODO_CONTRAVV* f = lista_contravv; f != nullptr; f = f->next) multe.push_back(f);
    if (multe.empty()) return g;
    uint32_t prossimo = multe.back()->numero + 1;
    std::unordered_set<const NODO_ANAGRAF*> tolti;
    // The fines picked are distinct (7919 is a prime) unless they are fewer
    // than the operations or a multiple of it: then none is deleted.
    const bool distinte = operazioni <= multe.size() && multe.size() % 7919 != 0;
    for (std::size_t i = 0; i < operazioni; ++i) {
        const NODO_CONTRAVV* f = multe[(i * 7919) % multe.size()];
        MODIFICA m;
        m.contravv = *f;
        m.contravv.next = nullptr;
        m.contravv.anagraf = nullptr;
        m.con_anagraf_di = f->con_anagraf && f->anagraf != nullptr && !tolti.contains(f->anagraf);
        if (m.con_anagraf_di) {
            m.anagraf_di = POSIZIONE{f->anagraf->codice, 0};
        } else {
            m.contravv.con_anagraf = false;
            m.contravv.pagata = false;
            m.contravv.data_pagamento = DATA{0, 0, 0};
        }
        if (distinte && i % 50 == 49) {
            m.tipo = TIPO_MODIFICA::CONTRAVV_TOLTA;
            m.dove = POSIZIONE{f->numero, 0};
            m.anche_anagraf = m.con_anagraf_di;
            if (m.anche_anagraf) tolti.insert(f->anagraf);
        } else if (i % 10 == 9) {
            m.tipo = TIPO_MODIFICA::CONTRAVV_AGGIUNTA;
            m.contravv.numero = prossimo++;
        } else {
            m.tipo = TIPO_MODIFICA::CONTRAVV_CAMBIATA;
            m.dove = POSIZIONE{f->numero, 0};
            m.contravv.importo = f->importo + 1;
        }
        VOCE_GIORNALE v;
        v.tipo = TIPO_VOCE::MODIFICHE;
        v.modifiche.push_back(m);
        codifica_voce(v, g);
    }
    return g;
}

} // namespace

TEMPO_RECUPERO misura_recupero(const std::string& file_c, const std::string& file_a,
                               std::size_t operazioni) {
    TEMPO_RECUPERO t;
    if (carica_archivio(file_c.c_str(), file_a.c_str()) != 0) return t;
    const std::string giornale = giornale_di(file_c, file_a, operazioni);
    libera_liste();
    std::ofstream(percorso_giornale(file_c), std::ios::binary) << giornale;
    // The register names this journal and holds none of its operations (a
    // stop after each journal entry): the recovery writes them all.
    const std::string registro = nomi_archivio(file_c, file_a).registro;
    REGISTRO_IN_USO r;
    registro_apri(r, registro);
    registro_segue_giornale(r, 0, 0); // the journal's INIZIO above is dated 0
    registro_caricamento(r, {});
    registro_fine_sessione(r, 0, false);
    const std::size_t byte_prima = leggi_righe(registro.c_str()).size();
    // On the disk, as the program leaves its journal: the register's flush
    // then waits for its own bytes only, not for what the benchmark wrote.
    sync();

    double inizio = adesso();
    APERTURA a = apri_archivio(nomi_archivio(file_c, file_a), MODO_APERTURA::TITOLARE, nullptr);
    const bool offerto = a.esito == 0 && a.giornale == GIORNALE_TROVATO::RECUPERABILE;
    const ESITO_GIORNALE e = offerto ? concludi_apertura(a, true) : ESITO_GIORNALE{};
    t.recupero = adesso() - inizio;
    t.riuscito = offerto && e.recuperato && e.recuperate == static_cast<long>(operazioni);
    const std::string scritto = leggi_righe(registro.c_str()).substr(byte_prima);
    t.byte_registro = scritto.size();
    t.voci_registro = static_cast<std::size_t>(std::count(scritto.begin(), scritto.end(), '\n'));
    if (!offerto) abbandona_apertura(a);
    chiudi_archivio();
    libera_liste();

    inizio = adesso();
    a = apri_archivio(nomi_archivio(file_c, file_a), MODO_APERTURA::TITOLARE, nullptr);
    t.riuscito = a.esito == 0 && concludi_apertura(a, false).caricato && t.riuscito;
    t.carica = adesso() - inizio;
    chiudi_archivio();
    libera_liste();
    return t;
}
