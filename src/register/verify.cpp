// Verification: each line must be an entry written as this program writes
// it, whose hash holds, numbered after the one before and naming its hash;
// each save must count the operations the register holds since the session
// began or last saved; the data files must hash as the last save said.
#include "register/verify.h"

#include <algorithm>
#include <fcntl.h>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "register/anchor.h"
#include "register/reading.h"
#include "register/register_source.h"
#include "register/register_entry.h"
#include "storage/file_hash.h"
#include "storage/file_ops.h"

namespace {

// "07/12/2026 alle 18:38:19" from an entry's ISO time.
std::string quando_di(const json& v) {
    const json& q = campo(v, "quando");
    if (!q.is_string()) return "?";
    const std::string s = q.get<std::string>();
    if (s.size() < 19) return s;
    return s.substr(8, 2) + "/" + s.substr(5, 2) + "/" + s.substr(0, 4) + " alle " +
           s.substr(11, 8);
}

std::string numero_di(const json& v) {
    return campo(v, "n").is_number_unsigned() ? std::to_string(campo(v, "n").get<uint64_t>()) : "?";
}

std::string testo(const json& v, const char* nome) {
    const json& x = campo(v, nome);
    return x.is_string() ? x.get<std::string>() : "";
}

// "1 operazione", "3 operazioni".
std::string operazioni(long n) {
    return std::to_string(n) + (n == 1 ? " operazione" : " operazioni");
}

long numero(const json& v, const char* nome) {
    const json& x = campo(v, nome);
    return x.is_number_integer() ? x.get<long>() : 0;
}

// Walks the chain; the first break found, "" when it holds.
struct CATENA {
    uint64_t voci = 0;
    std::string hash = HASH_INIZIALE;
    std::string rottura;
    std::string lacuna;              // a save that counts operations the register lacks
    std::optional<json> salvataggio; // the last save of these files
    // Operations since the session began or last saved, per process.
    std::string processo;
    bool contando = false;
    long operazioni = 0;
    // The trusted anchors, by the entry they name: its hash and when it was sent.
    std::map<uint64_t, std::pair<std::string, std::string>> ancore;
    // The entries after which an anchor was sent (saves, ends of sessions).
    std::vector<uint64_t> ancorate;
};

void conta_operazioni(CATENA& c, const json& v) {
    const std::string evento = testo(v, "evento");
    const std::string chi = testo(v, "host") + "/" + std::to_string(numero(v, "processo"));
    // A session's count starts at its load, or at its first save onto
    // this archive from another one, whose register holds its operations.
    // A save of a session whose load is not here lacks them all.
    if (evento == "salvataggio" && chi != c.processo && !v.contains("operazioni_nel_registro") &&
        numero(v, "modifiche_salvate") > 0 && c.lacuna.empty())
        c.lacuna = "Il salvataggio della voce n." + numero_di(v) + " (" + quando_di(v) +
                   ") ha salvato " + operazioni(numero(v, "modifiche_salvate")) +
                   " di una sessione il cui caricamento manca nel registro.\n";
    if (evento == "caricamento" || (evento == "salvataggio" && chi != c.processo)) {
        c.processo = chi;
        c.contando = true;
        c.operazioni = 0;
        return;
    }
    if (chi != c.processo) return;
    if (evento == "recupero") c.operazioni += numero(v, "modifiche_recuperate");
    if (evento == "operazione" && !v.contains("recuperata")) ++c.operazioni;
    if (evento != "salvataggio") return;
    const long salvate = numero(v, "modifiche_salvate");
    if (c.contando && c.lacuna.empty() && c.operazioni < salvate)
        c.lacuna = "Il salvataggio della voce n." + numero_di(v) + " (" + quando_di(v) +
                   ") ha salvato " + operazioni(salvate) + ", ma il registro ne contiene " +
                   std::to_string(c.operazioni) + ": le altre non vi sono state scritte.\n";
    c.contando = true;
    c.operazioni = 0;
}

void esamina(CATENA& c, const RIGA_LETTA& r, const std::string& file_c) {
    if (!c.rottura.empty()) return;
    const std::string riga = "riga " + std::to_string(r.numero);
    if (!r.completa) {
        c.rottura = "L'ultima riga (" + riga +
                    ") e' incompleta: il registro e' stato troncato, o una scrittura si e' "
                    "interrotta.\n";
        return;
    }
    json v;
    const RIGA_REGISTRO esito = controlla_riga(r.testo, v);
    if (esito == RIGA_REGISTRO::ILLEGGIBILE) {
        c.rottura = "La " + riga +
                    " non e' una voce intera del registro: e' stata alterata, o una scrittura "
                    "si e' interrotta.\n";
        return;
    }
    const uint64_t atteso = c.voci + 1;
    if (esito == RIGA_REGISTRO::ALTERATA) {
        c.rottura = "La voce n." + numero_di(v) + " (" + riga +
                    ") e' stata alterata: il suo hash non corrisponde al contenuto.\n";
        return;
    }
    if (campo(v, "n").is_number_unsigned() && campo(v, "n").get<uint64_t>() > atteso) {
        c.rottura = "Manca la voce n." + std::to_string(atteso) + ", prima della " + riga +
                    ": e' stata tolta.\n";
        return;
    }
    if (!campo(v, "n").is_number_unsigned() || campo(v, "n").get<uint64_t>() != atteso ||
        testo(v, "precedente") != c.hash) {
        c.rottura = "La voce n." + numero_di(v) + " (" + riga +
                    ") non segue la voce precedente: la catena e' interrotta.\n";
        return;
    }
    c.voci = atteso;
    c.hash = testo(v, "hash");
    if (const auto a = c.ancore.find(atteso); a != c.ancore.end() && a->second.first != c.hash) {
        c.rottura = "La voce n." + std::to_string(atteso) + " (" + riga +
                    ") non e' quella che il registro di sistema attesta dal " + a->second.second +
                    " (hash " + a->second.first + "): il registro e' stato riscritto.\n";
        return;
    }
    if (testo(v, "evento") == "salvataggio" || testo(v, "evento") == "fine_sessione")
        c.ancorate.push_back(atteso);
    conta_operazioni(c, v);
    if (testo(v, "evento") != "salvataggio" || !campo(v, "file").is_array()) return;
    for (const json& f : campo(v, "file"))
        if (testo(f, "ruolo") == "contravvenzioni" && testo(f, "percorso") == file_c)
            c.salvataggio = v;
}

// The data files against the hashes of the last save.
// A file that is one a save cut short put in place (`interrotto`, the
// fingerprints its note gives) is that save's, not changed outside the program.
std::string confronta_file(const json& salvataggio, const std::vector<IMPRONTA>& interrotto,
                           bool& uguali, bool& del_salvataggio_interrotto) {
    std::string r;
    uguali = true;
    for (const json& f : campo(salvataggio, "file")) {
        const std::string percorso = testo(f, "percorso");
        // Registers kept before the files had SHA-256 fingerprints hold BLAKE2b ones.
        const bool sha = f.contains("sha256");
        const std::optional<IMPRONTA> i =
            impronta_file(percorso, sha ? ALGORITMO_FILE::SHA256 : ALGORITMO_FILE::BLAKE2B);
        if (i && esadecimale(*i) == testo(f, sha ? "sha256" : "blake2b")) continue;
        const std::optional<IMPRONTA> nuova = impronta_file(percorso);
        if (nuova && std::find(interrotto.begin(), interrotto.end(), *nuova) != interrotto.end()) {
            del_salvataggio_interrotto = true;
            continue;
        }
        uguali = false;
        r += "Il file " + percorso +
             (i ? " e' stato modificato fuori dal programma" : " manca o non si puo' leggere") +
             " dopo l'ultimo salvataggio (voce n." + numero_di(salvataggio) + " del " +
             quando_di(salvataggio) + ").\n";
    }
    return r;
}

// What the anchors say beyond the chain: forged ones, a register shorter
// than they attest, or which anchors could not be checked at all.
std::string esito_ancore(const CATENA& c, bool verificabili, const std::vector<ANCORA_LETTA>& false_,
                         long altri_file, bool& integro) {
    std::string r;
    for (const ANCORA_LETTA& f : false_) {
        integro = false;
        r += "Ancora falsa nel registro di sistema (" + f.quando + "): scritta " +
             (f.uid >= 0 ? "dall'utente " + std::to_string(f.uid) : std::string("da un utente ignoto")) +
             (f.pid >= 0 ? " (processo " + std::to_string(f.pid) + ")" : std::string()) +
             ", non dal proprietario del registro: voce n." + std::to_string(f.a.voce) + ", hash " +
             f.a.hash + ".\n";
    }
    if (!c.ancore.empty() && c.ancore.rbegin()->first > c.voci) {
        integro = false;
        r += "Il registro finisce alla voce n." + std::to_string(c.voci) +
             ", ma il registro di sistema ne attesta la voce n." +
             std::to_string(c.ancore.rbegin()->first) + " dal " + c.ancore.rbegin()->second.second +
             ": e' stato troncato.\n";
    }
    if (altri_file > 0)
        r += "Ancore di un altro file che stava a questo percorso (un altro inode): " +
             std::to_string(altri_file) + ", non confrontate.\n";
    if (verificabili) {
        const std::size_t n = c.ancore.size();
        r += n == 0 ? "Ancore: il registro di sistema (journald) non ne ha per questo registro.\n"
                    : "Ancore: " + std::to_string(n) +
                          (n == 1 ? " controllata" : " controllate") +
                          " nel registro di sistema (journald), l'ultima sulla voce n." +
                          std::to_string(c.ancore.rbegin()->first) + " del " +
                          c.ancore.rbegin()->second.second + ".\n";
        return r;
    }
    if (c.ancorate.empty()) return r + "Ancore: nessuna voce del registro ne ha mandata una.\n";
    r += "Ancore non controllate: il registro di sistema qui non e' journald, e una riga di "
         "syslog non si distingue da una falsa. Sono quelle delle voci ";
    const std::size_t da = c.ancorate.size() > 10 ? c.ancorate.size() - 10 : 0;
    if (da > 0) r += "(le ultime 10 di " + std::to_string(c.ancorate.size()) + ") ";
    for (std::size_t i = da; i < c.ancorate.size(); ++i)
        r += (i == da ? "n." : ", n.") + std::to_string(c.ancorate[i]);
    return r + ": confrontarle a mano con journalctl -t sanzionario o /var/log/syslog.\n";
}

// Walks the chain of the register `s` into the report; false when it was
// not read, or broke.
bool percorri(CATENA& c, const SORGENTE_REGISTRO& s, const std::string& file_c,
              ESITO_VERIFICA& e) {
    const LETTURA_REGISTRO letto =
        leggi_righe(s, [&](const RIGA_LETTA& r) { esamina(c, r, file_c); });
    if (letto != LETTURA_REGISTRO::LETTO) {
        e.rapporto = lettura_fallita(s, letto);
        return false;
    }
    e.rapporto = "Registro " + s.nome + "\n";
    if (!c.rottura.empty()) {
        e.rapporto += c.rottura;
        return false;
    }
    e.rapporto += "Catena integra: " + std::to_string(c.voci) + (c.voci == 1 ? " voce" : " voci") +
                  ", ultimo hash " + c.hash + "\n";
    e.integro = c.lacuna.empty();
    e.rapporto += c.lacuna;
    return true;
}

// Whether the register's table refuses a change or a removal of its
// entries: its trigger is there and enabled. Nothing when it could not be
// asked.
std::optional<bool> tabella_protetta(DATABASE& db) {
    RISPOSTA r;
    if (!esegui(db,
                "SELECT tgenabled FROM pg_trigger WHERE tgrelid = 'sanzionario.registro'::regclass "
                "AND tgname = 'registro_solo_aggiunte'",
                {}, &r))
        return std::nullopt;
    if (PQntuples(r.get()) == 0) return false;
    const std::string stato = PQgetvalue(r.get(), 0, 0);
    return stato == "O" || stato == "A";
}

} // namespace

