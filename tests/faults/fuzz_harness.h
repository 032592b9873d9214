// Arbitrary bytes fed to the loader and to the console input routines, with
// the properties that must hold afterwards. Shared by the libFuzzer targets
// in fuzz/ and by the regression cases of the fault tests; each check gives
// "" when all is well, otherwise what went wrong.
#pragma once

#include <charconv>
#include <cmath>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "commands/payment_list.h"
#include "console/console.h"
#include "console/conventions.h"
#include "faults/list_check.h"
#include "input/date.h"
#include "input/identity.h"
#include "input/line.h"
#include "model/changes.h"
#include "model/lists.h"
#include "session/dialogs.h"
#include "session/replay.h"
#include "storage/archive_files.h"
#include "storage/journal_format.h"
#include "support/folder.h"
#include "support/texts.h"

namespace guasti {

// ---------------------------------------------------------------------------
// Payment lists

// The payment list's reader: what holds of every input.
inline std::string prova_elenco(std::string_view input) {
    const int fd = memfd_create("elenco", MFD_CLOEXEC);
    if (fd < 0 || write(fd, input.data(), input.size()) != static_cast<ssize_t>(input.size()) ||
        lseek(fd, 0, SEEK_SET) != 0)
        std::abort();
    std::string difetto;
    std::size_t ultima = 0, linea = 0;
    leggi_elenco_csv(
        fd,
        [&](std::vector<std::string>& campi, std::size_t l) {
            if (l <= ultima && difetto.empty()) difetto = "row lines not increasing";
            ultima = l;
            for (const std::string& c : campi) {
                if (c.size() > CAMPO_MAX + 1 && difetto.empty()) difetto = "a field beyond the bound";
                if (const auto i = leggi_importo_elenco(c); i && *i >= 100'000'000'000'000 &&
                    difetto.empty())
                    difetto = "an amount of 10^12 euro or more";
                numeri_nella_causale(c);
                for (const char b : citato(c))
                    if ((static_cast<unsigned char>(b) < 0x20 || b == 0x7F) && difetto.empty())
                        difetto = "a control character quoted";
            }
        },
        linea);
    close(fd);
    return difetto;
}

// ---------------------------------------------------------------------------
// Loader

// The two data files one input stands for: the fines file up to the first
// NUL byte and the owners file after it, or the two halves when there is none.
inline std::pair<std::string_view, std::string_view> dividi_archivio(std::string_view dati) {
    const std::size_t nul = dati.find('\0');
    if (nul != std::string_view::npos) return {dati.substr(0, nul), dati.substr(nul + 1)};
    return {dati.substr(0, dati.size() / 2), dati.substr(dati.size() / 2)};
}

namespace dettaglio {

// Counts that a save and a new load must give back unchanged.
struct CONTEGGI {
    int contravv = 0, anagraf = 0, con_anagraf = 0, pagate = 0;
    bool operator==(const CONTEGGI&) const = default;
};

inline CONTEGGI conteggi() {
    CONTEGGI n;
    n.contravv = conta(lista_contravv);
    n.anagraf = conta(lista_anagraf);
    for (const NODO_CONTRAVV* c = lista_contravv; c != nullptr; c = c->next) {
        n.con_anagraf += c->con_anagraf ? 1 : 0;
        n.pagate += c->pagata ? 1 : 0;
    }
    return n;
}

inline std::string descrivi(const CONTEGGI& n) {
    return std::to_string(n.contravv) + " fines (" + std::to_string(n.con_anagraf) +
           " with owner, " + std::to_string(n.pagate) + " paid), " + std::to_string(n.anagraf) +
           " owners";
}

// Loads the two files and checks the lists.
inline std::string carica_e_verifica(const std::string& c, const std::string& a) {
    const int esito = carica_archivio(c.c_str(), a.c_str());
    if (esito != 0) return "loading " + c + " gave " + std::to_string(esito) + ", not 0";
    return difetto_liste();
}

} // namespace dettaglio

// Writes the two files into `cartella`, loads them, checks the lists, saves
// them, loads the saved files again (same counts, same links) and saves once
// more: from the first save on, saving and loading changes nothing further.
inline std::string prova_caricamento(std::string_view dati, const std::string& cartella) {
    using namespace dettaglio;
    const auto [testo_c, testo_a] = dividi_archivio(dati);
    const std::string c0 = cartella + "/c0.txt", a0 = cartella + "/a0.txt";
    const std::string c1 = cartella + "/c1.txt", a1 = cartella + "/a1.txt";
    const std::string c2 = cartella + "/c2.txt", a2 = cartella + "/a2.txt";
    scrivi_file(c0, testo_c);
    scrivi_file(a0, testo_a);
    libera_liste();
    std::string difetto = carica_e_verifica(c0, a0);
    const CONTEGGI caricati = conteggi();
    // A record the layout cannot hold is refused by the save, which writes nothing.
    FUORI_LAYOUT fuori;
    if (difetto.empty() && !scrivi_archivio(c1.c_str(), a1.c_str(), &fuori)) {
        if (fuori.motivo == nullptr) difetto = "saving the loaded archive failed";
        libera_liste();
        return difetto;
    }
    if (difetto.empty()) difetto = carica_e_verifica(c1, a1);
    if (difetto.empty() && !(conteggi() == caricati))
        difetto = "loaded " + descrivi(caricati) + ", after a save " + descrivi(conteggi());
    if (difetto.empty() && !scrivi_archivio(c2.c_str(), a2.c_str()))
        difetto = "saving the reloaded archive failed";
    const std::string salvati[] = {leggi_file(c1), leggi_file(a1)};
    if (difetto.empty() && (salvati[0] != leggi_file(c2) || salvati[1] != leggi_file(a2)))
        difetto = "a saved archive, loaded and saved again, changed";
    libera_liste();
    return difetto;
}

// The journal target: `dati` stands for a journal found beside the archive
// in `campione` (the fines and owners files). It is read and, when
// recognised, replayed over that archive's lists: "" when the lists stay
// well formed, otherwise what is wrong.
inline std::string prova_giornale(std::string_view dati, const std::string& campione) {
    if (carica_archivio((campione + "/contravvenzioni.txt").c_str(),
                        (campione + "/anagrafica.txt").c_str()) != 0)
        return "the sample archive does not load";
    ascolta_modifiche(nullptr);
    const GIORNALE_LETTO g = decodifica_giornale(dati);
    std::size_t applicate = 0;
    long escluse = 0;
    if (g.riconosciuto) riapplica_giornale(g.voci, applicate, escluse);
    std::string difetto = difetto_liste();
    libera_liste();
    return difetto;
}

// ---------------------------------------------------------------------------
// Console input routines

enum class ROUTINE {
    INS_STR,
    INS_TXT,
    INS_NUM,
    INS_INT,
    INS_DOUBLE,
    INS_DATA,
    INS_CF,
    INS_PAT,
    LEGGI_SCELTA,
    DOMANDA_SN
};

// The fuzz targets of the routines, by name.
inline constexpr std::pair<const char*, ROUTINE> BERSAGLI[] = {
    {"ins_str", ROUTINE::INS_STR},
    {"ins_txt", ROUTINE::INS_TXT},
    {"ins_num", ROUTINE::INS_NUM},
    {"ins_int", ROUTINE::INS_INT},
    {"ins_double", ROUTINE::INS_DOUBLE},
    {"ins_data", ROUTINE::INS_DATA},
    {"ins_cf", ROUTINE::INS_CF},
    {"ins_pat", ROUTINE::INS_PAT},
    {"leggi_scelta", ROUTINE::LEGGI_SCELTA},
    {"domanda_sn", ROUTINE::DOMANDA_SN}};

using testi::MSG_CF;
using testi::MSG_DATA;
using testi::MSG_NUMERO;
using testi::MSG_PATENTE;
using testi::MSG_TESTO;
inline const char* const DOMANDA_PROVA = "Confermare? (s/n) ";

namespace dettaglio {

constexpr unsigned char SENTINELLA = 0x5A;
constexpr std::size_t MARGINE = 16;

// The line a call has accepted: the last one in the bytes it consumed,
// without its line end (LF, or CR LF), as the console keeps it (at most
// LINEA_MAX bytes).
inline std::string_view ultima_riga(std::string_view consumati) {
    const bool a_capo = !consumati.empty() && consumati.back() == '\n';
    if (a_capo) consumati.remove_suffix(1);
    const std::size_t inizio = consumati.rfind('\n');
    if (inizio != std::string_view::npos) consumati.remove_prefix(inizio + 1);
    if (a_capo && consumati.size() <= LINEA_MAX && !consumati.empty() && consumati.back() == '\r')
        consumati.remove_suffix(1);
    return consumati.substr(0, LINEA_MAX);
}

// What ins_str(s, n) keeps of a line: its first n bytes, up to a NUL byte,
// less the carriage returns that would end it.
inline std::string tenuto(std::string_view riga, int n) {
    std::string_view t = riga.substr(0, static_cast<std::size_t>(n));
    t = t.substr(0, t.find('\0'));
    while (!t.empty() && t.back() == '\r') t.remove_suffix(1);
    return std::string(t);
}

// Whether the text is nothing but repetitions of `unita` (at least `minimo`).
inline bool ripetizioni(std::string_view testo, std::string_view unita, std::size_t minimo) {
    std::size_t volte = 0;
    for (; !testo.empty(); ++volte) {
        if (testo.substr(0, unita.size()) != unita) return false;
        testo.remove_prefix(unita.size());
    }
    return volte >= minimo;
}

inline bool lettera(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
inline bool cifra(char c) {
    return c >= '0' && c <= '9';
}

// One call of the routine: what it must have printed and a check of its
// result against the line it accepted.
struct ESITO {
    std::string_view unita; // the only text it may print, repeated
    std::size_t minimo = 0; // how often at least
    std::string difetto;
};

inline std::string campo_buffer(const char* buf, int n, std::size_t capienza, std::string_view riga,
                                bool (*valido)(const std::string&)) {
    for (std::size_t i = static_cast<std::size_t>(n) + 1; i < capienza; ++i)
        if (static_cast<unsigned char>(buf[i]) != SENTINELLA)
            return "a byte beyond the field was written at position " + std::to_string(i);
    if (buf[n] != '\0') return "no terminator at position " + std::to_string(n);
    if (valido != nullptr && riga.substr(0, static_cast<std::size_t>(n)).find('\0') != riga.npos)
        return "accepted a line whose kept part holds a NUL byte";
    const std::string atteso = tenuto(riga, n);
    if (atteso != buf) return "kept \"" + std::string(buf) + "\" of the line \"" + atteso + "\"";
    if (valido != nullptr && !valido(buf)) return "accepted the invalid text \"" + atteso + "\"";
    return "";
}

inline bool solo_cifre_e_punti(std::string_view t) {
    for (char c : t)
        if (!cifra(c) && c != '.') return false;
    return true;
}

// The rules a routine must have applied, stated here on their own rather
// than borrowed from the routines under test.

// ins_txt: letters, blanks and the accented letters of the console code
// page (bytes 0x82 to 0x97).
inline bool testo_di_lettere(const std::string& t) {
    for (char c : t) {
        const auto b = static_cast<unsigned char>(c);
        if (!lettera(c) && c != ' ' && !(b >= 0x82 && b <= 0x97)) return false;
    }
    return true;
}

// ins_num: decimal digits only.
inline bool testo_di_cifre(const std::string& t) {
    for (char c : t)
        if (!cifra(c)) return false;
    return true;
}

// A shape written with L for a letter and D for a digit, position by position.
inline bool ha_forma(const std::string& t, std::string_view forma) {
    if (t.size() != forma.size()) return false;
    for (std::size_t i = 0; i < forma.size(); ++i)
        if (forma[i] == 'L' ? !lettera(t[i]) : !cifra(t[i])) return false;
    return true;
}

// gg/mm/aaaa, both digits of day and month, a month of the year and a day
// of that month (February has 29 days in a leap year).
inline bool valida_data(const std::string& t) {
    if (t.size() != 10 || t[2] != '/' || t[5] != '/') return false;
    for (std::size_t i : {0, 1, 3, 4, 6, 7, 8, 9})
        if (!cifra(t[i])) return false;
    const auto numero = [&](std::size_t da, std::size_t quante) {
        int n = 0;
        for (std::size_t i = da; i < da + quante; ++i) n = n * 10 + (t[i] - '0');
        return n;
    };
    const int gg = numero(0, 2), mm = numero(3, 2), aaaa = numero(6, 4);
    if (mm < 1 || mm > 12) return false;
    const bool bisestile = (aaaa % 4 == 0 && aaaa % 100 != 0) || aaaa % 400 == 0;
    constexpr int GIORNI[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int ultimo = mm == 2 && bisestile ? 29 : GIORNI[mm - 1];
    return gg >= 1 && gg <= ultimo;
}

inline bool valida_cf(const std::string& t) {
    return ha_forma(t, "LLLLLLDDLDDLDDDL");
}
inline bool valida_patente(const std::string& t) {
    return ha_forma(t, "LLDDDDDDDL");
}

// One call of the routine on the console (esegui), and the check of what
// it gave against the line it accepted (verifica).
struct CHIAMATA {
    ROUTINE routine;
    int indice; // how many calls came before
    char buf[128 + MARGINE];
    int n = 0;
    uint32_t intero = 0;
    double reale = 0.0;
    char scelta = 0;

    void esegui() {
        std::memset(buf, SENTINELLA, sizeof buf);
        static constexpr int LUNGHEZZE_STR[] = {2, 7, 31, 63, 127};
        switch (routine) {
        case ROUTINE::INS_STR:
            n = LUNGHEZZE_STR[indice % 5];
            ins_str(buf, n);
            break;
        case ROUTINE::INS_TXT:
            n = indice % 2 == 0 ? 31 : 2;
            ins_txt(buf, n);
            break;
        case ROUTINE::INS_NUM:
            n = 5;
            ins_num(buf, n);
            break;
        case ROUTINE::INS_INT:
            ins_int(&intero);
            break;
        case ROUTINE::INS_DOUBLE:
            ins_double(&reale);
            break;
        case ROUTINE::INS_DATA: {
            DATA d{};
            ins_data(&d);
            char testo[32];
            std::snprintf(testo, sizeof testo, "%02d/%02d/%04d", d.gg, d.mm, d.aaaa);
            std::strcpy(buf, testo);
            break;
        }
        case ROUTINE::INS_CF:
            n = 16;
            ins_cf(buf);
            break;
        case ROUTINE::INS_PAT:
            n = 10;
            ins_pat(buf);
            break;
        case ROUTINE::LEGGI_SCELTA:
            scelta = leggi_scelta('1', '7');
            break;
        case ROUTINE::DOMANDA_SN:
            domanda_sn(DOMANDA_PROVA);
            break;
        }
    }

    ESITO verifica(std::string_view riga) const {
        ESITO e;
        switch (routine) {
        case ROUTINE::INS_STR:
            e.difetto = campo_buffer(buf, n, sizeof buf, riga, nullptr);
            break;
        case ROUTINE::INS_TXT:
            e.unita = MSG_TESTO;
            e.difetto = campo_buffer(buf, n, sizeof buf, riga, testo_di_lettere);
            break;
        case ROUTINE::INS_NUM:
            e.unita = MSG_NUMERO;
            e.difetto = campo_buffer(buf, n, sizeof buf, riga, testo_di_cifre);
            break;
        case ROUTINE::INS_INT: {
            e.unita = MSG_NUMERO;
            uint64_t atteso = 0;
            const auto r = std::from_chars(riga.data(), riga.data() + riga.size(), atteso);
            const bool cifre =
                riga.empty() || (r.ec == std::errc() && r.ptr == riga.data() + riga.size() &&
                                 riga.find_first_not_of("0123456789") == std::string_view::npos);
            if (!cifre || atteso != intero)
                e.difetto = "took " + std::to_string(intero) + " from the line \"" +
                            std::string(riga) + "\"";
            break;
        }
        case ROUTINE::INS_DOUBLE:
            e.unita = MSG_NUMERO;
            if (!solo_cifre_e_punti(riga) || !std::isfinite(reale) || reale < 0.0)
                e.difetto = "took " + std::to_string(reale) + " from the line \"" +
                            std::string(riga) + "\"";
            break;
        case ROUTINE::INS_DATA:
            e.unita = MSG_DATA;
            if (!valida_data(buf) || tenuto(riga, 63) != buf ||
                riga.substr(0, 63).find('\0') != riga.npos)
                e.difetto = "took the date " + std::string(buf) + " from the line \"" +
                            std::string(riga) + "\"";
            break;
        case ROUTINE::INS_CF:
            e.unita = MSG_CF;
            e.difetto = campo_buffer(buf, n, 17 + MARGINE, riga, valida_cf);
            break;
        case ROUTINE::INS_PAT:
            e.unita = MSG_PATENTE;
            e.difetto = campo_buffer(buf, n, 11 + MARGINE, riga, valida_patente);
            break;
        case ROUTINE::LEGGI_SCELTA:
            e.unita = ">";
            e.minimo = 1;
            if (scelta < '1' || scelta > '7')
                e.difetto = "took the choice " + std::to_string(scelta);
            break;
        case ROUTINE::DOMANDA_SN:
            e.unita = DOMANDA_PROVA;
            e.minimo = 1;
            break;
        }
        return e;
    }
};

} // namespace dettaglio

// Feeds the bytes as console input and calls the routine again and again
// until the input is over, checking each value it gives and all it prints.
inline std::string prova_routine(ROUTINE routine, std::string_view dati) {
    using namespace dettaglio;
    std::istringstream in{std::string(dati)};
    std::ostringstream out;
    usa_flussi(in, out);
    auto posizione = [&] {
        const std::streamoff p = in.tellg();
        return p < 0 ? dati.size() : static_cast<std::size_t>(p);
    };
    std::string difetto;
    std::size_t stampato = 0;
    auto controlla_stampa = [&](std::string_view unita, std::size_t minimo) {
        const std::string testo = out.str();
        const std::string_view nuovo = std::string_view(testo).substr(stampato);
        stampato = testo.size();
        if (!ripetizioni(nuovo, unita, minimo))
            return "printed \"" + std::string(nuovo.substr(0, 200)) + "\"";
        return std::string();
    };
    CHIAMATA chiamata{routine, 0, {}};
    try {
        for (; difetto.empty(); ++chiamata.indice) {
            const std::size_t prima = posizione();
            chiamata.esegui();
            const std::size_t dopo = posizione();
            if (dopo <= prima) {
                difetto = "returned without reading any input";
                break;
            }
            const ESITO e = chiamata.verifica(ultima_riga(dati.substr(prima, dopo - prima)));
            difetto = e.difetto;
            if (difetto.empty()) difetto = controlla_stampa(e.unita, e.minimo);
        }
    } catch (const FineInput&) {
        const ESITO e = chiamata.verifica("");
        difetto = controlla_stampa(e.unita, 0);
    }
    usa_flussi(std::cin, std::cout);
    return difetto.empty() ? "" : "call " + std::to_string(chiamata.indice + 1) + ": " + difetto;
}

} // namespace guasti
