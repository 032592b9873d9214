// Memory running out at every record allocation: while loading the sample
// archive, while recording a fine with its owner and while entering owner
// data. Each time the program's own message is shown, the operation fails
// as it says, and both lists stay well formed and can be freed.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "app/app.h"
#include "faults/fault_support.h"
#include "faults/list_check.h"
#include "fines/fines.h"
#include "model/lists.h"
#include "owners/owners.h"
#include "session/dialogs.h"
#include "storage/archive_files.h"
#include "support/streams.h"
#include "support/texts.h"

namespace {

namespace fs = std::filesystem;
using namespace guasti;

const std::string MEMORIA_CARICA = "\n\nATTENZIONE: Memoria disponibile insufficiente.\n\n"
                                   "I dati non sono stati caricati correttamente\n\n" +
                                   testi::PAUSA;
const std::string MEMORIA_CONTRAVV =
    "\n\nATTENZIONE: Memoria esaurita.\n\nImpossibile allocare nuova memoria\n\n" + testi::PAUSA;
const std::string MEMORIA_ANAGRAF =
    "\n\n ! ATTENZIONE: Memoria esaurita.\n\nImpossibile allocare ulteriore memoria\n\n" +
    testi::PAUSA;

// The fine form and a new owner (Bianchi Anna), then a payment.
const std::string CONTRAVV_DIGITATA = "12/03/2008\nMilano, viale Monza\nab123cd\nSosta\n41\ns\n";
const std::string ANAGRAF_DIGITATA = "bianchi\nanna\n21/11/1985\nPiazza Garibaldi "
                                     "3\nTorino\n10121\nto\nbncnna85s61l219k\ncd7654321e\n";
const std::string PAGAMENTO_DIGITATO = "s\n20/03/2008\n";

// Every record of both lists, with its address and its owner link, so that
// any change to the lists shows.
std::string descrivi_liste() {
    std::string s;
    for (const NODO_ANAGRAF* a = lista_anagraf; a != nullptr; a = a->next)
        s += std::to_string(reinterpret_cast<std::uintptr_t>(a)) + " A" +
             std::to_string(a->codice) + " " + a->cognome + " " + a->nome + " " +
             a->codice_fiscale + "\n";
    for (const NODO_CONTRAVV* c = lista_contravv; c != nullptr; c = c->next)
        s += std::to_string(reinterpret_cast<std::uintptr_t>(c)) + " C" +
             std::to_string(c->numero) + " " + c->luogo + " " + c->targa + " " +
             std::to_string(c->importo) + " -> " +
             std::to_string(reinterpret_cast<std::uintptr_t>(c->anagraf)) +
             (c->con_anagraf ? " owner" : " no owner") + (c->pagata ? " paid\n" : " unpaid\n");
    return s;
}

// The sample archive in dati/ of a fresh working folder, which is the
// current folder during the test; empty lists and no planned failure.
class FaultMemory : public ::testing::Test {
  protected:
    void SetUp() override {
        precedente_ = fs::current_path();
        fs::current_path(cartella_.percorso);
        pulisci();
    }
    void TearDown() override {
        pulisci();
        fs::current_path(precedente_);
    }
    static void pulisci() {
        guasto_allocazione(0);
        libera_liste();
        nome_file_c[0] = '\0';
        nome_file_a[0] = '\0';
    }
    static void carica_campione() {
        libera_liste();
        ASSERT_EQ(carica_archivio(DATI_C.c_str(), DATI_A.c_str()), 0);
    }

