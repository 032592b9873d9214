// Power cuts, simulated on what had reached the disk. Each journal entry is
// one write followed by a flush, in place over the zeros kept ahead of the
// entries, so a cut while entry i is written leaves the entries before it
// and any part of entry i (its first part lost and a later one written,
// too), or garbage of its length, with the zeros after it.
// A cut during a save leaves incomplete temporary files, or complete ones
// named by the save's journal entry with none, one or both renamed. After
// each, a run loads, recovers and saves: no operation whose flush had
// completed is lost, no torn one is replayed, a save cut after its entry
// is finished at the load, and the program never fails.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <random>
#include <string_view>
#include <vector>

#include "faults/fault_support.h"
#include "faults/journal_trials.h"
#include "storage/file_identity.h"
#include "storage/journal_format.h"

namespace {

using namespace guasti;
using namespace prove;

const std::string GIORNALE = DATI_C + ".giornale";

// Where each entry of a journal starts, and where the last one ends.
std::vector<std::size_t> inizi_voci(std::string_view g) {
    std::vector<std::size_t> inizi;
    std::size_t pos = INTESTAZIONE_GIORNALE.size();
    while (pos + 8 <= g.size()) {
        inizi.push_back(pos);
        uint32_t lunghezza = 0;
        for (int i = 0; i < 4; ++i)
            lunghezza |= uint32_t{static_cast<unsigned char>(g[pos + i])} << (8 * i);
        pos += 8 + lunghezza;
    }
    inizi.push_back(pos);
    return inizi;
}

// A journal as a session leaves it on the disk: its entries, then zeros.
struct GIORNALE_LASCIATO {
    std::string voci;
    std::size_t dimensione = 0;

    // `contenuto` written over the same file: the zeros after it stay.
    std::string con(const std::string& contenuto) const {
        return contenuto + std::string(dimensione - std::min(dimensione, contenuto.size()), '\0');
    }
};

// A session of the script ended by the end of its input: its journal.
GIORNALE_LASCIATO giornale_di(const COPIONE& c) {
    Cartella s(c.archivio);
    const Sessione fine = esegui_programma(s, tasti(c, static_cast<int>(c.passi.size())));
    EXPECT_EQ(fine.stato, 0);
    EXPECT_EQ(passi_visti(c, fine.output), static_cast<int>(c.passi.size()));
    const std::string file = s.leggi(GIORNALE);
    const std::size_t voci = decodifica_giornale(file).lunghezza_valida;
    EXPECT_GT(file.size(), voci) << "no zeros ahead of the entries";
    EXPECT_EQ(file.find_first_not_of('\0', voci), std::string::npos);
    return {file.substr(0, voci), file.size()};
}

// The journal as if it had been started on the data files now in `c`: its
// first entry names them by their identity (device, inode, times), which a
// copy does not keep.
std::string per_questi_file(const std::string& giornale, const Cartella& c) {
    VOCE_GIORNALE inizio = decodifica_giornale(giornale).voci.front();
    inizio.id_c = identita_file(c.file(DATI_C).c_str());
    inizio.id_a = identita_file(c.file(DATI_A).c_str());
    std::string g(INTESTAZIONE_GIORNALE);
    codifica_voce(inizio, g);
    return g + giornale.substr(inizi_voci(giornale)[1]);
}

std::string casuali(std::size_t n, std::mt19937& caso) {
    std::string s(n, '\0');
    for (char& b : s) b = static_cast<char>(caso() & 0xFF);
    return s;
}

struct TAGLIO {
    const char* nome;
    std::function<std::string(const std::string& voce, std::mt19937& caso)> resto;
};

const TAGLIO TAGLI[] = {
    {"nothing of it", [](const std::string&, std::mt19937&) { return std::string(); }},
    {"its first byte", [](const std::string& v, std::mt19937&) { return v.substr(0, 1); }},
    {"its length and checksum only",
     [](const std::string& v, std::mt19937&) { return v.substr(0, 8); }},
    {"half of it", [](const std::string& v, std::mt19937&) { return v.substr(0, v.size() / 2); }},
    {"all but its last byte",
     [](const std::string& v, std::mt19937&) { return v.substr(0, v.size() - 1); }},
    {"garbage of its length",
     [](const std::string& v, std::mt19937& caso) { return casuali(v.size(), caso); }},
    {"its first half lost, the rest written over the zeros",
     [](const std::string& v, std::mt19937&) {
         return std::string(v.size() / 2, '\0') + v.substr(v.size() / 2);
     }},
    {"one byte changed",
     [](const std::string& v, std::mt19937& caso) {
         std::string w = v;
         w[caso() % w.size()] ^= static_cast<char>(1 + caso() % 255);
         return w;
     }},
};

struct PROVA_TAGLIO : ::testing::Test {
    static void SetUpTestSuite() {
        copione_ = new COPIONE(copione(60, SANITIZZATO ? 10 : 20, 2026));
        riferimenti_ = new RIFERIMENTI(*copione_);
        giornale_ = new GIORNALE_LASCIATO(giornale_di(*copione_));
    }
    static void TearDownTestSuite() {
        delete riferimenti_;
        delete copione_;
        delete giornale_;
    }
    static COPIONE* copione_;
    static RIFERIMENTI* riferimenti_;
    static GIORNALE_LASCIATO* giornale_;
};
COPIONE* PROVA_TAGLIO::copione_ = nullptr;
RIFERIMENTI* PROVA_TAGLIO::riferimenti_ = nullptr;
GIORNALE_LASCIATO* PROVA_TAGLIO::giornale_ = nullptr;

using FaultPowerCut = PROVA_TAGLIO;

} // namespace

