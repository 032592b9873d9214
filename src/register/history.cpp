// The history: a heading line (number, when, who), what happened in
// words, and each record touched, whole when it came or went, field by
// field ("da ... a ...") when it changed.
#include "register/history.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <utility>

namespace {

std::string testo(const json& v, const char* nome) {
    const json& x = campo(v, nome);
    if (x.is_string()) return x.get<std::string>();
    if (x.is_null()) return "";
    return x.dump();
}

std::string maiuscolo(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// "2026-12-07T18:38:19+01:00" as "07/12/2026 18:38:19 (+01:00)".
std::string data_ora(const std::string& iso) {
    if (iso.size() < 19) return iso;
    std::string r = iso.substr(8, 2) + "/" + iso.substr(5, 2) + "/" + iso.substr(0, 4) + " " +
                    iso.substr(11, 8);
    if (iso.size() > 19) r += " (" + iso.substr(19) + ")";
    return r;
}

// The fields of each kind of record, in the order the forms ask them.
using CAMPI = std::pair<const char*, const char*>;
constexpr CAMPI CAMPI_CONTRAVV[] = {
    {"data_verbale", "data del verbale"}, {"luogo", "luogo"},
    {"targa", "targa"},                   {"tipo", "infrazione"},
    {"importo", "importo"},               {"proprietario", "dati anagrafici"},
    {"pagata", "pagata"},                 {"data_pagamento", "data del pagamento"}};
constexpr CAMPI CAMPI_ANAGRAF[] = {
    {"cognome", "cognome"},      {"nome", "nome"},       {"data_nascita", "data di nascita"},
    {"indirizzo", "indirizzo"},  {"citta", "citta'"},    {"provincia", "provincia"},
    {"cap", "CAP"},              {"codice_fiscale", "codice fiscale"},
    {"patente", "patente"}};

std::string valore(const json& immagine, const char* nome) {
    const json& x = campo(immagine, nome);
    if (x.is_boolean()) return x.get<bool>() ? "si" : "no";
    if (x.is_null()) return std::string(nome).starts_with("data") ? "nessuna" : "nessuno";
    if (std::string(nome) == "importo") return testo(immagine, nome) + " euro";
    if (std::string(nome) == "proprietario") return "codice " + x.dump();
    return testo(immagine, nome);
}

template <std::size_t N>
void stampa_record(std::ostream& out, const json& r, const std::string& nome,
                   const CAMPI (&campi)[N]) {
    const json& prima = campo(r, "prima");
    const json& dopo = campo(r, "dopo");
    const json& intero = prima.is_object() ? prima : dopo;
    if (!prima.is_object() && !dopo.is_object()) return;
    if (!prima.is_object()) {
        out << "  " << nome << ", inserit" << (nome[0] == 'C' ? "a" : "i") << ":\n";
    } else if (!dopo.is_object()) {
        out << "  " << nome << (nome[0] == 'C' ? ", cancellata; conteneva:\n"
                                               : ", cancellati; contenevano:\n");
    } else {
        out << "  " << nome << (prima == dopo ? ", invariat" : ", modificat")
            << (nome[0] == 'C' ? "a" : "i") << (prima == dopo ? "\n" : ":\n");
        for (const auto& [nome, etichetta] : campi)
            if (campo(prima, nome) != campo(dopo, nome))
                out << "    " << etichetta << ": da " << valore(prima, nome) << " a "
                    << valore(dopo, nome) << "\n";
        return;
    }
    for (const auto& [nome, etichetta] : campi)
        out << "    " << etichetta << ": " << valore(intero, nome) << "\n";
}

void stampa_file(std::ostream& out, const json& v) {
    if (!campo(v, "file").is_array()) return;
    for (const json& f : campo(v, "file")) {
        out << "  " << (testo(f, "ruolo") == "contravvenzioni" ? "contravvenzioni" : "dati anagrafici")
            << ": " << testo(f, "percorso") << " (" << testo(f, "record") << " record";
        if (f.contains("sha256")) out << ", SHA-256 " << testo(f, "sha256");
        if (f.contains("blake2b")) out << ", BLAKE2b " << testo(f, "blake2b");
        out << ")\n";
    }
}

// "1 modifica salvata", "3 modifiche salvate": `participio` without its ending.
std::string modifiche(const json& v, const char* nome, const std::string& participio) {
    const std::string n = testo(v, nome);
    return n == "1" ? "1 modifica " + participio + "a" : n + " modifiche " + participio + "e";
}

void stampa_evento(std::ostream& out, const json& v) {
    const std::string evento = testo(v, "evento");
    if (evento == "operazione") {
        out << testo(v, "descrizione") << "\n";
        if (v.contains("recuperata"))
            out << "  (recuperata dal giornale dopo un'interruzione; fatta il "
                << data_ora(testo(v, "quando_operazione")) << ")\n";
        if (!campo(v, "record").is_array()) return;
        for (const json& r : campo(v, "record")) {
            if (r.contains("pagata_il")) { // a payment among many, written compact
                out << "  Contravvenzione n." << testo(r, "contravvenzione") << " (targa "
                    << testo(r, "targa") << ", " << testo(r, "importo") << " euro), pagata il "
                    << testo(r, "pagata_il") << "\n";
            } else if (r.contains("contravvenzione")) {
                stampa_record(out, r, "Contravvenzione n." + testo(r, "contravvenzione"),
                              CAMPI_CONTRAVV);
            } else {
                stampa_record(out, r, "Dati anagrafici con codice " + testo(r, "anagrafica"),
                              CAMPI_ANAGRAF);
            }
        }
    } else if (evento == "caricamento") {
        out << "Caricamento dei dati\n";
        stampa_file(out, v);
    } else if (evento == "salvataggio") {
        out << "Salvataggio dei dati (" << modifiche(v, "modifiche_salvate", "salvat") << ")\n";
        stampa_file(out, v);
        if (v.contains("operazioni_nel_registro"))
            out << "  (le operazioni salvate sono nel registro "
                << testo(v, "operazioni_nel_registro") << ")\n";
    } else if (evento == "recupero") {
        out << "Recupero dal giornale: " << modifiche(v, "modifiche_recuperate", "recuperat")
            << ", " << testo(v, "modifiche_non_recuperate") << " non recuperabili\n";
        if (v.contains("giornale_messo_da_parte"))
            out << "  giornale conservato in " << testo(v, "giornale_messo_da_parte") << "\n";
        if (v.contains("registrate_non_avvenute"))
            out << "  operazioni registrate ma mai arrivate nel giornale: "
                << testo(v, "registrate_non_avvenute")
                << " (interrotte prima della conferma, non sono avvenute)\n";
    } else if (evento == "non_salvare") {
        out << "Non salvare (" << modifiche(v, "modifiche_non_salvate", "non salvat") << ")\n";
    } else if (evento == "fine_sessione") {
        out << (campo(v, "chiusa_dal_programma") == true ? "Fine della sessione"
                                                  : "Fine della sessione per la fine dell'input")
            << " (" << modifiche(v, "modifiche_non_salvate", "non salvat") << ")\n";
    } else {
        out << evento << "\n";
    }
}

bool tocca(const json& v, const std::function<bool(const json& r, const json& immagine)>& f) {
    if (!campo(v, "record").is_array()) return false;
    for (const json& r : campo(v, "record")) {
        if (r.contains("pagata_il") && f(r, r)) return true; // compact: the record is its image
        for (const char* lato : {"prima", "dopo"})
            if (f(r, campo(r, lato))) return true;
    }
    return false;
}

} // namespace

bool voce_scelta(const json& v, const FILTRI_REGISTRO& f) {
    if (!f.utente.empty() && testo(v, "utente") != f.utente && testo(v, "utente_sudo") != f.utente)
        return false;
    const std::string quando =
        v.contains("quando_operazione") ? testo(v, "quando_operazione") : testo(v, "quando");
    const std::string giorno = quando.substr(0, std::min<std::size_t>(10, quando.size()));
    if (!f.dal.empty() && giorno < f.dal) return false;
    if (!f.al.empty() && giorno > f.al) return false;
    const bool per_record = f.contravvenzione || !f.anagrafica.empty() || !f.targa.empty();
    if (!per_record) return true;
    if (testo(v, "evento") != "operazione") return false;
    if (f.contravvenzione && !tocca(v, [&](const json& r, const json&) {
            return campo(r, "contravvenzione") == json(*f.contravvenzione);
        }))
        return false;
    const std::string codice = maiuscolo(f.anagrafica);
    if (!codice.empty() && !tocca(v, [&](const json& r, const json& i) {
            return testo(r, "anagrafica") == codice || testo(i, "proprietario") == codice ||
                   (r.contains("anagrafica") && testo(i, "codice_fiscale") == codice);
        }))
        return false;
    const std::string targa = maiuscolo(f.targa);
    if (!targa.empty() && !tocca(v, [&](const json& r, const json& i) {
            return r.contains("contravvenzione") && testo(i, "targa") == targa;
        }))
        return false;
    return true;
}

void stampa_voce(std::ostream& out, const json& v) {
    out << "Voce n." << testo(v, "n") << " - " << data_ora(testo(v, "quando")) << " - "
        << testo(v, "utente");
    if (v.contains("utente_sudo")) out << " (tramite sudo da " << testo(v, "utente_sudo") << ")";
    out << " su " << testo(v, "host") << ", processo " << testo(v, "processo") << "\n";
    stampa_evento(out, v);
    out << "\n";
}
