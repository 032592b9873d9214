// Scripts of mixed operations kept valid by a small model of the two lists,
// the archive after each of their steps, and the recovering run.
#include "faults/journal_trials.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <functional>
#include <random>
#include <string_view>
#include <sys/wait.h>

#include "model/lists.h"
#include "session/dialogs.h"
#include "storage/archive_files.h"

namespace prove {

using namespace guasti;

namespace {

// ---- the model: what the script must know to type only valid operations ----

struct MULTA {
    uint32_t numero;
    uint32_t proprietario; // 0: no owner data
    int giorno;            // of the payment, in March 2008; 0: not paid
};

// An owner as the owner form is answered: the fields before the address,
// the address, the fields after it. Owners that differ only in the address
// are merged by giving one the address of the other.
struct PROPRIETARIO {
    uint32_t codice;
    std::string prima, indirizzo, dopo;
    std::string modulo() const { return prima + indirizzo + "\n" + dopo; }
};

// Letters for the n-th new owner's surname (names take letters only).
std::string lettere(int n) {
    std::string s;
    do {
        s += static_cast<char>('A' + n % 26);
        n /= 26;
    } while (n > 0);
    return s;
}

struct MODELLO {
    std::vector<MULTA> multe; // in list order
    std::vector<PROPRIETARIO> proprietari;

    // The identifier the program gives a new record: the tail's plus one,
    // or past the largest when that one is taken.
    template <class T, class F> static uint32_t prossimo(const std::vector<T>& v, F id) {
        if (v.empty()) return 1;
        uint32_t massimo = 0;
        bool preso = false;
        for (const T& x : v) {
            massimo = std::max(massimo, id(x));
            preso = preso || id(x) == id(v.back()) + 1;
        }
        return preso ? massimo + 1 : id(v.back()) + 1;
    }
    uint32_t prossimo_numero() const {
        return prossimo(multe, [](const MULTA& m) { return m.numero; });
    }
    uint32_t prossimo_codice() const {
        return prossimo(proprietari, [](const PROPRIETARIO& p) { return p.codice; });
    }
    // Its fines lose their owner data and their payment.
    void togli_proprietario(uint32_t codice) {
        for (MULTA& m : multe)
            if (m.proprietario == codice) m = {m.numero, 0, 0};
        std::erase_if(proprietari, [&](const PROPRIETARIO& p) { return p.codice == codice; });
    }
};

// ---- the script ----

enum TIPO {
    REGISTRA,
    MODIFICA,
    PAGA,
    CAMBIA_PAGAMENTO,
    TOGLI_PAGAMENTO,
    DATI_PROPRIETARIO,
    MODIFICA_PROPRIETARIO,
    UNISCI,
    ELIMINA_PROPRIETARIO,
    ELIMINA_MULTA,
    TIPI
};
const char* const NOMI[TIPI] = {"record",         "edit fine",    "pay",        "change payment",
                                "remove payment", "attach owner", "edit owner", "merge owners",
                                "delete owner",   "delete fine"};

const std::string DATI_AGGIORNATI = "---- Dati aggiornati. ----";
const std::string AL_MENU_MULTE = "\n5\n", AL_MENU_PAGAMENTI = "\n6\n",
                  AL_MENU_ANAGRAFICA = "\n5\n";

struct SCRITTORE {
    MODELLO m;
    std::mt19937 caso;
    COPIONE& c;
    int n = 0; // operations written

    template <class T, class P> T* a_caso(std::vector<T>& v, P adatto) {
        std::vector<T*> scelti;
        for (T& x : v)
            if (adatto(x)) scelti.push_back(&x);
        if (scelti.empty()) return nullptr;
        return scelti[std::uniform_int_distribution<std::size_t>(0, scelti.size() - 1)(caso)];
    }
    static bool ogni(const auto&) { return true; }
    // A payment day other than `prima`, never before the ticket (12/3/2008).
    int giorno(int prima) {
        const int g = 13 + n % 15;
        return g == prima ? g + 1 : g;
    }
    static std::string data(int giorno) { return std::to_string(giorno) + "/03/2008\n"; }
    void passo(std::string tasti, std::string fine, std::string ritorno, uint32_t unito = 0,
               uint32_t in = 0) {
        c.passi.push_back({std::move(tasti), std::move(fine), std::move(ritorno), unito, in});
    }
    // The owner form for a fine: a new owner, or the data of one on file
    // (the fine then shares that record).
    std::string proprietario_per(MULTA& f) {
        const PROPRIETARIO* uguale =
            n % 3 == 0 ? a_caso(m.proprietari, ogni<PROPRIETARIO>) : nullptr;
        if (uguale == nullptr) {
            m.proprietari.push_back({m.prossimo_codice(),
                                     "verdi" + lettere(n) + "\nluca\n01/01/1980\n",
                                     "VIA NUOVA " + std::to_string(n),
                                     "Torino\n10100\nto\nVRDLCU80A01L219X\nTO7654321B\n"});
            uguale = &m.proprietari.back();
        }
        f.proprietario = uguale->codice;
        return uguale->modulo();
    }

