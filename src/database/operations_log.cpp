// The log of operations and the numbers held, in SQL.
#include "database/operations_log.h"

#include <charconv>

#include "storage/file_hash.h"

namespace {

// A connection that holds numbers holds, as long as it lives, the lock
// (this key, its own process): the numbers of a connection that no longer
// holds it are free. Any role may see any lock, where it may not see when
// another role's connection began.
#define CHIAVE_PRENOTAZIONI "1297"

const char* lista_di(bool contravvenzioni) {
    return contravvenzioni ? "contravvenzioni" : "anagrafica";
}

std::string insieme(const std::vector<int64_t>& v) {
    std::string t = "{";
    for (const int64_t n : v) {
        if (t.size() > 1) t += ',';
        t += std::to_string(n);
    }
    return t + "}";
}

std::vector<int64_t> da_insieme(const char* t) {
    std::vector<int64_t> v;
    for (const char* p = t; *p != '\0';) {
        if (*p == '-' || (*p >= '0' && *p <= '9')) {
            int64_t n = 0;
            const auto [fine, ec] = std::from_chars(p, p + std::char_traits<char>::length(p), n);
            if (ec == std::errc()) v.push_back(n);
            p = fine == p ? p + 1 : fine;
        } else {
            ++p;
        }
    }
    return v;
}

std::string da_esadecimale(const char* t) {
    std::string b;
    if (t[0] != '\\' || t[1] != 'x') return b;
    const auto cifra = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
    for (const char* p = t + 2; p[0] != '\0' && p[1] != '\0'; p += 2)
        b += static_cast<char>(cifra(p[0]) * 16 + cifra(p[1]));
    return b;
}

std::optional<int64_t> intero(const std::optional<std::string>& v) {
    if (!v) return std::nullopt;
    int64_t n = 0;
    std::from_chars(v->data(), v->data() + v->size(), n);
    return n;
}

} // namespace

bool blocca_archivio(DATABASE& db) {
    return esegui(db, "SELECT pg_advisory_xact_lock(hashtext('sanzionario.archivio'))");
}

std::optional<int64_t> ultima_operazione(DATABASE& db) {
    return intero(valore(db, "SELECT coalesce(max(id), 0) FROM sanzionario.operazioni"));
}

std::optional<bool> conflitto(DATABASE& db, int64_t visto, const CHIAVI_OPERAZIONE& k,
                              AUTORE_OPERAZIONE& autore) {
    const std::string v = std::to_string(visto), c = insieme(k.contravvenzioni),
                      a = insieme(k.anagrafica), u = insieme(k.usate), r = insieme(k.rimosse);
    RISPOSTA risposta;
    if (!esegui(db,
                "SELECT utente, chi, to_char(quando, 'DD/MM/YYYY HH24:MI') "
                "FROM sanzionario.operazioni WHERE id > $1 AND (contravvenzioni && $2::bigint[] "
                "OR anagrafica && $3::bigint[] OR rimosse && $4::bigint[] "
                "OR usate && $5::bigint[]) ORDER BY id LIMIT 1",
                {v.c_str(), c.c_str(), a.c_str(), u.c_str(), r.c_str()}, &risposta))
        return std::nullopt;
    if (PQntuples(risposta.get()) == 0) return false;
    autore = {PQgetvalue(risposta.get(), 0, 0), PQgetvalue(risposta.get(), 0, 1),
              PQgetvalue(risposta.get(), 0, 2)};
    return true;
}

bool operazioni_dopo(DATABASE& db, int64_t visto, std::vector<OPERAZIONE_REGISTRATA>& ops) {
    const std::string v = std::to_string(visto);
    RISPOSTA r;
    if (!esegui(db,
                "SELECT id, voce, dopo_contravvenzioni, dopo_anagrafica "
                "FROM sanzionario.operazioni WHERE id > $1 ORDER BY id",
                {v.c_str()}, &r))
        return false;
    for (int i = 0; i < PQntuples(r.get()); ++i) {
        OPERAZIONE_REGISTRATA o;
        o.id = std::stoll(PQgetvalue(r.get(), i, 0));
        o.voce = da_esadecimale(PQgetvalue(r.get(), i, 1));
        o.dopo_c = da_insieme(PQgetvalue(r.get(), i, 2));
        o.dopo_a = da_insieme(PQgetvalue(r.get(), i, 3));
        ops.push_back(std::move(o));
    }
    return true;
}

std::optional<int64_t> precedente_in_tabella(DATABASE& db, bool contravvenzioni,
                                             int64_t posizione) {
    const std::string p = std::to_string(posizione);
    const std::string sql =
        contravvenzioni
            ? "SELECT coalesce((SELECT numero FROM sanzionario.contravvenzioni WHERE posizione "
              "< $1 ORDER BY posizione DESC LIMIT 1), -1)"
            : "SELECT coalesce((SELECT codice FROM sanzionario.anagrafica WHERE posizione "
              "< $1 ORDER BY posizione DESC LIMIT 1), -1)";
    return intero(valore(db, sql, {p.c_str()}));
}

