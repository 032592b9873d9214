// Each operation is run with its answers already typed into a string
// stream and its output thrown away, so that only its own work is timed.
// What each did is checked right after it without walking a list: a walk
// of a million records between two operations would leave the disk idle
// for milliseconds before the next one's flushes, which then wait longer
// than SQLite's commits timed back to back.
#include "operations.h"

#include <sstream>

#include "console/console.h"
#include "fines/fines.h"
#include "measures.h"
#include "model/lists.h"
#include "model/records.h"
#include "owners/owners.h"
#include "payments/payments.h"
#include "search/search.h"
#include "session/archive.h"
#include "session/dialogs.h"
#include "session/journal.h"
#include "storage/archive_files.h"

namespace {

// The entry form of a fine and "n" to the owner question.
constexpr const char* MODULO_MULTA =
    "15/03/2024\nMilano, viale Monza\nab123cd\nDivieto di sosta\n42.00\nn\n";

// The entry form of a fine, "s" to the owner question, an owner that
// equals none of the archive's, and "n" to the payment question.
constexpr const char* MODULO_MULTA_CON_PROPRIETARIO =
    "15/03/2024\nMilano, viale Monza\nab123cd\nDivieto di sosta\n42.00\ns\n"
    "bianchi\nanna\n21/11/1985\nPiazza Garibaldi 3\nTorino\n10121\nto\n"
    "bncnna85s61l219k\nzz7654321z\nn\n";

void cronometra(TEMPO_OPERAZIONE& t, const std::string& risposte, const std::function<bool()>& f,
                const std::function<bool()>& verifica) {
    double durata = 0.0;
    const bool fatta = in_dialogo(risposte, [&] {
        const double inizio = adesso();
        const bool r = f();
        durata = adesso() - inizio;
        return r;
    });
    t.durate.push_back(durata);
    t.riuscita = t.riuscita && fatta && verifica();
}

// A copy of the last owner record, outside the list, that equals none of them.
NODO_ANAGRAF* anagrafe_diverso() {
    NODO_ANAGRAF* p = nuovo_anagraf();
    const NODO_ANAGRAF* ultimo = coda(lista_anagraf);
    if (p == nullptr || ultimo == nullptr) return p;
    *p = *ultimo;
    p->next = nullptr;
    copia_campo(p->patente, "ZZ0000000Z");
    return p;
}

} // namespace

bool in_dialogo(const std::string& risposte, const std::function<bool()>& f) {
    std::istream& console_prima = console_in();
    std::ostream& uscita_prima = console_out();
    std::istringstream in(risposte);
    std::ostringstream out;
    usa_flussi(in, out);
    bool riuscita = false;
    try {
        riuscita = f();
    } catch (const FineInput&) {
        riuscita = false;
    }
    usa_flussi(console_prima, uscita_prima);
    return riuscita;
}

bool prepara_archivio_operazioni(const char* file_c, const char* file_a) {
    // As the load dialogue does: the archive's lock, then the journal that
    // every operation timed below appends to and flushes.
    APERTURA a = apri_archivio(nomi_archivio(file_c, file_a), MODO_APERTURA::TITOLARE, nullptr);
    if (a.esito != 0 || !concludi_apertura(a, false).caricato) return false;
    copia_campo(nome_file_c, file_c);
    copia_campo(nome_file_a, file_a);
    return giornale_attivo(giornale_sessione());
}

