// The rows of both tables: written with COPY, read a row at a time.
#include "database/archive_tables.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <initializer_list>
#include <new>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "console/encoding.h"
#include "model/lists.h"
#include "model/record_index.h"
#include "database/record_rows.h"
#include "storage/columns.h"
#include "storage/record_shape.h"

namespace {

// Rows sent to the server at a time.
constexpr std::size_t BLOCCO_COPIA = std::size_t{1} << 20;

DATA numero_in_data(long n) {
    return {static_cast<int16_t>(n % 100), static_cast<int16_t>(n / 100 % 100),
            static_cast<int16_t>(n / 10000)};
}

// A record's row as a line of COPY in text format: its values separated
// by tabs, NULL as \N, the characters COPY gives a meaning escaped.
template <class N> void riga_copia(std::string& testo, const N& r, long posizione) {
    bool primo = true;
    for (const std::optional<std::string>& v : valori_riga(r, posizione)) {
        if (!primo) testo += '\t';
        primo = false;
        if (!v) {
            testo += "\\N";
            continue;
        }
        for (const char ch : *v) {
            switch (ch) {
            case '\\': testo += "\\\\"; break;
            case '\t': testo += "\\t"; break;
            case '\n': testo += "\\n"; break;
            case '\r': testo += "\\r"; break;
            default: testo += ch;
            }
        }
    }
    testo += '\n';
}

bool invia(DATABASE& db, std::string& blocco) {
    if (blocco.empty()) return true;
    const bool fatto =
        PQputCopyData(db.pg.get(), blocco.data(), static_cast<int>(blocco.size())) == 1;
    blocco.clear();
    return fatto;
}

template <class N, class RIGA>
bool copia_lista(DATABASE& db, const std::string& sql, const N* lista, RIGA riga) {
    RISPOSTA inizio(PQexec(db.pg.get(), sql.c_str()));
    if (inizio == nullptr || PQresultStatus(inizio.get()) != PGRES_COPY_IN) {
        db.errore = errore_di(db, inizio.get());
        return false;
    }
    std::string blocco;
    long posizione = 0;
    bool inviato = true;
    for (const N* p = lista; p != nullptr && inviato; p = p->next) {
        riga(blocco, *p, ++posizione);
        if (blocco.size() >= BLOCCO_COPIA) inviato = invia(db, blocco);
    }
    inviato = inviato && invia(db, blocco);
    PQputCopyEnd(db.pg.get(), inviato ? nullptr : "copia interrotta");
    bool fatto = true;
    while (PGresult* r = PQgetResult(db.pg.get())) {
        RISPOSTA esito(r);
        if (PQresultStatus(r) != PGRES_COMMAND_OK && fatto) {
            db.errore = errore_di(db, r);
            fatto = false;
        }
    }
    return fatto && inviato;
}

// A text column's value in a record's field of `n` bytes: false when it
// does not fit or holds a character the data files cannot. Plain ASCII,
// the usual case, is the same bytes in both.
bool in_campo(std::string_view utf8, char* campo, std::size_t n) {
    bool ascii = true;
    for (const char c : utf8) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) {
        if (utf8.size() >= n || utf8.find('\0') != std::string_view::npos) return false;
        std::memcpy(campo, utf8.data(), utf8.size());
        campo[utf8.size()] = '\0';
        return true;
    }
    const std::optional<std::string> t = utf8_in_cp850(utf8);
    if (!t || t->size() >= n) return false;
    std::memcpy(campo, t->data(), t->size());
    campo[t->size()] = '\0';
    return true;
}

// One row of a COPY in binary format: each field's bytes, in the
// server's byte order (big-endian), nothing for NULL.
struct RIGA_LETTA {
    std::vector<std::optional<std::string_view>> campi;
    bool nullo(int colonna) const { return !campi[static_cast<std::size_t>(colonna)]; }
    std::string_view testo(int colonna) const {
        return campi[static_cast<std::size_t>(colonna)].value_or(std::string_view());
    }
    // An integer column (smallint, integer, bigint); 0 for NULL.
    int64_t intero(int colonna) const {
        const std::string_view b = testo(colonna);
        uint64_t v = 0;
        for (const char c : b) v = v << 8 | static_cast<unsigned char>(c);
        // Sign-extended from its width.
        if (!b.empty() && b.size() < 8 && (static_cast<unsigned char>(b[0]) & 0x80) != 0)
            v |= ~uint64_t{0} << (8 * b.size());
        return static_cast<int64_t>(v);
    }
    double reale(int colonna) const {
        const int64_t bit = intero(colonna);
        double d = 0;
        static_assert(sizeof d == sizeof bit);
        std::memcpy(&d, &bit, sizeof d);
        return d;
    }
    bool vero(int colonna) const { return testo(colonna) == std::string_view("\1", 1); }
};

