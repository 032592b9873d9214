// The office's settings file, parsed by inih one line at a time so that
// every wrong value is named with its line.
#include "notices/settings.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <ini.h>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <vector>

namespace {

struct CHIAVE {
    const char* sezione;
    const char* nome;
};

// Every key the file may hold, in the sample's order.
constexpr CHIAVE CHIAVI[] = {
    {"ufficio", "nome"},
    {"ufficio", "reparto"},
    {"ufficio", "indirizzo"},
    {"ufficio", "contatti"},
    {"pagopa", "codice_fiscale_ente"},
    {"pagopa", "cifra_ausiliaria"},
    {"pagopa", "codice_segregazione"},
    {"pagopa", "codice_applicazione"},
    {"importi", "riduzione_percentuale"},
    {"importi", "giorni_riduzione"},
    {"importi", "giorni_pagamento"},
};

struct LETTURA {
    std::istringstream testo;
    int riga = 0;
    bool riga_lunga = false;
    int riga_errore = 0;
    std::string errore;
    std::map<std::string, std::pair<std::string, int>> valori; // "sezione.nome" -> value, line
    bool rientrata = false; // the line read starts with a blank
};

// inih's reader: the next line, counted; a line longer than inih's buffer
// stops the reading instead of being cut.
char* prossima_riga(char* buffer, int spazio, void* dati) {
    auto* l = static_cast<LETTURA*>(dati);
    std::string riga;
    if (!std::getline(l->testo, riga)) return nullptr;
    ++l->riga;
    l->rientrata = !riga.empty() && (riga[0] == ' ' || riga[0] == '\t');
    if (riga.size() + 2 > static_cast<std::size_t>(spazio)) {
        l->riga_lunga = true;
        return nullptr;
    }
    std::memcpy(buffer, riga.data(), riga.size());
    buffer[riga.size()] = '\n';
    buffer[riga.size() + 1] = '\0';
    return buffer;
}

// UTF-8 without control characters: what the letterhead may print.
bool utf8_valido(std::string_view t) {
    for (std::size_t i = 0; i < t.size();) {
        const auto c = static_cast<unsigned char>(t[i]);
        if (c < 0x80) {
            if (c < 0x20 || c == 0x7F) return false;
            ++i;
            continue;
        }
        const std::size_t n = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 0;
        if (n == 0 || c < 0xC2 || i + n >= t.size()) return false;
        for (std::size_t k = 1; k <= n; ++k)
            if ((static_cast<unsigned char>(t[i + k]) & 0xC0) != 0x80) return false;
        i += n + 1;
    }
    return true;
}

int valore_letto(void* dati, const char* sezione, const char* nome, const char* valore) {
    auto* l = static_cast<LETTURA*>(dati);
    const auto sbaglio = [&](std::string motivo) {
        if (l->errore.empty()) {
            l->errore = std::move(motivo);
            l->riga_errore = l->riga;
        }
        return 0;
    };
    bool nota = false;
    for (const CHIAVE& k : CHIAVI) nota = nota || (std::strcmp(k.sezione, sezione) == 0 &&
                                                   std::strcmp(k.nome, nome) == 0);
    if (!nota) {
        if (sezione[0] == '\0') return sbaglio(std::string("la chiave ") + nome + " precede ogni sezione");
        return sbaglio(std::string("chiave sconosciuta nella sezione [") + sezione + "]: " + nome);
    }
    const std::string chiave = std::string(sezione) + "." + nome;
    // inih reads an indented line after a key as that value's continuation.
    if (l->rientrata && l->valori.count(chiave) != 0)
        return sbaglio("una riga che inizia con uno spazio continua il valore di " +
                       std::string(nome) + ": togliere gli spazi all'inizio della riga");
    if (l->valori.count(chiave) != 0)
        return sbaglio("la chiave " + std::string(nome) + " e' gia' alla riga " +
                       std::to_string(l->valori[chiave].second));
    if (!utf8_valido(valore))
        return sbaglio("il valore di " + std::string(nome) +
                       " non e' testo UTF-8 o contiene caratteri di controllo");
    l->valori[chiave] = {valore, l->riga};
    return 1;
}

bool solo_cifre(const std::string& t, std::size_t n) {
    if (t.size() != n) return false;
    for (const char c : t)
        if (c < '0' || c > '9') return false;
    return true;
}

// A whole number from 1 to `massimo`.
std::optional<int> giorni(const std::string& t, int massimo) {
    if (t.empty() || t.size() > 4) return std::nullopt;
    int n = 0;
    for (const char c : t) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n < 1 || n > massimo) return std::nullopt;
    return n;
}