    // Writes an operation of kind t; false, writing nothing, when there is
    // no record it could work on.
    bool scrivi(TIPO t) {
        const std::string i = std::to_string(n);
        switch (t) {
        case REGISTRA: {
            MULTA f{m.prossimo_numero(), 0, 0};
            std::string tasti = "1\n2\n12/03/2008\nVia Nuova " + i + "\nNW" +
                                std::to_string(10000 + n) + "\nSosta vietata\n" +
                                std::to_string(30 + n) + ".75\n";
            if (n % 4 == 0) {
                tasti += "n\n";
            } else {
                tasti += "s\n" + proprietario_per(f);
                if (n % 4 != 1) f.giorno = giorno(0);
                tasti += f.giorno != 0 ? "s\n" + data(f.giorno) : "n\n";
            }
            m.multe.push_back(f);
            passo(tasti, " inserita correttamente. \n", AL_MENU_MULTE);
            return true;
        }
        case MODIFICA: {
            const MULTA* f = a_caso(m.multe, ogni<MULTA>);
            if (f == nullptr) return false;
            const std::string campo[] = {"2\nVia Cambiata " + i + "\n", "3\nED" + i + "\n",
                                         "5\n" + std::to_string(50 + n) + ".25\n"};
            passo("1\n3\n" + std::to_string(f->numero) + "\n\n" + campo[n % 3] + "8\n",
                  DATI_AGGIORNATI, AL_MENU_MULTE);
            return true;
        }
        case PAGA: {
            MULTA* f =
                a_caso(m.multe, [](auto& x) { return x.proprietario != 0 && x.giorno == 0; });
            if (f == nullptr) return false;
            f->giorno = giorno(0);
            passo("3\n2\n" + std::to_string(f->numero) + "\n" + data(f->giorno),
                  "Pagamento aggiunto.", AL_MENU_PAGAMENTI);
            return true;
        }
        case CAMBIA_PAGAMENTO: {
            MULTA* f = a_caso(m.multe, [](auto& x) { return x.giorno != 0; });
            if (f == nullptr) return false;
            f->giorno = giorno(f->giorno);
            passo("3\n3\n" + std::to_string(f->numero) + "\n\n" + data(f->giorno),
                  "--- Data del pagamento modificata ---", AL_MENU_PAGAMENTI);
            return true;
        }
        case TOGLI_PAGAMENTO: {
            MULTA* f = a_caso(m.multe, [](auto& x) { return x.giorno != 0; });
            if (f == nullptr) return false;
            f->giorno = 0;
            passo("3\n4\n" + std::to_string(f->numero) + "\n\n", "--- Pagamento eliminato ---",
                  AL_MENU_PAGAMENTI);
            return true;
        }
        case DATI_PROPRIETARIO: {
            MULTA* f = a_caso(m.multe, [](auto& x) { return x.proprietario == 0; });
            if (f == nullptr) return false;
            const std::string numero = std::to_string(f->numero);
            passo("2\n2\n" + numero + "\n" + proprietario_per(*f), "Dati aggiunti correttamente.",
                  AL_MENU_ANAGRAFICA);
            return true;
        }
        case MODIFICA_PROPRIETARIO: {
            PROPRIETARIO* p = a_caso(m.proprietari, ogni<PROPRIETARIO>);
            if (p == nullptr) return false;
            p->indirizzo = "CORSO ITALIA " + i; // an address no other owner has
            passo("2\n3\n" + std::to_string(p->codice) + "\n\n3\n" + p->indirizzo + "\n7\n",
                  DATI_AGGIORNATI, AL_MENU_ANAGRAFICA);
            return true;
        }
        case UNISCI: {
            const PROPRIETARIO* in = nullptr;
            const PROPRIETARIO* p = a_caso(m.proprietari, [&](const PROPRIETARIO& x) {
                for (const PROPRIETARIO& y : m.proprietari)
                    if (y.codice != x.codice && y.prima == x.prima && y.dopo == x.dopo) return true;
                return false;
            });
            if (p != nullptr)
                in = a_caso(m.proprietari, [&](const PROPRIETARIO& y) {
                    return y.codice != p->codice && y.prima == p->prima && y.dopo == p->dopo;
                });
            if (in == nullptr) return false;
            const uint32_t unito = p->codice, verso = in->codice;
            passo("2\n3\n" + std::to_string(unito) + "\n\n3\n" + in->indirizzo + "\n",
                  "[3] Indirizzo:                " + in->indirizzo + "\n", "", unito, verso);
            passo("7\n", DATI_AGGIORNATI, AL_MENU_ANAGRAFICA);
            for (MULTA& f : m.multe)
                if (f.proprietario == unito) f.proprietario = verso;
            m.togli_proprietario(unito);
            return true;
        }
        case ELIMINA_PROPRIETARIO: {
            const PROPRIETARIO* p = a_caso(m.proprietari, ogni<PROPRIETARIO>);
            if (p == nullptr) return false;
            const uint32_t codice = p->codice;
            passo("2\n4\n" + std::to_string(codice) + "\n\n", "--- Dati anagrafici eliminati ---",
                  AL_MENU_ANAGRAFICA);
            m.togli_proprietario(codice);
            return true;
        }
        case ELIMINA_MULTA: {
            const MULTA* f = a_caso(m.multe, ogni<MULTA>);
            if (f == nullptr) return false;
            const MULTA tolta = *f;
            const bool anche = n % 2 == 0;
            passo("1\n4\n" + std::to_string(tolta.numero) + "\n\n" + (anche ? "s\n" : "n\n"),
                  "--- Contravvenzione eliminata ---", AL_MENU_MULTE);
            std::erase_if(m.multe, [&](const MULTA& x) { return x.numero == tolta.numero; });
            if (anche && tolta.proprietario != 0) m.togli_proprietario(tolta.proprietario);
            return true;
        }
        case TIPI:
            break;
        }
        return false;
    }
};

} // namespace

COPIONE copione(int record, int operazioni, unsigned seme) {
    COPIONE c;
    c.archivio = archivio_generato(record);
    SCRITTORE s{{}, std::mt19937(seme), c};
    // The archive as archivio_generato writes it: fine i of owner i (ROSSI
    // MARIO of Milano at VIA ROMA i), every third one paid on 20/3/2008.
    for (uint32_t i = 1; i <= static_cast<uint32_t>(record); ++i) {
        s.m.multe.push_back({i, i, i % 3 == 0 ? 20 : 0});
        s.m.proprietari.push_back({i, "rossi\nmario\n05/03/1970\n", "VIA ROMA " + std::to_string(i),
                                   "Milano\n20100\nmi\nRSSMRA70C05F205Z\nMI1234567A\n"});
    }
    // Rounds holding every kind once, each round in an order of its own.
    std::vector<TIPO> giro;
    for (int t = 0; t < TIPI; ++t) giro.push_back(static_cast<TIPO>(t));
    while (s.n < operazioni) {
        std::shuffle(giro.begin(), giro.end(), s.caso);
        for (TIPO t : giro) {
            if (s.n == operazioni) break;
            // A kind with nothing to work on yet gives way to a new fine.
            const TIPO fatto = s.scrivi(t) ? t : (s.scrivi(REGISTRA), REGISTRA);
            ++c.per_tipo[NOMI[fatto]];
            ++s.n;
        }
    }
    return c;
}

std::string tasti(const COPIONE& c, int passi) {
    std::string t = CARICA;
    for (int p = 0; p < passi; ++p) t += c.passi[p].tasti + c.passi[p].ritorno;
    return t;
}

int passi_visti(const COPIONE& c, const std::string& output) {
    std::size_t da = 0;
    int visti = 0;
    for (const PASSO& p : c.passi) {
        const std::size_t trovato = output.find(p.fine, da);
        if (trovato == std::string::npos) break;
        da = trovato + p.fine.size();
        ++visti;
    }
    return visti;
}

namespace {

uint64_t fnv(std::string_view s) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char b : s) h = (h ^ b) * 1099511628211ull;
    return h;
}

} // namespace