ESITO_VERIFICA verifica_registro(const std::string& registro, const std::string& file_c,
                                 const std::vector<IMPRONTA>& salvataggio_interrotto) {
    ESITO_VERIFICA e;
    CATENA c;
    // The register itself: only its owner may have written it.
    struct stat st{};
    const int fd = open(registro.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    const bool aperto = fd >= 0 && fstat(fd, &st) == 0;
    if (fd >= 0) close(fd);
    if (aperto && S_ISREG(st.st_mode)) {
        if (st.st_uid != geteuid() && geteuid() != 0) {
            e.rapporto = "Il registro " + registro + " appartiene a un altro utente (" +
                         std::to_string(st.st_uid) + "): non e' verificato.\n";
            return e;
        }
        if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
            char permessi[8];
            std::snprintf(permessi, sizeof permessi, "%04o", static_cast<unsigned>(st.st_mode & 07777));
            e.rapporto = "Il registro " + registro + " puo' essere scritto anche da altri (permessi " +
                         permessi + "): non e' verificato.\n";
            return e;
        }
    }
    std::vector<ANCORA_LETTA> lette, false_;
    long altri_file = 0;
    const bool verificabili =
        aperto && leggi_ancore(percorso_assoluto(registro), static_cast<uint64_t>(st.st_dev),
                               static_cast<uint64_t>(st.st_ino), lette, altri_file);
    for (ANCORA_LETTA& a : lette) {
        if (a.uid >= 0 && static_cast<uid_t>(a.uid) == st.st_uid)
            c.ancore[a.a.voce] = {a.a.hash, a.quando};
        else
            false_.push_back(std::move(a));
    }
    if (!percorri(c, registro_nel_file(registro), file_c, e)) return e;
    if (!c.salvataggio) {
        e.rapporto +=
            "Nessun salvataggio registrato: i file dei dati non sono stati confrontati.\n";
    } else {
        bool uguali = true, interrotto = false;
        const std::string differenze =
            confronta_file(*c.salvataggio, salvataggio_interrotto, uguali, interrotto);
        if (uguali && interrotto) {
            e.rapporto += "I file dei dati sono quelli di un salvataggio interrotto dopo averli "
                          "messi al loro posto:\nla sua voce sara' scritta al prossimo "
                          "caricamento.\n";
        } else if (uguali) {
            e.rapporto += "I file dei dati sono quelli dell'ultimo salvataggio (voce n." +
                          numero_di(*c.salvataggio) + " del " + quando_di(*c.salvataggio) + ").\n";
        } else {
            e.rapporto += differenze;
            e.integro = false;
        }
    }
    e.rapporto += esito_ancore(c, verificabili, false_, altri_file, e.integro);
    return e;
}

ESITO_VERIFICA verifica_registro_database(DATABASE& db) {
    ESITO_VERIFICA e;
    CATENA c;
    if (!percorri(c, registro_della_tabella(db), "", e)) return e;
    e.rapporto += "Le tabelle non sono confrontate con un salvataggio: nel database ogni "
                  "operazione e' scritta con la sua voce in una sola transazione.\n";
    const std::optional<bool> protetta = tabella_protetta(db);
    if (protetta && *protetta) {
        e.rapporto += "La tabella del registro accetta solo voci nuove.\n";
        return e;
    }
    e.integro = false;
    e.rapporto += protetta ? "La tabella del registro non rifiuta piu' modifiche e "
                             "cancellazioni: il suo trigger registro_solo_aggiunte e' stato "
                             "disattivato o tolto.\n"
                           : "Non si e' potuto controllare che la tabella del registro accetti "
                             "solo voci nuove: " + db.errore + ".\n";
    return e;
}
