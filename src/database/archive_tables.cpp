// The rows of both tables: written with COPY, read a row at a time.
#include "database/archive_tables.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <new>
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

// A field of a COPY row in text format, its tab before it unless first.
struct RIGA_COPIA {
    std::string& testo;
    bool primo = true;

    void separa() {
        if (!primo) testo += '\t';
        primo = false;
    }
    void numero(long long n) {
        separa();
        testo += std::to_string(n);
    }
    void nullo() {
        separa();
        testo += "\\N";
    }
    void grezzo(const char* t) {
        separa();
        testo += t;
    }
    template <std::size_t N> void campo(const char (&c)[N]) {
        separa();
        for (const char ch : cp850_in_utf8(testo_campo(c))) {
            switch (ch) {
            case '\\':
                testo += "\\\\";
                break;
            case '\t':
                testo += "\\t";
                break;
            case '\n':
                testo += "\\n";
                break;
            case '\r':
                testo += "\\r";
                break;
            default:
                testo += ch;
            }
        }
    }
    void fine() { testo += '\n'; }
};

void riga_anagrafica(std::string& t, const NODO_ANAGRAF& a, long posizione) {
    RIGA_COPIA r{t};
    r.numero(a.codice);
    r.numero(posizione);
    r.campo(a.cognome);
    r.campo(a.nome);
    r.numero(data_in_numero(a.data_nascita));
    r.campo(a.indirizzo);
    r.campo(a.citta);
    r.campo(a.provincia);
    r.campo(a.cap);
    r.campo(a.codice_fiscale);
    r.campo(a.patente);
    r.fine();
}

void riga_contravvenzione(std::string& t, const NODO_CONTRAVV& c, long posizione) {
    RIGA_COPIA r{t};
    r.numero(c.numero);
    r.numero(posizione);
    r.numero(data_in_numero(c.data_verbale));
    r.campo(c.luogo);
    r.campo(c.targa);
    r.campo(c.tipo);
    char importo[32];
    std::snprintf(importo, sizeof importo, "%.17g", c.importo);
    r.grezzo(importo);
    if (c.con_anagraf && c.anagraf != nullptr) {
        r.numero(c.anagraf->codice);
    } else {
        r.nullo();
    }
    r.grezzo(c.pagata ? "t" : "f");
    r.numero(data_in_numero(c.data_pagamento));
    r.fine();
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
bool in_campo(const char* utf8, char* campo, std::size_t n) {
    std::size_t l = 0;
    bool ascii = true;
    for (; utf8[l] != '\0'; ++l) ascii = ascii && static_cast<unsigned char>(utf8[l]) < 0x80;
    if (ascii) {
        if (l >= n) return false;
        std::memcpy(campo, utf8, l + 1);
        return true;
    }
    const std::optional<std::string> t = utf8_in_cp850(utf8);
    if (!t || t->size() >= n) return false;
    std::memcpy(campo, t->data(), t->size());
    campo[t->size()] = '\0';
    return true;
}

// One row of a COPY in text format, its fields unescaped in place.
struct RIGA_LETTA {
    std::vector<char*> campi; // nullptr for NULL
    const char* valore(int colonna) const { return campi[static_cast<std::size_t>(colonna)]; }
    bool nullo(int colonna) const { return valore(colonna) == nullptr; }
};

// Splits `riga` (without its line end) at its tabs and undoes the
// escapes; false when it has fewer than `colonne` fields.
bool dividi_riga(char* riga, std::size_t lunghezza, int colonne, RIGA_LETTA& r) {
    r.campi.clear();
    char* fine = riga + lunghezza;
    char* p = riga;
    while (true) {
        char* inizio = p;
        char* scritto = p;
        while (p < fine && *p != '\t') {
            if (*p == '\\' && p + 1 < fine) {
                const char e = p[1];
                p += 2;
                switch (e) {
                case 'N': inizio = nullptr; break;
                case 't': *scritto++ = '\t'; break;
                case 'n': *scritto++ = '\n'; break;
                case 'r': *scritto++ = '\r'; break;
                case 'b': *scritto++ = '\b'; break;
                case 'f': *scritto++ = '\f'; break;
                case 'v': *scritto++ = '\v'; break;
                default: *scritto++ = e; break;
                }
            } else {
                *scritto++ = *p++;
            }
        }
        const bool ultimo = p >= fine;
        *scritto = '\0';
        r.campi.push_back(inizio);
        if (ultimo) break;
        ++p;
    }
    return static_cast<int>(r.campi.size()) >= colonne;
}

// The text columns of a row, from column `da` on, into their fields; ""
// or why one cannot be (`record` names the record, asked only then).
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
        if (r.nullo(c.colonna) || !in_campo(r.valore(c.colonna), c.campo, c.n))
            return record() + " ha nel campo " + c.nome +
                   " un testo che i file dell'archivio non possono contenere";
    return "";
}