TEST_F(FaultPowerCut, DuringAnyJournalWriteRecoveryKeepsEveryFlushedOperationAndNoTornOne) {
    const std::string& voci = giornale_->voci;
    const std::vector<std::size_t> inizi = inizi_voci(voci);
    const int passi = static_cast<int>(copione_->passi.size());
    // The first entry says which files the journal starts from; then one per step.
    ASSERT_EQ(inizi.size(), static_cast<std::size_t>(passi) + 2) << "entries and steps differ";
    ASSERT_EQ(inizi.back(), voci.size()) << "the journal ends in the middle of an entry";
    std::mt19937 caso(7);
    for (int i = 1; i <= passi; ++i) {
        const std::string voce = voci.substr(inizi[i], inizi[i + 1] - inizi[i]);
        for (const TAGLIO& t : TAGLI) {
            SCOPED_TRACE("entry of step " + std::to_string(i) + ": " + t.nome);
            Cartella c(copione_->archivio); // the archive the script starts from
            const std::string giornale =
                giornale_->con(per_questi_file(voci.substr(0, inizi[i]) + t.resto(voce, caso), c));
            c.scrivi(GIORNALE, giornale);
            // A cut of its last bytes, when they were zeros like those ahead,
            // left every byte of the entry on the disk: it is whole.
            const int fatti = giornale.compare(inizi[i], voce.size(), voce) == 0 ? i : i - 1;
            const RECUPERO r = recupera_e_salva(c);
            ASSERT_EQ(r.stato, 0) << r.output;
            EXPECT_EQ(r.errori, "");
            ASSERT_TRUE(r.salvato);
            EXPECT_EQ(r.domanda, fatti > 0) << "the question comes with a change to recover";
            EXPECT_EQ(r.recuperate, fatti > 0);
            EXPECT_TRUE(impronta_di(c) == riferimenti_->dopo(fatti))
                << "recovered is the archive after these steps: ["
                << riferimenti_->quali(impronta_di(c)) << "], not after " << fatti;
            EXPECT_EQ(avanzi(c), "");
        }
    }
}

