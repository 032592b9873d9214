// The payment list's rows, columns, amounts and reasons.
#include "commands/payment_list.h"

#include <cerrno>
#include <clocale>
#include <iconv.h>
#include <langinfo.h>
#include <unistd.h>

#include "commands/csv_format.h"

namespace {

bool cifra(char c) {
    return c >= '0' && c <= '9';
}
bool lettera(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
char minuscola(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A header name in a plain form: lower case, blanks for '_', '-' and '.',
// without parentheses, the euro sign or a last word "eur", no blanks
// around or doubled.
std::string nome_semplice(std::string_view t) {
    std::string n;
    for (std::size_t i = 0; i < t.size(); ++i) {
        char c = t[i];
        if (t.substr(i, 3) == "\xE2\x82\xAC") { // €
            i += 2;
            c = ' ';
        }
        if (c == '_' || c == '-' || c == '.' || c == '(' || c == ')' || c == '\t') c = ' ';
        c = minuscola(c);
        if (c == ' ' && (n.empty() || n.back() == ' ')) continue;
        n += c;
    }
    while (!n.empty() && n.back() == ' ') n.pop_back();
    if (n.size() > 4 && n.ends_with(" eur")) n.resize(n.size() - 4);
    if (n.starts_with("\xEF\xBB\xBF")) n.erase(0, 3);
    return n;
}

// The usual names of each column, the likeliest first.
const std::vector<std::string> NOMI_NUMERO = {
    "numero", "numero verbale", "n verbale", "nr verbale", "numero contravvenzione",
    "contravvenzione", "verbale", "n", "nr", "num"};
const std::vector<std::string> NOMI_DATA = {
    "data pagamento", "data del pagamento", "data valuta", "data operazione",
    "data contabile", "data accredito", "data"};
const std::vector<std::string> NOMI_IMPORTO = {
    "importo", "importo pagato", "pagato", "importo accreditato", "accrediti", "accredito",
    "avere", "entrate", "importo versato"};
const std::vector<std::string> NOMI_CAUSALE = {
    "causale", "descrizione", "descrizione operazione", "causale pagamento", "motivazione",
    "riferimento", "note"};
const std::vector<std::string> NOMI_AVVISO = {"codice avviso", "numero avviso", "avviso",
                                              "codice avviso pagopa", "iuv"};

int colonna(const std::vector<std::string>& nomi_letti, const std::string& scelto,
            const std::vector<std::string>& usuali) {
    if (!scelto.empty()) {
        const std::string s = nome_semplice(scelto);
        for (std::size_t i = 0; i < nomi_letti.size(); ++i)
            if (nomi_letti[i] == s) return static_cast<int>(i);
        return -1;
    }
    for (const std::string& u : usuali)
        for (std::size_t i = 0; i < nomi_letti.size(); ++i)
            if (nomi_letti[i] == u) return static_cast<int>(i);
    return -1;
}

} // namespace

bool leggi_nomi_colonne(std::string_view testo, NOMI_COLONNE& nomi, std::string& errore) {
    while (!testo.empty()) {
        const std::size_t virgola = testo.find(',');
        const std::string_view voce = testo.substr(0, virgola);
        testo = virgola == std::string_view::npos ? "" : testo.substr(virgola + 1);
        const std::size_t uguale = voce.find('=');
        const std::string chiave(voce.substr(0, uguale));
        const std::string nome(uguale == std::string_view::npos ? "" : voce.substr(uguale + 1));
        std::string* dove = chiave == "numero"    ? &nomi.numero
                            : chiave == "data"    ? &nomi.data
                            : chiave == "importo" ? &nomi.importo
                            : chiave == "causale" ? &nomi.causale
                                                  : nullptr;
        if (dove == nullptr || nome.empty()) {
            errore = "--colonne vuole numero=NOME, data=NOME, importo=NOME o causale=NOME, "
                     "separati da virgole: \"" + std::string(voce) + "\"";
            return false;
        }
        *dove = nome;
    }
    return true;
}

COLONNE_ELENCO trova_colonne(const std::vector<std::string>& intestazione,
                             const NOMI_COLONNE& nomi) {
    std::vector<std::string> letti;
    for (const std::string& n : intestazione) letti.push_back(nome_semplice(n));
    COLONNE_ELENCO c;
    c.numero = colonna(letti, nomi.numero, NOMI_NUMERO);
    c.data = colonna(letti, nomi.data, NOMI_DATA);
    c.importo = colonna(letti, nomi.importo, NOMI_IMPORTO);
    c.causale = colonna(letti, nomi.causale, NOMI_CAUSALE);
    c.avviso = colonna(letti, "", NOMI_AVVISO);
    return c;
}

namespace {

constexpr std::size_t BLOCCO = std::size_t{1} << 16;
constexpr std::size_t RIGA_MAX = std::size_t{1} << 20;

bool vuota(const std::vector<std::string>& campi) {
    for (const std::string& c : campi)
        if (c.find_first_not_of(" \t") != std::string::npos) return false;
    return true;
}

char separatore(std::string_view linea) {
    if (linea.find(';') != std::string_view::npos) return ';';
    if (linea.find(',') == std::string_view::npos && linea.find('\t') != std::string_view::npos)
        return '\t';
    return ',';
}

ssize_t leggi(int fd, char* b, std::size_t n) {
    for (;;) {
        const ssize_t k = read(fd, b, n);
        if (k >= 0 || errno != EINTR) return k;
    }
}

} // namespace

LETTURA_ELENCO leggi_elenco_csv(int fd, const RIGA_CSV& riga, std::size_t& linea) {
    // The beginning, up to the header's line end, for its separator.
    std::string testa;
    bool fine = false;
    std::size_t inizio = 0;
    for (;;) {
        const std::size_t prima = testa.size();
        testa.resize(prima + BLOCCO);
        const ssize_t k = leggi(fd, testa.data() + prima, BLOCCO);
        if (k < 0) return LETTURA_ELENCO::ILLEGGIBILE;
        testa.resize(prima + static_cast<std::size_t>(k));
        fine = k == 0;
        if (testa.starts_with(BOM_UTF8)) inizio = BOM_UTF8.size();
        const std::size_t dati = testa.find_first_not_of(" \t\r\n", inizio);
        if (fine || (dati != std::string::npos && testa.find('\n', dati) != std::string::npos))
            break;
        if (testa.size() > RIGA_MAX) {
            linea = 1;
            return LETTURA_ELENCO::CAMPO_LUNGO;
        }
    }
    const std::size_t dati = testa.find_first_not_of(" \t\r\n", inizio);
    const char sep = dati == std::string::npos
                         ? ','
                         : separatore(std::string_view(testa).substr(dati, testa.find('\n', dati) - dati));

    enum { INIZIO_CAMPO, SEMPLICE, QUOTATO, QUOTA_NEL_QUOTATO } stato = INIZIO_CAMPO;
    std::vector<std::string> campi;
    std::string campo;
    std::size_t byte_riga = 0;
    std::size_t corrente = 1; // the line being read
    std::size_t inizio_riga = 1;
    bool riga_iniziata = false;
    const auto chiudi_campo = [&] {
        campi.push_back(std::move(campo));
        campo.clear();
        stato = INIZIO_CAMPO;
    };
    const auto chiudi_riga = [&] {
        chiudi_campo();
        if (!vuota(campi)) riga(campi, inizio_riga);
        campi.clear();
        byte_riga = 0;
        riga_iniziata = false;
    };
    std::string blocco = std::move(testa);
    std::size_t da = inizio;
    for (;;) {
        for (std::size_t i = da; i < blocco.size(); ++i) {
            const char c = blocco[i];
            if (!riga_iniziata) {
                riga_iniziata = true;
                inizio_riga = corrente;
            }
            if (c == '\n') ++corrente;
            if (++byte_riga > RIGA_MAX || campo.size() > CAMPO_MAX) {
                linea = inizio_riga;
                return LETTURA_ELENCO::CAMPO_LUNGO;
            }
            switch (stato) {
            case QUOTATO:
                if (c == '"') stato = QUOTA_NEL_QUOTATO;
                else campo += c;
                continue;
            case QUOTA_NEL_QUOTATO:
                if (c == '"') {
                    campo += '"';
                    stato = QUOTATO;
                    continue;
                }
                stato = SEMPLICE; // what follows the closing quote joins the field
                break;
            case INIZIO_CAMPO:
                if (c == '"') {
                    stato = QUOTATO;
                    continue;
                }
                stato = SEMPLICE;
                break;
            case SEMPLICE: break;
            }
            if (c == sep) chiudi_campo();
            else if (c == '\n') chiudi_riga();
            else if (c != '\r') campo += c;
        }
        if (fine) break;
        blocco.resize(BLOCCO);
        const ssize_t k = leggi(fd, blocco.data(), BLOCCO);
        if (k < 0) return LETTURA_ELENCO::ILLEGGIBILE;
        blocco.resize(static_cast<std::size_t>(k));
        fine = k == 0;
        da = 0;
    }
    if (stato == QUOTATO) {
        linea = inizio_riga;
        return LETTURA_ELENCO::QUOTE_APERTE;
    }
    if (riga_iniziata) chiudi_riga();
    return LETTURA_ELENCO::LETTO;
}

std::optional<int64_t> leggi_importo_elenco(std::string_view testo) {
    // Blanks of every kind as ' ', the euro sign and "EUR" dropped at either end.
    std::string t;
    for (std::size_t i = 0; i < testo.size(); ++i) {
        if (testo.substr(i, 2) == "\xC2\xA0") { // no-break space
            t += ' ';
            ++i;
        } else if (testo.substr(i, 3) == "\xE2\x80\xAF") { // narrow no-break space
            t += ' ';
            i += 2;
        } else if (testo.substr(i, 3) == "\xE2\x82\xAC") { // €
            t += '$';
            i += 2;
        } else {
            t += testo[i] == '\t' ? ' ' : testo[i];
        }
    }
    const auto spoglia = [&] {
        const std::size_t a = t.find_first_not_of(' ');
        if (a == std::string::npos) return t.clear();
        t = t.substr(a, t.find_last_not_of(' ') + 1 - a);
    };
    spoglia();
    for (const std::string_view valuta : {std::string_view("$"), std::string_view("EUR"),
                                          std::string_view("eur"), std::string_view("Eur")}) {
        if (t.starts_with(valuta)) t.erase(0, valuta.size());
        else if (t.ends_with(valuta)) t.resize(t.size() - valuta.size());
        spoglia();
    }
    if (!t.empty() && t.front() == '+') t.erase(0, 1);
    if (t.empty() || !cifra(t.front()) || !cifra(t.back())) return std::nullopt;
    // The decimal mark: the last '.' or ',', written once, one or two
    // digits after it. Three digits after the last mark make it one of
    // thousands (1.173 is more than a thousand: no amount has three
    // decimals), unless the other mark stands before it.
    const std::size_t ultimo = t.find_last_of(".,");
    std::size_t decimale = std::string::npos;
    if (ultimo != std::string::npos) {
        const std::size_t dopo = t.size() - ultimo - 1;
        const bool ripetuto = t.find(t[ultimo]) != ultimo;
        const bool altro = t.find(t[ultimo] == '.' ? ',' : '.') != std::string::npos;
        if (!ripetuto && dopo <= 2) decimale = ultimo;
        else if (dopo != 3 || altro) return std::nullopt;
    }
    const std::string_view intero = std::string_view(t).substr(0, decimale);
    const std::string_view decimali =
        decimale == std::string::npos ? std::string_view() : std::string_view(t).substr(decimale + 1);
    // The integer part: digits, grouped by three after a mark of thousands
    // ('.', ',', an apostrophe or a blank), one kind of mark only.
    int64_t centesimi = 0;
    std::size_t cifre = 0, gruppo = 0;
    char segno_migliaia = '\0';
    bool raggruppato = false;
    for (const char c : intero) {
        if (cifra(c)) {
            centesimi = centesimi * 10 + (c - '0');
            ++cifre;
            ++gruppo;
            if (cifre > 12) return std::nullopt;
            continue;
        }
        if (c != '.' && c != ',' && c != '\'' && c != ' ') return std::nullopt;
        if ((segno_migliaia != '\0' && c != segno_migliaia) || gruppo == 0 ||
            (raggruppato ? gruppo != 3 : gruppo > 3))
            return std::nullopt;
        segno_migliaia = c;
        raggruppato = true;
        gruppo = 0;
    }
    if (cifre == 0 || (raggruppato && gruppo != 3)) return std::nullopt;
    for (std::size_t i = 0; i < 2; ++i) {
        const char c = i < decimali.size() ? decimali[i] : '0';
        if (!cifra(c)) return std::nullopt;
        centesimi = centesimi * 10 + (c - '0');
    }
    return centesimi;
}

std::vector<uint32_t> numeri_nella_causale(std::string_view t) {
    std::vector<uint32_t> tutti, segnati;
    const auto legato = [&](std::size_t i, int verso) {
        // A digit run joined to what stands at i by a date's or an amount's mark.
        const std::size_t oltre = i + static_cast<std::size_t>(verso);
        return (t[i] == '/' || t[i] == '-' || t[i] == '.' || t[i] == ',' || t[i] == ':') &&
               oltre < t.size() && cifra(t[oltre]);
    };
    for (std::size_t i = 0; i < t.size();) {
        if (!cifra(t[i])) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < t.size() && cifra(t[j])) ++j;
        // "123/2026", a number and its year, names 123; a date does not.
        std::size_t anno = j + 1;
        while (anno < t.size() && cifra(t[anno])) ++anno;
        const bool con_anno = j < t.size() && t[j] == '/' && anno - j - 1 == 4 &&
                              (t.substr(j + 1, 2) == "19" || t.substr(j + 1, 2) == "20") &&
                              (anno == t.size() || (!lettera(t[anno]) && !legato(anno, +1) &&
                                                    t[anno] != '/'));
        const bool solo = (i == 0 || (!lettera(t[i - 1]) && !legato(i - 1, -1))) &&
                          (j == t.size() || con_anno || (!lettera(t[j]) && !legato(j, +1)));
        if (solo && j - i <= 10) {
            const uint64_t n = std::stoull(std::string(t.substr(i, j - i)));
            if (n <= UINT32_MAX) {
                tutti.push_back(static_cast<uint32_t>(n));
                // The word before it, across blanks, dots, colons, '#' and '°'.
                std::size_t k = i;
                while (k > 0 && (t[k - 1] == ' ' || t[k - 1] == '.' || t[k - 1] == ':' ||
                                 t[k - 1] == '#' || t[k - 1] == '\xB0' || t[k - 1] == '\xC2'))
                    --k;
                std::size_t w = k;
                while (w > 0 && lettera(t[w - 1])) --w;
                std::string parola;
                for (std::size_t x = w; x < k; ++x) parola += minuscola(t[x]);
                if (parola == "n" || parola == "nr" || parola == "num" || parola == "numero" ||
                    parola == "verbale" || parola == "contravvenzione" || parola == "vb")
                    segnati.push_back(static_cast<uint32_t>(n));
            }
        }
        i = con_anno ? anno : j;
    }
    return segnati.empty() ? tutti : segnati;
}

namespace {

// The terminal's set, as the locale names it.
struct SET_TERMINALE {
    bool utf8 = false;
    iconv_t verso = reinterpret_cast<iconv_t>(-1); // UTF-8 to it, for another set
    SET_TERMINALE() {
        std::setlocale(LC_CTYPE, "");
        const std::string set = nl_langinfo(CODESET);
        utf8 = set == "UTF-8";
        if (!utf8) verso = iconv_open(set.c_str(), "UTF-8");
    }
};

// The length of the UTF-8 character at the start of `t` and its code
// point; 0 when it is none.
std::size_t carattere(std::string_view t, uint32_t& cp) {
    const auto b = static_cast<unsigned char>(t[0]);
    std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (n == 0 || n > t.size()) return 0;
    cp = n == 1 ? b : b & (0x7F >> n);
    for (std::size_t i = 1; i < n; ++i) {
        const auto c = static_cast<unsigned char>(t[i]);
        if ((c & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    const uint32_t minimo[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < minimo[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

bool stampabile(uint32_t cp) {
    return cp >= 0x20 && cp != 0x7F && !(cp >= 0x80 && cp < 0xA0) && cp != 0x2028 &&
           cp != 0x2029 && !(cp >= 0x200E && cp <= 0x200F) && !(cp >= 0x202A && cp <= 0x202E) &&
           !(cp >= 0x2066 && cp <= 0x2069) && cp != 0xFEFF;
}

} // namespace

std::string citato(std::string_view testo) {
    static SET_TERMINALE set;
    std::string t;
    std::size_t caratteri = 0;
    while (!testo.empty() && caratteri < 40) {
        uint32_t cp = 0;
        std::size_t n = carattere(testo, cp);
        ++caratteri;
        if (n == 0 || !stampabile(cp)) {
            t += '?';
            testo.remove_prefix(n == 0 ? 1 : n);
            continue;
        }
        if (set.utf8 || cp < 0x80) {
            t += testo.substr(0, n);
        } else if (set.verso == reinterpret_cast<iconv_t>(-1)) {
            t += '?';
        } else {
            char uscita[16];
            char* in = const_cast<char*>(testo.data());
            char* out = uscita;
            std::size_t resto_in = n, resto_out = sizeof uscita;
            iconv(set.verso, nullptr, nullptr, nullptr, nullptr);
            if (iconv(set.verso, &in, &resto_in, &out, &resto_out) == static_cast<std::size_t>(-1))
                t += '?';
            else
                t.append(uscita, static_cast<std::size_t>(out - uscita));
        }
        testo.remove_prefix(n);
    }
    if (!testo.empty()) t += "...";
    return "\"" + t + "\"";
}