// A percentage from 0 to 100, with at most two decimals after a point or
// a comma, in hundredths of a percent.
std::optional<int> percentuale(const std::string& t) {
    int interi = 0, decimali = 0, cifre_interi = 0, cifre_decimali = 0;
    bool virgola = false;
    for (const char c : t) {
        if ((c == ',' || c == '.') && !virgola && cifre_interi > 0) {
            virgola = true;
        } else if (c >= '0' && c <= '9' && !virgola && cifre_interi < 3) {
            interi = interi * 10 + (c - '0');
            ++cifre_interi;
        } else if (c >= '0' && c <= '9' && virgola && cifre_decimali < 2) {
            decimali = decimali * 10 + (c - '0');
            ++cifre_decimali;
        } else {
            return std::nullopt;
        }
    }
    if (cifre_interi == 0 || (virgola && cifre_decimali == 0)) return std::nullopt;
    const int valore = interi * 100 + (cifre_decimali == 1 ? decimali * 10 : decimali);
    if (valore > 10000) return std::nullopt;
    return valore;
}

bool esiste(const std::string& percorso) {
    struct stat s{};
    return stat(percorso.c_str(), &s) == 0;
}

} // namespace

bool codice_fiscale_numerico_valido(const std::string& codice) {
    if (!solo_cifre(codice, 11)) return false;
    int somma = 0;
    for (std::size_t i = 0; i < 10; ++i) {
        int c = codice[i] - '0';
        if (i % 2 == 1) {
            c *= 2;
            if (c > 9) c -= 9;
        }
        somma += c;
    }
    return (10 - somma % 10) % 10 == codice[10] - '0';
}

std::string percorso_impostazioni(const std::string& indicato) {
    if (!indicato.empty()) return indicato;
    std::string utente;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/')
        utente = xdg;
    else if (const char* casa = std::getenv("HOME"); casa != nullptr && casa[0] != '\0')
        utente = std::string(casa) + "/.config";
    if (!utente.empty() && esiste(utente + "/sanzionario/ufficio.conf"))
        return utente + "/sanzionario/ufficio.conf";
    return "/etc/sanzionario/ufficio.conf";
}