namespace {

// How far a save had gone when the power went.
enum class SALVATAGGIO {
    TEMPORANEI_INCOMPLETI, // the owners' temporary file half written, no entry
    VOCE_TAGLIATA,         // both temporary files complete, their entry torn
    NESSUNA_RINOMINA,      // the entry flushed, no rename made
    UNA_RINOMINA,          // the owners file renamed, the fines file not
    DUE_RINOMINE,          // both renamed, the journal not yet started afresh
    SOLO_LA_SECONDA,       // the fines file renamed, the owners file not: an order the
                           // save's flush after each rename rules out, recognised all the same
};

struct CASO_SALVATAGGIO {
    const char* nome;
    SALVATAGGIO fin_qui;
    bool domanda; // the load asks to recover (the save had not noted its renames)
};

// The temporary file of a data file, as the save names it.
std::string temporaneo(const std::string& file) {
    const std::size_t barra = file.rfind('/');
    return file.substr(0, barra + 1) + "." + file.substr(barra + 1) + ".tmp-Prova1";
}

// Leaves in `c` what a power cut during a save would: the journal of the
// script's session, then (as far as `fin_qui` says) the temporary files,
// the save's entry naming them (by absolute path when `assoluti`, as the
// program writes it; as typed, as an earlier version did; with the new
// files' SHA-256 when `impronte`, as the program writes it now), the renames.
void taglia_salvataggio(const Cartella& c, SALVATAGGIO fin_qui, bool assoluti,
                        bool impronte = false) {
    const ARCHIVIO nuovo = PROVA_TAGLIO::riferimenti_->file_dopo(
        static_cast<int>(PROVA_TAGLIO::copione_->passi.size()));
    const GIORNALE_LETTO letto = decodifica_giornale(PROVA_TAGLIO::giornale_->voci);
    const std::string file_a = letto.voci.front().file_a, file_c = letto.voci.front().file_c;
    std::string giornale = per_questi_file(PROVA_TAGLIO::giornale_->voci, c);
    if (fin_qui == SALVATAGGIO::TEMPORANEI_INCOMPLETI) {
        c.scrivi(temporaneo(file_a), nuovo.anagrafica.substr(0, nuovo.anagrafica.size() / 2));
    } else {
        c.scrivi(temporaneo(file_a), nuovo.anagrafica);
        c.scrivi(temporaneo(file_c), nuovo.contravvenzioni);
        VOCE_GIORNALE v;
        v.tipo = TIPO_VOCE::SALVATAGGIO;
        v.ora = static_cast<int64_t>(std::time(nullptr));
        const auto nome = [&](const std::string& f) { return assoluti ? c.file(f) : f; };
        for (const std::string& f : {file_a, file_c})
            v.rinomine.push_back({nome(temporaneo(f)), nome(f),
                                  identita_file(c.file(temporaneo(f)).c_str()),
                                  identita_file(c.file(f).c_str()),
                                  impronte ? impronta_file(c.file(temporaneo(f))) : std::nullopt});
        std::string voce;
        codifica_voce(v, voce);
        giornale += fin_qui == SALVATAGGIO::VOCE_TAGLIATA ? voce.substr(0, voce.size() / 2) : voce;
    }
    c.scrivi(GIORNALE, PROVA_TAGLIO::giornale_->con(giornale));
    std::vector<std::string> rinominati;
    if (fin_qui == SALVATAGGIO::UNA_RINOMINA) rinominati = {file_a};
    if (fin_qui == SALVATAGGIO::DUE_RINOMINE) rinominati = {file_a, file_c};
    if (fin_qui == SALVATAGGIO::SOLO_LA_SECONDA) rinominati = {file_c};
    for (const std::string& f : rinominati)
        ASSERT_EQ(std::rename(c.file(temporaneo(f)).c_str(), c.file(f).c_str()), 0);
}

} // namespace