long numero_di(const PGresult* r, int colonna) {
    return std::strtol(PQgetvalue(r, 0, colonna), nullptr, 10);
}

long numero_di(const RIGA_LETTA& r, int colonna) {
    return r.nullo(colonna) ? 0 : std::strtol(r.valore(colonna), nullptr, 10);
}

// Copies a query's rows out (COPY ... TO STDOUT), giving each row to
// `riga` (which answers "" or why it refuses the row), until the end or
// the first refusal.
template <class RIGA> bool per_ogni_riga(DATABASE& db, const char* sql, int colonne, RIGA riga) {
    RISPOSTA inizio(PQexec(db.pg.get(), (std::string("COPY (") + sql + ") TO STDOUT").c_str()));
    if (inizio == nullptr || PQresultStatus(inizio.get()) != PGRES_COPY_OUT) {
        db.errore = errore_di(db, inizio.get());
        return false;
    }
    bool fatto = true;
    RIGA_LETTA r;
    char* dati = nullptr;
    int n = 0;
    while ((n = PQgetCopyData(db.pg.get(), &dati, 0)) > 0) {
        if (fatto) {
            std::size_t l = static_cast<std::size_t>(n);
            if (l > 0 && dati[l - 1] == '\n') --l;
            if (!dividi_riga(dati, l, colonne, r)) {
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
                       anagraf, riga_anagrafica) &&
           copia_lista(db,
                       "COPY sanzionario.contravvenzioni (numero, posizione, data_verbale, luogo, "
                       "targa, tipo, importo, proprietario, pagata, data_pagamento) FROM STDIN",
                       contravv, riga_contravvenzione);
}

bool leggi_tabelle(DATABASE& db, LISTE_LETTE& liste) {
    NODO_ANAGRAF* coda_a = nullptr;
    NODO_CONTRAVV* coda_c = nullptr;
    std::unordered_map<long, NODO_ANAGRAF*> per_codice;
    bool crescenti = true;
    const auto anagrafica = [&](const RIGA_LETTA& r) -> std::string {
        NODO_ANAGRAF* a = nuovo_anagraf();
        if (a == nullptr) return "memoria insufficiente";
        accoda_dopo(liste.anagraf, coda_a, a);
        coda_a = a;
        a->codice = static_cast<uint32_t>(numero_di(r, 0));
        a->data_nascita = numero_in_data(numero_di(r, 3));
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
        crescenti = crescenti && (coda_c == nullptr || coda_c->numero < numero_di(r, 0));
        accoda_dopo(liste.contravv, coda_c, c);
        coda_c = c;
        c->numero = static_cast<uint32_t>(numero_di(r, 0));
        c->data_verbale = numero_in_data(numero_di(r, 1));
        const auto nome = [c] { return "la contravvenzione n." + std::to_string(c->numero); };
        const std::string motivo = testi_in_campi(r,
                                                  {{2, c->luogo, sizeof c->luogo, "luogo"},
                                                   {3, c->targa, sizeof c->targa, "targa"},
                                                   {4, c->tipo, sizeof c->tipo, "tipo"}},
                                                  nome);
        if (!motivo.empty()) return motivo;
        if (!testi_ammessi(*c)) return nome() + " ha un a capo in un testo";
        c->importo = r.nullo(5) ? 0 : std::strtod(r.valore(5), nullptr);
        if (!r.nullo(6)) {
            const auto proprietario = per_codice.find(numero_di(r, 6));
            if (proprietario == per_codice.end()) return nome() + " nomina dati anagrafici mancanti";
            c->anagraf = proprietario->second;
            c->con_anagraf = true;
        }
        c->pagata = !r.nullo(7) && r.valore(7)[0] == 't';
        c->data_pagamento = numero_in_data(numero_di(r, 8));
        return "";
    };
    bool letto = false;
    try {
        letto = (per_ogni_riga(
                    db,
                    "SELECT codice, cognome, nome, data_nascita, indirizzo, citta, provincia, "
                    "cap, codice_fiscale, patente FROM sanzionario.anagrafica ORDER BY posizione",
                    10, anagrafica) &&
                per_ogni_riga(
                    db,
                    "SELECT numero, data_verbale, luogo, targa, tipo, importo, proprietario, "
                    "pagata, data_pagamento FROM sanzionario.contravvenzioni ORDER BY posizione",
                    9, contravvenzione));
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