IMPOSTAZIONI_LETTE leggi_impostazioni(const std::string& percorso) {
    IMPOSTAZIONI_LETTE esito;
    esito.percorso = percorso;
    std::ifstream file(percorso, std::ios::binary);
    std::ostringstream contenuto;
    contenuto << file.rdbuf();
    if (!file || !contenuto) {
        esito.errore = "impossibile leggere le impostazioni dell'ufficio " + percorso +
                       " (si indicano con --ufficio FILE)";
        return esito;
    }
    LETTURA l;
    l.testo.str(contenuto.str());
    const int riga_sbagliata = ini_parse_stream(prossima_riga, &l, valore_letto, &l);
    const auto errore_riga = [&](int riga, const std::string& motivo) {
        esito.errore = percorso + ", riga " + std::to_string(riga) + ": " + motivo;
        return esito;
    };
    if (l.riga_lunga) return errore_riga(l.riga, "riga troppo lunga");
    if (riga_sbagliata > 0 && (l.errore.empty() || riga_sbagliata < l.riga_errore))
        return errore_riga(riga_sbagliata, "non e' ne' una [sezione] ne' una riga chiave = valore");
    if (riga_sbagliata != 0) return errore_riga(l.riga_errore, l.errore);

    UFFICIO& u = esito.ufficio;
    const auto valore = [&](const char* sezione, const char* nome) -> const std::pair<std::string, int>* {
        const auto it = l.valori.find(std::string(sezione) + "." + nome);
        return it == l.valori.end() ? nullptr : &it->second;
    };
    const auto manca = [&](const char* sezione, const char* nome) {
        esito.errore = percorso + ": manca la chiave " + nome + " nella sezione [" + sezione + "]";
        return esito;
    };
    const auto vuota = [&](const std::pair<std::string, int>& v, const char* nome, const char* come) {
        return errore_riga(v.second, std::string(nome) + " " + come + ": \"" + v.first + "\"");
    };
    for (const auto& [nome, campo] : {std::pair{"nome", &u.nome}, std::pair{"reparto", &u.reparto},
                                      std::pair{"indirizzo", &u.indirizzo},
                                      std::pair{"contatti", &u.contatti}}) {
        const auto* v = valore("ufficio", nome);
        if (v == nullptr) return manca("ufficio", nome);
        if (v->first.empty()) return errore_riga(v->second, std::string(nome) + " e' vuoto");
        *campo = v->first;
    }
    const auto* cf = valore("pagopa", "codice_fiscale_ente");
    if (cf == nullptr) return manca("pagopa", "codice_fiscale_ente");
    if (!solo_cifre(cf->first, 11))
        return vuota(*cf, "codice_fiscale_ente", "deve essere di 11 cifre");
    if (!codice_fiscale_numerico_valido(cf->first))
        return vuota(*cf, "codice_fiscale_ente", "ha la cifra di controllo sbagliata");
    u.codice_fiscale_ente = cf->first;
    const auto* aux = valore("pagopa", "cifra_ausiliaria");
    if (aux == nullptr) return manca("pagopa", "cifra_ausiliaria");
    if (aux->first != "0" && aux->first != "1" && aux->first != "3")
        return vuota(*aux, "cifra_ausiliaria", "deve essere 0, 1 o 3");
    u.regola.cifra_ausiliaria = aux->first[0] - '0';
    for (const auto& [nome, cifra] : {std::pair{"codice_segregazione", 3},
                                      std::pair{"codice_applicazione", 0}}) {
        const auto* v = valore("pagopa", nome);
        if (v != nullptr && !solo_cifre(v->first, 2))
            return vuota(*v, nome, "deve essere di 2 cifre");
        if (u.regola.cifra_ausiliaria != cifra) continue;
        if (v == nullptr) {
            esito.errore = percorso + ": con cifra_ausiliaria = " + std::to_string(cifra) +
                           " manca la chiave " + nome + " nella sezione [pagopa]";
            return esito;
        }
        u.regola.codice = v->first;
    }
    const auto* rid = valore("importi", "riduzione_percentuale");
    if (rid == nullptr) return manca("importi", "riduzione_percentuale");
    const auto p = percentuale(rid->first);
    if (!p) return vuota(*rid, "riduzione_percentuale", "deve essere un numero da 0 a 100, al piu' con due decimali");
    u.riduzione_centesimi_percento = *p;
    for (const auto& [nome, campo] : {std::pair{"giorni_riduzione", &u.giorni_riduzione},
                                      std::pair{"giorni_pagamento", &u.giorni_pagamento}}) {
        const auto* v = valore("importi", nome);
        if (v == nullptr) return manca("importi", nome);
        const auto g = giorni(v->first, 3650);
        if (!g) return vuota(*v, nome, "deve essere un numero di giorni da 1 a 3650");
        *campo = *g;
    }
    if (u.giorni_riduzione > u.giorni_pagamento)
        return errore_riga(valore("importi", "giorni_riduzione")->second,
                           "giorni_riduzione supera giorni_pagamento");
    esito.lette = true;
    return esito;
}