std::vector<TEMPO_OPERAZIONE> misura_operazioni(int volte) {
    NODO_CONTRAVV* const ultima = coda(lista_contravv);
    if (ultima == nullptr) return {};
    const unsigned long numero = ultima->numero;
    const std::string nuova = std::to_string(numero + 1);
    NODO_ANAGRAF* const ultimo_a = coda(lista_anagraf);
    NODO_ANAGRAF* diverso = anagrafe_diverso();

    TEMPO_OPERAZIONE vis{"show the last fine", {}, true};
    TEMPO_OPERAZIONE ins{"record a fine with new owner data", {}, true};
    TEMPO_OPERAZIONE mod{"edit a fine (its amount)", {}, true};
    TEMPO_OPERAZIONE pag{"record a payment", {}, true};
    TEMPO_OPERAZIONE canc{"delete a fine", {}, true};
    TEMPO_OPERAZIONE canc_a{"delete a fine with its owner data", {}, true};
    TEMPO_OPERAZIONE stat{"payment statistics", {}, true};
    TEMPO_OPERAZIONE doppia{"duplicate search of an owner entry", {}, true};
    const auto sempre = [] { return true; };
    for (int i = 0; i < volte; ++i) {
        cronometra(
            vis, "\n", [&] { return vis_contravv(lista_contravv, numero) == 0; }, sempre);
        cronometra(
            ins, MODULO_MULTA_CON_PROPRIETARIO, [&] { return ins_contravv(lista_contravv) == 0; },
            [&] {
                const NODO_CONTRAVV* c = ultima->next;
                return c != nullptr && c->numero == numero + 1 && c->con_anagraf &&
                       c->anagraf != nullptr && c->anagraf == ultimo_a->next &&
                       c->anagraf->next == nullptr;
            });
        cronometra(
            mod, nuova + "\n\n5\n50\n8\n\n", [&] { return mod_contravv(lista_contravv) == 0; },
            [&] { return ultima->next != nullptr && ultima->next->importo == 50.0; });
        cronometra(
            pag, "20/03/2024\n\n", [&] { return ins_pagam(numero + 1) == 0; },
            [&] { return ultima->next != nullptr && ultima->next->pagata; });
        // A second fine, without owner data, recorded untimed and deleted.
        TEMPO_OPERAZIONE preparazione{"", {}, true};
        cronometra(
            preparazione, MODULO_MULTA, [&] { return ins_contravv(lista_contravv) == 0; }, sempre);
        cronometra(
            canc, std::to_string(numero + 2) + "\n\nn\n\n", [&] { return canc_contravv() == 0; },
            [&] {
                return preparazione.riuscita && ultima->next != nullptr &&
                       ultima->next->next == nullptr;
            });
        // The first one goes, and its owner with it: the lists are as they were.
        cronometra(
            canc_a, nuova + "\n\ns\n\n", [&] { return canc_contravv() == 0; },
            [&] { return ultima->next == nullptr && ultimo_a->next == nullptr; });
        cronometra(
            stat, "", [&] { return bilancio(lista_contravv) == 0; }, sempre);
        cronometra(
            doppia, "", [&] { return diverso != nullptr && anagraf_doppia(diverso) == diverso; },
            sempre);
    }
    libera_anagraf(diverso);
    return {vis, ins, mod, pag, canc, canc_a, stat, doppia};
}

std::vector<TEMPO_OPERAZIONE> misura_ricerche(int volte) {
    const NODO_CONTRAVV* const ultima = coda(lista_contravv);
    const NODO_ANAGRAF* const ultimo = coda(lista_anagraf);
    if (ultima == nullptr || ultimo == nullptr) return {};
    const std::string codice_fiscale = ultimo->codice_fiscale;
    TEMPO_OPERAZIONE targa_nessuna{"search by plate, none found", {}, true};
    TEMPO_OPERAZIONE targa{"search by plate, the last fine's", {}, true};
    TEMPO_OPERAZIONE cognome{"search by surname, none found", {}, true};
    TEMPO_OPERAZIONE codice{"search by the last owner's tax code", {}, true};
    TEMPO_OPERAZIONE comune{"search by a common surname", {}, true};
    TEMPO_OPERAZIONE senza{"first fine without owner data", {}, true};
    TEMPO_OPERAZIONE non_pagata{"first unpaid fine", {}, true};
    const auto sempre = [] { return true; };
    for (int i = 0; i < volte; ++i) {
        // The answers end the search at its first result ("X"), or at the
        // pause after the message that none was found.
        cronometra(
            targa_nessuna, "qq999qq\n\n", [&] { return cerca_contravv(lista_contravv) == -1; },
            sempre);
        cronometra(
            targa, std::string(ultima->targa) + "\nX\n",
            [&] { return cerca_contravv(lista_contravv) == 0; }, sempre);
        cronometra(
            cognome, "zzzz\n\n", [&] { return cerca_anagraf(lista_anagraf) == -1; }, sempre);
        cronometra(
            codice, codice_fiscale + "\nX\n", [&] { return cerca_anagraf(lista_anagraf) == 0; },
            sempre);
        cronometra(
            comune, "rossi\nX\n", [&] { return cerca_anagraf(lista_anagraf) == 0; }, sempre);
        cronometra(
            senza, "X\n", [&] { return cerca_no_anagraf(lista_contravv) == 0; }, sempre);
        cronometra(
            non_pagata, "X\n", [&] { return cerca_no_pagam(lista_contravv) == 0; }, sempre);
    }
    return {targa_nessuna, targa, cognome, codice, comune, senza, non_pagata};
}
