// Each call a save makes to open, write, flush (file or folder), rename,
// link, size or close a file, made to fail in turn inside the real program
// (with EIO, with ENOSPC, or by writing only half of what it was given),
// through a library loaded with LD_PRELOAD (preload/io_fault_preload.cpp).
// After every run both data files are their old content or both their new
// one, never one of each; no temporary file is left; and the clerk reads
// "Salvataggio avvenuto correttamente" exactly when the files are the new
// ones and "Errore durante il salvataggio dei file" exactly when they are
// the old ones. A failure of the recovery journal or of the lock is not a
// failed save: the clerk is then told once that the journal cannot be
// written, and the files must still agree with what the clerk reads.
//
// The calls of the save are found by counting, in a run without faults,
// the calls made up to the save menu and up to the save's message. When a
// kind of call is made more than a few times only some of them fail, the
// first and last ones always; SANZ_GUASTI_IO_TUTTI=1 makes every one fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <random>
#include <vector>

#include "faults/fault_support.h"
#include "faults/preload/io_fault_counters.h"
#include "support/texts.h"

namespace {

using namespace guasti;
using guasto_io::CONTATORI;
using guasto_io::FAMIGLIE;
using guasto_io::NOMI;

constexpr int RECORD = 300;
// Calls of one kind made to fail in a sampled run, at most.
constexpr std::size_t CAMPIONE = 16;

// Load the default files, "[6] Salva" "[1]", leave with "[7] Esci" "[3] Non salvare".
const std::string DIALOGO = FINO_AL_SALVA + "1\n\n7\n3\n\n";
const std::string SALVATO = "Salvataggio avvenuto correttamente";
const std::string NON_SALVATO = "Errore durante il salvataggio dei file";
const std::string GIORNALE_NEGATO = "Impossibile scrivere il giornale delle modifiche";

// Which call fails and how; an empty `chiamata` only counts.
struct GUASTO {
    std::string chiamata;
    uint64_t volta = 0;
    std::string modo;
    uint64_t altra_volta = 0; // a second call of the kind that fails, 0 for none
};

// The program started with the library, which counts calls into the file
// `contatori` and fails the one `g` names.
OPZIONI con_libreria(const std::string& contatori, const GUASTO& g) {
    OPZIONI o;
    o.ambiente = {
        {"LD_PRELOAD", SANZIONARIO_IO_FAULT_LIB},
        {guasto_io::VAR_CONTATORI, contatori},
        {guasto_io::VAR_CHIAMATA, g.chiamata},
        {guasto_io::VAR_VOLTA,
         std::to_string(g.volta) + (g.altra_volta ? "," + std::to_string(g.altra_volta) : "")},
        {guasto_io::VAR_MODO, g.modo}};
    // The library comes before the sanitizer's runtime, which must not object.
    if (SANITIZZATO) {
        const char* a = std::getenv("ASAN_OPTIONS");
        o.ambiente.push_back({"ASAN_OPTIONS", std::string(a ? a : "") + (a && *a ? ":" : "") +
                                                  "verify_asan_link_order=0"});
    }
    return o;
}

CONTATORI leggi_contatori(const std::string& percorso) {
    CONTATORI c{};
    const std::string dati = leggi_file(percorso);
    if (dati.size() == sizeof c) std::memcpy(&c, dati.data(), sizeof c);
    return c;
}

// A working folder with the old archive: CR LF line ends, which a save
// writes as LF, so that old and new contents differ throughout.
struct Archivio : Cartella {
    explicit Archivio(const ARCHIVIO& vecchio) : Cartella(vecchio) {}
    std::string contatori() const { return file("contatori"); }
};

// The calls of each kind made before the save and once it is over.
struct FINESTRA {
    CONTATORI prima{}, dopo{};
};

FINESTRA misura(const ARCHIVIO& vecchio, const ARCHIVIO& nuovo) {
    Archivio c(vecchio);
    FINESTRA f;
    {
        Programma p(c.percorso, con_libreria(c.contatori(), {}));
        p.digita(FINO_AL_SALVA);
        EXPECT_TRUE(p.attendi(MENU_SALVA)) << p.output.substr(0, 500);
        f.prima = leggi_contatori(c.contatori());
        p.digita("1\n");
        EXPECT_TRUE(p.attendi(SALVATO)) << p.output;
        f.dopo = leggi_contatori(c.contatori());
        p.digita("\n7\n3\n\n");
        EXPECT_EQ(p.termina(), 0);
    }
    EXPECT_EQ(c.leggi(DATI_C), nuovo.contravvenzioni) << "the library alone changes nothing";
    EXPECT_EQ(c.leggi(DATI_A), nuovo.anagrafica);
    return f;
}

// The calls of the save to make fail, among `da`+1 .. `a`: all of them, or
// the first and the last few and some drawn from those in between.
std::vector<uint64_t> da_provare(uint64_t da, uint64_t a, bool tutte, std::mt19937& caso) {
    std::vector<uint64_t> v;
    for (uint64_t k = da + 1; k <= a; ++k) v.push_back(k);
    if (tutte || v.size() <= CAMPIONE) return v;
    std::vector<uint64_t> scelte(v.begin(), v.begin() + CAMPIONE / 4);
    scelte.insert(scelte.end(), v.end() - CAMPIONE / 4, v.end());
    std::vector<uint64_t> mezzo(v.begin() + CAMPIONE / 4, v.end() - CAMPIONE / 4);
    std::shuffle(mezzo.begin(), mezzo.end(), caso);
    scelte.insert(scelte.end(), mezzo.begin(), mezzo.begin() + CAMPIONE / 2);
    std::sort(scelte.begin(), scelte.end());
    return scelte;
}

// Names in the data folder that a save writes and must not leave.
std::vector<std::string> avanzi(const std::string& cartella) {
    std::vector<std::string> v;
    for (const auto& voce : std::filesystem::directory_iterator(cartella)) {
        const std::string nome = voce.path().filename().string();
        if (nome.find(".tmp-") != std::string::npos || nome.ends_with(".nuova")) v.push_back(nome);
    }
    return v;
}

struct ESITI {
    int prove = 0, salvati = 0, falliti = 0, giornale = 0, non_iniettati = 0;
    std::string problemi;
};

// One run with the fault; what went wrong, if anything, into `e`.
void prova(const ARCHIVIO& vecchio, const ARCHIVIO& nuovo, const GUASTO& g, ESITI& e) {
    Archivio c(vecchio);
    const Sessione s = esegui_programma(c, DIALOGO, con_libreria(c.contatori(), g));
    const CONTATORI k = leggi_contatori(c.contatori());
    const std::string quale = g.chiamata + " #" + std::to_string(g.volta) + " " + g.modo + " (" +
                              (k.iniettati ? k.chiamata_guasta : "nothing failed") + "): ";
    ++e.prove;
    if (k.iniettati == 0) {
        ++e.non_iniettati; // a write too short to be cut
        if (g.modo != "corta") e.problemi += quale + "the call was not made\n";
    }
    const auto [f_c, f_a] = stato_file(c, vecchio, nuovo);
    const bool salvato = s.output.find(SALVATO) != std::string::npos;
    const bool fallito = s.output.find(NON_SALVATO) != std::string::npos;
    e.salvati += salvato;
    e.falliti += fallito;
    e.giornale += s.output.find(GIORNALE_NEGATO) != std::string::npos;

    std::string p;
    if (f_c != f_a) p += "owners file " + f_a + ", fines file " + f_c + "; ";
    if (salvato != (f_c == "new" && f_a == "new"))
        p += std::string(salvato ? "said saved" : "did not say saved") + " with owners file " +
             f_a + ", fines file " + f_c + "; ";
    if (fallito != (f_c == "old" && f_a == "old"))
        p += std::string(fallito ? "said not saved" : "did not say not saved") +
             " with owners file " + f_a + ", fines file " + f_c + "; ";
    if (volte(s.output, GIORNALE_NEGATO) > 1) p += "told more than once of the journal; ";
    for (const std::string& nome : avanzi(c.file("dati"))) p += "left " + nome + "; ";
    if (s.stato != 0) p += "exit status " + std::to_string(s.stato) + "; ";
    if (!s.errori.empty()) p += "standard error \"" + s.errori + "\"; ";
    if (!s.output.ends_with(testi::CONGEDO)) p += "did not end with the farewell; ";
    if (!p.empty()) e.problemi += quale + p + "\n";
}

struct MODO_GUASTO {
    const char* modo;
    bool solo_scritture; // a short write is a write's fault only
};

// Every call of the save, one run each, failing the way `m` says.
void ogni_chiamata(const MODO_GUASTO m) {
    const auto inizio = Orologio::now();
    const ARCHIVIO vecchio = archivio_generato(RECORD, "\r\n");
    const ARCHIVIO nuovo = archivio_generato(RECORD, "\n");
    ASSERT_NE(vecchio.contravvenzioni, nuovo.contravvenzioni);

    const FINESTRA f = misura(vecchio, nuovo);
    if (testing::Test::HasFailure()) return;
    // A save that opens, writes, flushes, renames and closes none of its
    // files would mean the library sees nothing of it.
    for (int famiglia : {guasto_io::APERTURA, guasto_io::SCRITTURA, guasto_io::SINCRONIZZAZIONE,
                         guasto_io::RINOMINA, guasto_io::CHIUSURA})
        ASSERT_GT(f.dopo.chiamate[famiglia], f.prima.chiamate[famiglia])
            << "the library saw no " << NOMI[famiglia] << " call of the save";

    const char* t = std::getenv("SANZ_GUASTI_IO_TUTTI");
    const bool tutte = t != nullptr && *t != '\0' && std::strcmp(t, "0") != 0;
    const unsigned seme = std::random_device{}();
    SCOPED_TRACE("random seed " + std::to_string(seme));
    std::mt19937 caso(seme);
    ESITI e;
    std::string chiamate;
    for (int famiglia = 0; famiglia < FAMIGLIE; ++famiglia) {
        if (m.solo_scritture && famiglia != guasto_io::SCRITTURA) continue;
        const uint64_t da = f.prima.chiamate[famiglia], a = f.dopo.chiamate[famiglia];
        if (a > da) chiamate += " " + std::to_string(a - da) + " " + NOMI[famiglia] + ",";
        for (uint64_t volta : da_provare(da, a, tutte, caso))
            prova(vecchio, nuovo, {NOMI[famiglia], volta, m.modo}, e);
    }
    EXPECT_EQ(e.problemi, "");
    if (m.solo_scritture) {
        EXPECT_EQ(e.salvati, e.prove) << "a short write is no error";
        EXPECT_EQ(e.giornale, 0) << "a short write is no error";
    } else {
        EXPECT_GT(e.falliti, 0) << "no fault made a save fail: the faults do not reach it";
    }

    const double secondi = secondi_da(inizio);
    std::cout << "[ outcomes ] " << m.modo << ": the save made" << chiamate << " " << e.prove
              << " runs, " << e.salvati << " saved, " << e.falliti << " not saved, " << e.giornale
              << " told the journal cannot be written, " << e.non_iniettati
              << " with no fault made; " << secondi << " s\n";
}

} // namespace