IMPRONTA impronta(const std::string& contravvenzioni, const std::string& anagrafica) {
    const std::hash<std::string_view> h;
    return {contravvenzioni.size(), anagrafica.size(), fnv(contravvenzioni),
            h(contravvenzioni),     fnv(anagrafica),   h(anagrafica)};
}

IMPRONTA impronta_di(const Cartella& cartella) {
    return impronta(cartella.leggi(DATI_C), cartella.leggi(DATI_A));
}

std::string dati_uguali(const std::string& anagrafica, uint32_t unito, uint32_t in) {
    // Eight lines a record: empty, code, five of data, the closing rule.
    std::vector<std::string> righe;
    for (std::size_t da = 0;;) {
        const std::size_t a_capo = anagrafica.find('\n', da);
        righe.push_back(anagrafica.substr(da, a_capo - da));
        if (a_capo == std::string::npos) break;
        da = a_capo + 1;
    }
    std::size_t r_unito = 0, r_in = 0;
    for (std::size_t r = 1; r < righe.size(); r += 8) {
        if (righe[r] == std::to_string(unito)) r_unito = r;
        if (righe[r] == std::to_string(in)) r_in = r;
    }
    EXPECT_TRUE(r_unito > 0 && r_in > 0) << "owners " << unito << " and " << in << " not on file";
    if (r_unito == 0 || r_in == 0) return anagrafica;
    for (std::size_t k = 1; k <= 5; ++k) righe[r_unito + k] = righe[r_in + k];
    std::string fuori;
    for (std::size_t r = 0; r < righe.size(); ++r) fuori += (r > 0 ? "\n" : "") + righe[r];
    return fuori;
}