uint32_t da_rete(const char* p, int byte) {
    uint32_t v = 0;
    for (int i = 0; i < byte; ++i) v = v << 8 | static_cast<unsigned char>(p[i]);
    return v;
}

// The fields of a binary row in `dati`; false when it is not a row of
// `colonne` fields (the trailer is not one either).
bool dividi_riga(std::string_view dati, int colonne, RIGA_LETTA& r) {
    r.campi.clear();
    if (dati.size() < 2 || static_cast<int16_t>(da_rete(dati.data(), 2)) != colonne) return false;
    dati.remove_prefix(2);
    for (int i = 0; i < colonne; ++i) {
        if (dati.size() < 4) return false;
        const int32_t n = static_cast<int32_t>(da_rete(dati.data(), 4));
        dati.remove_prefix(4);
        if (n < 0) {
            r.campi.emplace_back();
            continue;
        }
        if (dati.size() < static_cast<std::size_t>(n)) return false;
        r.campi.emplace_back(dati.substr(0, static_cast<std::size_t>(n)));
        dati.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The text columns of a row into their fields; "" or why one cannot be
// (`record` names the record, asked only then).
struct CAMPO_TESTO {
    int colonna;
    char* campo;
    std::size_t n;
    const char* nome;
};
template <class NOME>
std::string testi_in_campi(const RIGA_LETTA& r, std::initializer_list<CAMPO_TESTO> campi,
                           NOME record) {
    for (const CAMPO_TESTO& c : campi)
        if (r.nullo(c.colonna) || !in_campo(r.testo(c.colonna), c.campo, c.n))
            return record() + " ha nel campo " + c.nome +
                   " un testo che i file dell'archivio non possono contenere";
    return "";
}

long numero_di(const PGresult* r, int colonna) {
    return std::strtol(PQgetvalue(r, 0, colonna), nullptr, 10);
}

// The signature, flags and header extension that open a binary COPY.
constexpr std::string_view FIRMA_COPIA("PGCOPY\n\377\r\n\0", 11);

// Copies a query's rows out (COPY ... TO STDOUT, binary: numbers as the
// server holds them, no text to write and read back), giving each row to
// `riga` (which answers "" or why it refuses the row), until the end or
// the first refusal.
template <class RIGA> bool per_ogni_riga(DATABASE& db, const char* sql, int colonne, RIGA riga) {
    RISPOSTA inizio(PQexec(db.pg.get(),
                           (std::string("COPY (") + sql + ") TO STDOUT (FORMAT binary)").c_str()));
    if (inizio == nullptr || PQresultStatus(inizio.get()) != PGRES_COPY_OUT) {
        db.errore = errore_di(db, inizio.get());
        return false;
    }
    bool fatto = true, primo = true;
    RIGA_LETTA r;
    char* dati = nullptr;
    int n = 0;
    while ((n = PQgetCopyData(db.pg.get(), &dati, 0)) > 0) {
        std::string_view d(dati, static_cast<std::size_t>(n));
        if (primo) {
            primo = false;
            if (d.size() < FIRMA_COPIA.size() + 8 || d.substr(0, FIRMA_COPIA.size()) != FIRMA_COPIA)
                fatto = false;
            else
                d.remove_prefix(FIRMA_COPIA.size() + 8 +
                                da_rete(d.data() + FIRMA_COPIA.size() + 4, 4));
        }
        const bool fine = d.size() == 2 && static_cast<int16_t>(da_rete(d.data(), 2)) == -1;
        if (fatto && !fine) {
            if (!dividi_riga(d, colonne, r)) {
                db.errore = "una riga del database non si legge";
                fatto = false;
            } else {
                db.errore = riga(r);
                fatto = db.errore.empty();
            }
        }
        PQfreemem(dati);
    }
    if (n == -2) {
        db.errore = errore_di(db, nullptr);
        fatto = false;
    }
    while (PGresult* esito = PQgetResult(db.pg.get())) {
        RISPOSTA fine(esito);
        if (PQresultStatus(esito) != PGRES_COMMAND_OK && fatto) {
            db.errore = errore_di(db, esito);
            fatto = false;
        }
    }
    return fatto;
}

// A second connection to the database of `db`, in a read-only
// transaction that sees exactly what the transaction open on `db` sees;
// false when none can be had (no transaction open there, no connection
// left on the server).
bool gemello_con_istantanea(DATABASE& db, DATABASE& gemello) {
    const std::optional<std::string> istantanea = valore(db, "SELECT pg_export_snapshot()");
    if (!istantanea || istantanea->find_first_not_of("0123456789ABCDEF-") != std::string::npos)
        return false;
    PQconninfoOption* opzioni = PQconninfo(db.pg.get());
    if (opzioni == nullptr) return false;
    std::vector<const char*> chiavi, valori;
    for (const PQconninfoOption* o = opzioni; o->keyword != nullptr; ++o) {
        if (o->val == nullptr) continue;
        chiavi.push_back(o->keyword);
        valori.push_back(o->val);
    }
    chiavi.push_back(nullptr);
    valori.push_back(nullptr);
    gemello.pg.reset(PQconnectdbParams(chiavi.data(), valori.data(), 0));
    PQconninfoFree(opzioni);
    if (gemello.pg == nullptr || PQstatus(gemello.pg.get()) != CONNECTION_OK) return false;
    PQsetNoticeProcessor(
        gemello.pg.get(), [](void*, const char*) {}, nullptr);
    return esegui(gemello, "BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY") &&
           esegui(gemello, "SET TRANSACTION SNAPSHOT '" + *istantanea + "'");
}

} // namespace

std::string ostacolo_alle_tabelle(const NODO_CONTRAVV* contravv, const NODO_ANAGRAF* anagraf) {
    std::unordered_set<uint32_t> visti;
    for (const NODO_ANAGRAF* a = anagraf; a != nullptr; a = a->next) {
        const std::string nome = "i dati anagrafici con codice " + std::to_string(a->codice);
        if (!visti.insert(a->codice).second)
            return "il codice anagrafico " + std::to_string(a->codice) + " compare piu' volte";
        if (const char* motivo = campo_non_scrivibile(*a)) return nome + ": " + motivo;
    }
    visti.clear();
    for (const NODO_CONTRAVV* c = contravv; c != nullptr; c = c->next) {
        if (!visti.insert(c->numero).second)
            return "il numero di contravvenzione " + std::to_string(c->numero) +
                   " compare piu' volte";
        if (const char* motivo = campo_non_scrivibile(*c))
            return "la contravvenzione n." + std::to_string(c->numero) + ": " + motivo;
    }
    return "";
}

std::optional<CONTEGGIO_TABELLE> conta_tabelle(DATABASE& db) {
    RISPOSTA r;
    if (!esegui(db,
                "SELECT (SELECT count(*) FROM sanzionario.contravvenzioni),"
                " (SELECT count(*) FROM sanzionario.anagrafica)",
                {}, &r))
        return std::nullopt;
    return CONTEGGIO_TABELLE{numero_di(r.get(), 0), numero_di(r.get(), 1)};
}

bool svuota_tabelle(DATABASE& db) {
    return esegui(db,
                  "DELETE FROM sanzionario.contravvenzioni; DELETE FROM sanzionario.anagrafica");
}

bool scrivi_tabelle(DATABASE& db, const NODO_CONTRAVV* contravv, const NODO_ANAGRAF* anagraf) {
    return copia_lista(db,
                       "COPY sanzionario.anagrafica (codice, posizione, cognome, nome, "
                       "data_nascita, indirizzo, citta, provincia, cap, codice_fiscale, patente) "
                       "FROM STDIN",
                       anagraf, riga_copia<NODO_ANAGRAF>) &&
           copia_lista(db,
                       "COPY sanzionario.contravvenzioni (numero, posizione, data_verbale, luogo, "
                       "targa, tipo, importo, proprietario, pagata, data_pagamento) FROM STDIN",
                       contravv, riga_copia<NODO_CONTRAVV>);
}

bool leggi_tabelle(DATABASE& db, LISTE_LETTE& liste) {
    NODO_ANAGRAF* coda_a = nullptr;
    NODO_CONTRAVV* coda_c = nullptr;
    std::unordered_map<long, NODO_ANAGRAF*> per_codice;
    std::vector<long> proprietari; // of each fine read, the owner's code (-1: none)
    bool crescenti = true;
    const auto anagrafica = [&](const RIGA_LETTA& r) -> std::string {
        NODO_ANAGRAF* a = nuovo_anagraf();
        if (a == nullptr) return "memoria insufficiente";
        accoda_dopo(liste.anagraf, coda_a, a);
        coda_a = a;
        a->codice = static_cast<uint32_t>(r.intero(0));
        a->data_nascita = numero_in_data(static_cast<long>(r.intero(3)));
        const auto nome = [a] { return "i dati anagrafici con codice " + std::to_string(a->codice); };
        const std::string motivo =
            testi_in_campi(r,
                           {{1, a->cognome, sizeof a->cognome, "cognome"},
                            {2, a->nome, sizeof a->nome, "nome"},
                            {4, a->indirizzo, sizeof a->indirizzo, "indirizzo"},
                            {5, a->citta, sizeof a->citta, "citta"},
                            {6, a->provincia, sizeof a->provincia, "provincia"},
                            {7, a->cap, sizeof a->cap, "cap"},
                            {8, a->codice_fiscale, sizeof a->codice_fiscale, "codice_fiscale"},
                            {9, a->patente, sizeof a->patente, "patente"}},
                           nome);
        if (!motivo.empty()) return motivo;
        if (!testi_ammessi(*a)) return nome() + " hanno un a capo in un testo";
        per_codice.emplace(a->codice, a);
        return "";
    };
    const auto contravvenzione = [&](const RIGA_LETTA& r) -> std::string {
        NODO_CONTRAVV* c = nuovo_contravv();
        if (c == nullptr) return "memoria insufficiente";
        crescenti = crescenti && (coda_c == nullptr || coda_c->numero < r.intero(0));
        accoda_dopo(liste.contravv, coda_c, c);
        coda_c = c;
        c->numero = static_cast<uint32_t>(r.intero(0));
        c->data_verbale = numero_in_data(static_cast<long>(r.intero(1)));
        const auto nome = [c] { return "la contravvenzione n." + std::to_string(c->numero); };
        const std::string motivo = testi_in_campi(r,
                                                  {{2, c->luogo, sizeof c->luogo, "luogo"},
                                                   {3, c->targa, sizeof c->targa, "targa"},
                                                   {4, c->tipo, sizeof c->tipo, "tipo"}},
                                                  nome);
        if (!motivo.empty()) return motivo;
        if (!testi_ammessi(*c)) return nome() + " ha un a capo in un testo";
        c->importo = r.reale(5);
        // Linked once both tables are read: the owners may be read meanwhile.
        proprietari.push_back(r.nullo(6) ? -1 : static_cast<long>(r.intero(6)));
        c->pagata = r.vero(7);
        c->data_pagamento = numero_in_data(static_cast<long>(r.intero(8)));
        return "";
    };
    // The owners on a second connection seeing the same snapshot, on a
    // thread of their own, while the fines are read here; on this one
    // connection, one after the other, when no second one can be had.
    DATABASE gemello;
    const bool in_parallelo = gemello_con_istantanea(db, gemello);
    std::string errore_a;
    bool letto_a = false;
    const auto leggi_anagrafica = [&](DATABASE* d) {
        try {
            letto_a = per_ogni_riga(*d,
                                    "SELECT codice, cognome, nome, data_nascita, indirizzo, citta, "
                                    "provincia, cap, codice_fiscale, patente FROM "
                                    "sanzionario.anagrafica ORDER BY posizione",
                                    10, anagrafica);
            if (!letto_a) errore_a = d->errore;
        } catch (const std::bad_alloc&) {
            errore_a = "memoria insufficiente";
        }
    };
    bool letto = false;
    try {
        std::thread anagrafe;
        if (in_parallelo) {
            anagrafe = std::thread(leggi_anagrafica, &gemello);
        } else {
            leggi_anagrafica(&db);
        }
        try {
            letto = (in_parallelo || letto_a) &&
                    per_ogni_riga(
                        db,
                        "SELECT numero, data_verbale, luogo, targa, tipo, importo, proprietario, "
                        "pagata, data_pagamento FROM sanzionario.contravvenzioni ORDER BY posizione",
                        9, contravvenzione);
        } catch (const std::bad_alloc&) {
            db.errore = "memoria insufficiente";
        }
        if (anagrafe.joinable()) anagrafe.join();
        if (!letto_a) {
            db.errore = errore_a;
            letto = false;
        }
        std::size_t i = 0;
        for (NODO_CONTRAVV* c = liste.contravv; letto && c != nullptr; c = c->next, ++i) {
            if (proprietari[i] < 0) continue;
            const auto proprietario = per_codice.find(proprietari[i]);
            if (proprietario == per_codice.end()) {
                db.errore = "la contravvenzione n." + std::to_string(c->numero) +
                            " nomina dati anagrafici mancanti";
                letto = false;
            } else {
                c->anagraf = proprietario->second;
                c->con_anagraf = true;
            }
        }
        // The index of each list, as a load of the files makes it.
        if (letto) {
            indicizza(liste.indice_c, liste.contravv);
            indicizza(liste.indice_a, liste.anagraf);
        }
    } catch (const std::bad_alloc&) {
        db.errore = "memoria insufficiente";
    }
    if (!letto) {
        libera_lista(liste.contravv);
        libera_lista(liste.anagraf);
        return false;
    }
    liste.numeri_unici = crescenti;
    liste.codici_unici = true;
    return true;
}