// Every call, the journal's and the lock's too, failing as a disk that
// reports an error does, and as a full disk does.
TEST(FaultIo, EveryCallOfASaveFailingWithEIO) {
    ogni_chiamata({"EIO", false});
}

TEST(FaultIo, EveryCallOfASaveFailingWithENOSPC) {
    ogni_chiamata({"ENOSPC", false});
}

// A write that takes only half of what it is given is no error: the rest
// must follow.
TEST(FaultIo, EveryWriteOfASaveWritingOnlyHalf) {
    ogni_chiamata({"corta", true});
}

// Two faults at once: the second data file's rename fails, and so does
// putting the first one back. The clerk is told which file holds what, and
// the next load names the pair instead of taking it as one archive.
TEST(FaultIo, ASaveWhoseWayBackFailsTooSaysWhichFileIsWhich) {
    const ARCHIVIO vecchio = archivio_generato(RECORD, "\r\n");
    const ARCHIVIO nuovo = archivio_generato(RECORD, "\n");
    const FINESTRA f = misura(vecchio, nuovo);
    if (testing::Test::HasFailure()) return;
    const uint64_t prima = f.prima.chiamate[guasto_io::RINOMINA];
    Archivio c(vecchio);
    const Sessione s = esegui_programma(
        c, DIALOGO, con_libreria(c.contatori(), {"rename", prima + 2, "EIO", prima + 3}));
    EXPECT_NE(s.output.find("non sono potuti\ntornare com'erano:\n" + DATI_C +
                            ": dati precedenti\n" + DATI_A + ": dati di questo salvataggio\n"),
              std::string::npos)
        << s.output;
    EXPECT_EQ(stato_file(c, vecchio, nuovo),
              std::make_pair(std::string("old"), std::string("new")));
    const Sessione dopo = esegui_programma(c, "5\n\n\n\n7\n\n");
    EXPECT_NE(dopo.output.find("completato con certezza"), std::string::npos) << dopo.output;
    EXPECT_EQ(stato_file(c, vecchio, nuovo),
              std::make_pair(std::string("old"), std::string("new")));
}