std::optional<int64_t> registra_operazione(DATABASE& db, const std::string& chi,
                                           const std::string& segno, const std::string& voce,
                                           const CHIAVI_OPERAZIONE& k,
                                           const std::vector<int64_t>& dopo_c,
                                           const std::vector<int64_t>& dopo_a) {
    const std::string v = "\\x" + esadecimale(voce), c = insieme(k.contravvenzioni),
                      a = insieme(k.anagrafica), u = insieme(k.usate), r = insieme(k.rimosse),
                      dc = insieme(dopo_c), da = insieme(dopo_a);
    const std::optional<int64_t> id = intero(valore(
        db,
        "INSERT INTO sanzionario.operazioni (chi, segno, voce, contravvenzioni, anagrafica, "
        "usate, rimosse, dopo_contravvenzioni, dopo_anagrafica) "
        "VALUES ($1, $2, $3::bytea, $4, $5, $6, $7, $8, $9) RETURNING id",
        {chi.c_str(), segno.c_str(), v.c_str(), c.c_str(), a.c_str(), u.c_str(), r.c_str(),
         dc.c_str(), da.c_str()}));
    if (!id) return std::nullopt;
    const std::string n = std::to_string(*id);
    if (!esegui(db, std::string("SELECT pg_notify('") + CANALE_OPERAZIONI + "', $1)",
                {n.c_str()}))
        return std::nullopt;
    return id;
}

std::optional<int64_t> operazione_con_segno(DATABASE& db, const std::string& segno) {
    return intero(valore(
        db, "SELECT coalesce((SELECT id FROM sanzionario.operazioni WHERE segno = $1), 0)",
        {segno.c_str()}));
}

ESITO_PRENOTAZIONE prenota(DATABASE& db, bool contravvenzioni, PRENOTAZIONE& p) {
    const char* lista = lista_di(contravvenzioni);
    const std::string ultimo =
        contravvenzioni
            ? "SELECT numero, posizione FROM sanzionario.contravvenzioni"
            : "SELECT codice AS numero, posizione FROM sanzionario.anagrafica";
    RISPOSTA r;
    // The numbers held by programs that went away are free again.
    // A number held needs no flush of its own: a server that stops loses
    // it with every connection that held it.
    if (!esegui(db, "BEGIN") || !esegui(db, "SET LOCAL synchronous_commit = off") ||
        !blocca_archivio(db) ||
        !esegui(db, "SELECT pg_advisory_lock(" CHIAVE_PRENOTAZIONI ", pg_backend_pid())") ||
        !esegui(db, "DELETE FROM sanzionario.prenotazioni p WHERE NOT EXISTS (SELECT 1 FROM "
                    "pg_locks l WHERE l.locktype = 'advisory' AND l.classid = " CHIAVE_PRENOTAZIONI
                    " AND l.objid = p.processo AND l.objsubid = 2 AND l.granted)") ||
        !esegui(db,
                "SELECT numero, posizione FROM (" + ultimo +
                    " ORDER BY posizione DESC LIMIT 1) t UNION ALL (SELECT numero, posizione "
                    "FROM sanzionario.prenotazioni WHERE lista = $1 ORDER BY posizione DESC "
                    "LIMIT 1) ORDER BY posizione DESC LIMIT 1",
                {lista}, &r)) {
        esegui(db, "ROLLBACK");
        return ESITO_PRENOTAZIONE::ERRORE;
    }
    int64_t numero = 1, posizione = 1;
    if (PQntuples(r.get()) > 0) {
        numero = std::stoll(PQgetvalue(r.get(), 0, 0)) + 1;
        posizione = std::stoll(PQgetvalue(r.get(), 0, 1)) + 1;
    }
    if (numero > 4294967295LL) {
        esegui(db, "ROLLBACK");
        return ESITO_PRENOTAZIONE::ESAURITI;
    }
    const std::string n = std::to_string(numero), pos = std::to_string(posizione);
    if (!esegui(db,
                "INSERT INTO sanzionario.prenotazioni (lista, numero, posizione, processo, avvio) "
                "VALUES ($1, $2, $3, pg_backend_pid(), now())",
                {lista, n.c_str(), pos.c_str()}) ||
        !esegui(db, "COMMIT")) {
        esegui(db, "ROLLBACK");
        return ESITO_PRENOTAZIONE::ERRORE;
    }
    p = {static_cast<uint32_t>(numero), posizione};
    return ESITO_PRENOTAZIONE::FATTA;
}

bool rilascia(DATABASE& db, bool contravvenzioni, uint32_t numero) {
    const std::string n = std::to_string(numero);
    return esegui(db, "DELETE FROM sanzionario.prenotazioni WHERE lista = $1 AND numero = $2",
                  {lista_di(contravvenzioni), n.c_str()});
}