TEST_F(FaultPowerCut, DuringASaveTheNextLoadReplaysTheJournalOrFinishesTheRenames) {
    const int passi = static_cast<int>(copione_->passi.size());
    const ARCHIVIO nuovo = riferimenti_->file_dopo(passi);
    ASSERT_TRUE(decodifica_giornale(giornale_->con(giornale_->voci)).riconosciuto);
    const CASO_SALVATAGGIO casi[] = {
        {"while the temporary files were written", SALVATAGGIO::TEMPORANEI_INCOMPLETI, true},
        {"while the save's journal entry was written", SALVATAGGIO::VOCE_TAGLIATA, true},
        {"before the first rename", SALVATAGGIO::NESSUNA_RINOMINA, false},
        {"between the two renames", SALVATAGGIO::UNA_RINOMINA, false},
        {"after both renames", SALVATAGGIO::DUE_RINOMINE, false},
        {"with the second rename on disk and not the first", SALVATAGGIO::SOLO_LA_SECONDA, false},
    };
    for (const CASO_SALVATAGGIO& caso : casi) {
        SCOPED_TRACE(std::string("power cut ") + caso.nome);
        Cartella c(copione_->archivio);
        taglia_salvataggio(c, caso.fin_qui, false);

        const RECUPERO r = recupera_e_salva(c);
        ASSERT_EQ(r.stato, 0) << r.output;
        EXPECT_EQ(r.errori, "");
        ASSERT_TRUE(r.salvato);
        EXPECT_EQ(r.domanda, caso.domanda);
        EXPECT_EQ(c.leggi(DATI_A), nuovo.anagrafica) << "the owners file is not the saved one";
        EXPECT_EQ(c.leggi(DATI_C), nuovo.contravvenzioni) << "the fines file is not the saved one";
        EXPECT_EQ(avanzi(c), "");
    }
}

TEST_F(FaultPowerCut, BetweenTheRenamesTheSaveIsFinishedFromAnyFolderAndACopyIsNeverLoadedMixed) {
    const ARCHIVIO nuovo = riferimenti_->file_dopo(static_cast<int>(copione_->passi.size()));
    for (const bool impronte : {false, true}) {
        SCOPED_TRACE(impronte ? "a note with the new files' fingerprints" : "an older note");
        Cartella c(copione_->archivio);
        taglia_salvataggio(c, SALVATAGGIO::UNA_RINOMINA, true, impronte);
        // A copy of the folder as the cut left it: a new owners file, an old fines file.
        Cartella copia;
        std::filesystem::copy(c.file("dati"), copia.file("dati"),
                              std::filesystem::copy_options::recursive);
        const std::string a_meta = copia.leggi(DATI_A), c_meta = copia.leggi(DATI_C);

        // Loaded from another working folder by their full paths: finished.
        Cartella altrove;
        const Sessione s = esegui_programma(altrove, "5\n" + c.file(DATI_C) + "\n" +
                                                         c.file(DATI_A) + "\n\n7\n3\n\n");
        EXPECT_NE(s.output.find(testi::CARICATO), std::string::npos) << s.output;
        EXPECT_EQ(c.leggi(DATI_A), nuovo.anagrafica);
        EXPECT_EQ(c.leggi(DATI_C), nuovo.contravvenzioni);

        // The copy: its bytes prove which files are which when the note
        // carries them, and the save is finished there too; otherwise the
        // files that really exist are named, never a backup older than the
        // last save, and nothing is loaded.
        const Sessione k = esegui_programma(copia, "5\n\n\n\n7\n3\n\n");
        if (impronte) {
            EXPECT_NE(k.output.find(testi::CARICATO), std::string::npos) << k.output;
            EXPECT_EQ(copia.leggi(DATI_A), nuovo.anagrafica);
            EXPECT_EQ(copia.leggi(DATI_C), nuovo.contravvenzioni);
            continue;
        }
        EXPECT_NE(k.output.find("non puo' essere\ncompletato con certezza"), std::string::npos)
            << k.output;
        EXPECT_NE(k.output.find("  " + copia.file(DATI_C) + " (file dei dati)\n"),
                  std::string::npos);
        EXPECT_NE(k.output.find("  " + copia.file(temporaneo(DATI_C)) +
                                " (nuovo, non ancora al suo posto)\n"),
                  std::string::npos);
        EXPECT_EQ(k.output.find(".bak"), std::string::npos) << "no backup is advised";
        EXPECT_EQ(k.output.find(testi::CARICATO), std::string::npos);
        EXPECT_EQ(copia.leggi(DATI_A), a_meta);
        EXPECT_EQ(copia.leggi(DATI_C), c_meta);
    }
}