    CartellaCampione cartella_;
    fs::path precedente_;
};

TEST_F(FaultMemory, LoadingTheSampleFailsAtEveryRecordAndKeepsListsAndPaths) {
    // What was in memory before: one owner, one fine pointing to it, other paths.
    carica_campione();
    NODO_ANAGRAF* a = lista_anagraf;
    lista_anagraf = a->next;
    a->next = nullptr;
    libera_lista(lista_anagraf);
    lista_anagraf = a;
    NODO_CONTRAVV* c = lista_contravv;
    lista_contravv = c->next;
    c->next = nullptr;
    libera_lista(lista_contravv);
    lista_contravv = c;
    ASSERT_EQ(c->anagraf, a);
    copia_campo(nome_file_c, "prima/c.txt");
    copia_campo(nome_file_a, "prima/a.txt");
    const std::string prima = descrivi_liste();

    long n = 1;
    for (;; ++n) {
        ASSERT_LE(n, 100) << "the load never succeeded";
        guasto_allocazione(n);
        ConsoleFinta console("\n\n\n");
        const int esito = carica();
        guasto_allocazione(0);
        if (esito == 0) break;
        ASSERT_EQ(esito, -1) << "allocation " << n;
        EXPECT_EQ(console.testo(), testi::CARICA + MEMORIA_CARICA) << "allocation " << n;
        ASSERT_EQ(difetto_liste(), "") << "allocation " << n;
        EXPECT_EQ(descrivi_liste(), prima) << "allocation " << n;
        EXPECT_STREQ(nome_file_c, "prima/c.txt");
        EXPECT_STREQ(nome_file_a, "prima/a.txt");
    }
    EXPECT_EQ(n, 31) << "one allocation for each of the 10 owners and 20 fines";
    EXPECT_EQ(difetto_liste(), "");
    EXPECT_EQ(conta(lista_anagraf), 10);
    EXPECT_EQ(conta(lista_contravv), 20);
    EXPECT_STREQ(nome_file_c, "dati/contravvenzioni.txt");
}

TEST_F(FaultMemory, ALoadThatRanOutKeepsTheMainMenuGateClosed) {
    // "[5]" runs out of memory at the 15th record; "[6]" must then load
    // again before the save dialogue opens.
    guasto_allocazione(15);
    ConsoleFinta console("5\n\n\n\n6\n\n\n\n3\n7\n3\n");
    menu_principale();
    using namespace testi;
    EXPECT_EQ(console.testo(), MENU + "\f" + CARICA + MEMORIA_CARICA + "\f" + MENU + GATE + CARICA +
                                   CARICATO + "\f" + SALVA + "\f" + MENU + USCITA + SALVA + "\f");
    EXPECT_EQ(difetto_liste(), "");
    EXPECT_EQ(conta(lista_contravv), 20);
}

TEST_F(FaultMemory, RecordingAFineWithItsOwnerFailsAtEachAllocation) {
    // The fine's record comes first, then the owner's: the first failure
    // records nothing, the second records the fine without owner data.
    std::vector<std::string> esiti;
    for (long n = 1; esiti.empty() || esiti.back() != "recorded"; ++n) {
        ASSERT_LE(n, 10);
        carica_campione();
        const std::string prima = descrivi_liste();
        NODO_CONTRAVV* ultima = coda(lista_contravv);
        guasto_allocazione(n);
        ConsoleFinta console(CONTRAVV_DIGITATA + ANAGRAF_DIGITATA + PAGAMENTO_DIGITATO);
        const int esito = ins_contravv(lista_contravv);
        guasto_allocazione(0);
        ASSERT_EQ(difetto_liste(), "") << "allocation " << n;
        NODO_CONTRAVV* nuova = ultima->next;
        if (nuova == nullptr) {
            esiti.push_back("nothing");
            EXPECT_EQ(esito, -1);
            EXPECT_EQ(console.testo(), MEMORIA_CONTRAVV);
            EXPECT_EQ(descrivi_liste(), prima);
        } else if (!nuova->con_anagraf) {
            esiti.push_back("fine only");
            EXPECT_EQ(esito, 0);
            EXPECT_NE(console.testo().find(MEMORIA_ANAGRAF), std::string::npos);
            EXPECT_EQ(console.testo().find("pagamento"), std::string::npos);
            EXPECT_EQ(nuova->numero, 21u);
            EXPECT_FALSE(nuova->pagata);
            EXPECT_EQ(nuova->anagraf, nullptr);
            EXPECT_EQ(conta(lista_anagraf), 10);
        } else {
            esiti.push_back("recorded");
            EXPECT_EQ(esito, 0);
            EXPECT_EQ(console.testo().find("Memoria"), std::string::npos);
            EXPECT_EQ(nuova->anagraf, coda(lista_anagraf));
            EXPECT_TRUE(nuova->pagata);
        }
        libera_liste();
    }
    EXPECT_EQ(esiti, (std::vector<std::string>{"nothing", "fine only", "recorded"}));
}

TEST_F(FaultMemory, EnteringOwnerDataFailsWithoutTouchingTheLists) {
    carica_campione();
    const std::string prima = descrivi_liste();
    guasto_allocazione(1);
    {
        ConsoleFinta console(ANAGRAF_DIGITATA);
        EXPECT_EQ(ins_anagraf(lista_anagraf), nullptr);
        EXPECT_EQ(console.testo(), MEMORIA_ANAGRAF);
    }
    guasto_allocazione(0);
    EXPECT_EQ(difetto_liste(), "");
    EXPECT_EQ(descrivi_liste(), prima);

    ConsoleFinta console(ANAGRAF_DIGITATA);
    NODO_ANAGRAF* nuova = ins_anagraf(lista_anagraf);
    ASSERT_NE(nuova, nullptr);
    EXPECT_EQ(nuova, coda(lista_anagraf));
    EXPECT_EQ(nuova->codice, 11u);
    EXPECT_EQ(difetto_liste(), "");
}

} // namespace
