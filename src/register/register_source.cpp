// A register's lines from its file or from its table in the database.
#include "register/register_source.h"

namespace {

// Rows fetched at a time: a long register is never held whole.
constexpr const char* PRENDI_RIGHE = "FETCH 1000 FROM voci";

LETTURA_REGISTRO leggi_tabella(DATABASE& db, const std::function<void(const RIGA_LETTA&)>& riga) {
    const auto illeggibile = [&] {
        const std::string errore = db.errore;
        if (db.pg != nullptr && PQtransactionStatus(db.pg.get()) != PQTRANS_IDLE)
            esegui(db, "ROLLBACK");
        db.errore = errore;
        return LETTURA_REGISTRO::ILLEGGIBILE;
    };
    if (!esegui(db, "BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY") ||
        !esegui(db, "DECLARE voci NO SCROLL CURSOR FOR "
                    "SELECT voce FROM sanzionario.registro ORDER BY posizione"))
        return illeggibile();
    RIGA_LETTA r;
    for (;;) {
        RISPOSTA risposta;
        if (!esegui(db, PRENDI_RIGHE, {}, &risposta)) return illeggibile();
        const int righe = PQntuples(risposta.get());
        if (righe == 0) break;
        for (int i = 0; i < righe; ++i) {
            ++r.numero;
            r.testo.assign(PQgetvalue(risposta.get(), i, 0),
                           static_cast<std::size_t>(PQgetlength(risposta.get(), i, 0)));
            riga(r);
        }
    }
    esegui(db, "COMMIT");
    return LETTURA_REGISTRO::LETTO;
}

} // namespace

SORGENTE_REGISTRO registro_nel_file(const std::string& percorso) {
    return {percorso, nullptr};
}

SORGENTE_REGISTRO registro_della_tabella(DATABASE& db) {
    return {"nel " + nome_database(db), &db};
}

LETTURA_REGISTRO leggi_righe(const SORGENTE_REGISTRO& s,
                             const std::function<void(const RIGA_LETTA&)>& riga) {
    return s.db != nullptr ? leggi_tabella(*s.db, riga) : leggi_registro(s.nome, riga);
}

std::string lettura_fallita(const SORGENTE_REGISTRO& s, LETTURA_REGISTRO letto) {
    if (letto == LETTURA_REGISTRO::ASSENTE) return "Nessun registro: " + s.nome + " non esiste.\n";
    return "Il registro " + s.nome + " non si puo' leggere" +
           (s.db != nullptr ? ": " + s.db->errore : std::string()) + ".\n";
}