ARCHIVIO RIFERIMENTI::file_dopo(int passi) {
    const PASSO* primo_di_unione = passi > 0 ? &copione_.passi[passi - 1] : nullptr;
    if (primo_di_unione != nullptr && primo_di_unione->unito != 0) {
        ARCHIVIO a = file_dopo(passi - 1);
        a.anagrafica = dati_uguali(a.anagrafica, primo_di_unione->unito, primo_di_unione->in);
        return a;
    }
    Cartella c(copione_.archivio);
    const Sessione s = esegui_programma(c, tasti(copione_, passi) + SALVA_ED_ESCI);
    ++esecuzioni;
    EXPECT_EQ(s.stato, 0) << "reference run of " << passi << " steps";
    EXPECT_EQ(s.errori, "");
    EXPECT_EQ(passi_visti(copione_, s.output), passi) << "the script went astray";
    EXPECT_NE(s.output.find(SALVATAGGIO_RIUSCITO), std::string::npos);
    ARCHIVIO a{c.leggi(DATI_C), c.leggi(DATI_A)};
    libera_liste();
    EXPECT_EQ(carica_archivio(c.file(DATI_C).c_str(), c.file(DATI_A).c_str()), 0)
        << "the archive after " << passi << " steps does not load";
    libera_liste();
    return a;
}

const IMPRONTA& RIFERIMENTI::dopo(int passi) {
    const auto trovato = noti_.find(passi);
    if (trovato != noti_.end()) return trovato->second;
    const ARCHIVIO a = file_dopo(passi);
    return noti_[passi] = impronta(a.contravvenzioni, a.anagrafica);
}

std::string RIFERIMENTI::quali(const IMPRONTA& i) const {
    std::string s;
    for (const auto& [passi, nota] : noti_)
        if (nota == i) s += (s.empty() ? "" : ", ") + std::to_string(passi);
    return s;
}

RECUPERO recupera_e_salva(const Cartella& cartella) {
    RECUPERO r;
    Programma p(cartella.percorso);
    p.digita("5\n\n\n");
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    // Whether the question comes depends on what the stop left: both are watched for.
    while (p.output.find(CARICATO) == std::string::npos &&
           std::chrono::steady_clock::now() < limite) {
        if (!r.domanda && p.output.find(DOMANDA_RECUPERO) != std::string::npos) {
            r.domanda = true;
            p.digita("s\n");
        }
        siginfo_t fine{};
        if (!p.attendi("\x01", 0, 0.002) &&
            waitid(P_PID, static_cast<id_t>(p.pid), &fine, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            fine.si_pid != 0)
            break; // ended before its load
    }
    r.recuperate = p.output.find(RECUPERATE) != std::string::npos;
    p.digita("\n6\n1\n");
    r.salvato = p.attendi(SALVATAGGIO_RIUSCITO, 0, 120);
    p.digita("\n7\n3\n\n");
    r.stato = p.termina(120);
    r.output = p.output;
    r.errori = p.errori;
    return r;
}

std::string avanzi(const Cartella& cartella) {
    std::string s;
    DIR* d = opendir(cartella.file("dati").c_str());
    if (d == nullptr) return "no data folder";
    while (const dirent* voce = readdir(d)) {
        const std::string nome = voce->d_name;
        if (nome.find(".giornale") != std::string::npos || nome.find(".tmp-") != std::string::npos)
            s += nome + " ";
    }
    closedir(d);
    return s;
}

long da_ambiente(const char* nome, long altrimenti) {
    const char* v = std::getenv(nome);
    if (v == nullptr || *v == '\0') return altrimenti;
    return std::strtol(v, nullptr, 10);
}

} // namespace prove
