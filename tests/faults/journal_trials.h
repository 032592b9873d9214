// Ground of the recovery trials: a deterministic script of a clerk's mixed
// operations on a generated archive, each step ending with a message of its
// own; the data files the program saves after the first steps of the
// script, run on demand and kept by digest; and the run that loads what a
// stop left, recovers the journal and saves.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "faults/fault_support.h"
#include "support/texts.h"

namespace prove {

// One step of a script: one change that the program notes in its journal
// as a whole, and the message it prints once the change is done. Every
// operation is one step, except a merge of two owners: the edit that makes
// an owner equal to another is one step (its message is the edit screen
// showing the new value) and the merge at the end of the screen another.
struct PASSO {
    std::string tasti;   // what the clerk types for it
    std::string fine;    // printed once it is done
    std::string ritorno; // typed after the message, back to the main menu ("" mid-merge)
    // The first step of a merge: afterwards the owners file is the one
    // before it with the data of the owner `unito` equal to those of `in`.
    uint32_t unito = 0, in = 0;
};

struct COPIONE {
    ARCHIVIO archivio; // the data files the session starts from
    std::vector<PASSO> passi;  // from the main menu after the load
    std::map<std::string, int> per_tipo; // operations of each kind
};

// `operazioni` operations of every kind, in an order drawn from `seme`, on
// an archive of `record` generated records (see guasti::archivio_generato).
COPIONE copione(int record, int operazioni, unsigned seme);

// What the clerk types to load the default files on a fresh start, up to
// the main menu; and, from the main menu, to save and leave.
inline const std::string CARICA = "5\n\n\n\n";
inline const std::string SALVA_ED_ESCI = "6\n1\n\n7\n3\n\n";
inline const std::string CARICATO = "Caricamento avvenuto correttamente.";
inline const std::string DOMANDA_RECUPERO = "Recuperare le modifiche? (s/n) ";
inline const std::string& RECUPERATE = testi::RECUPERATE;
inline const std::string SALVATAGGIO_RIUSCITO = "Salvataggio avvenuto correttamente.";

// What the clerk types for the first `passi` steps, from the main menu
// after the load back to it (when the last step is not mid-merge).
std::string tasti(const COPIONE& c, int passi);

// How many steps have printed their message in `output`, in order.
int passi_visti(const COPIONE& c, const std::string& output);

// The two data files, by size and two 64-bit digests of each.
struct IMPRONTA {
    std::size_t dim_c = 0, dim_a = 0;
    uint64_t c1 = 0, c2 = 0, a1 = 0, a2 = 0;
    bool operator==(const IMPRONTA&) const = default;
};
IMPRONTA impronta(const std::string& contravvenzioni, const std::string& anagrafica);
IMPRONTA impronta_di(const Cartella& cartella);

// The archive after the first steps of a script and a save, each computed
// once, when first asked, by running the program without a stop (or, after
// the first step of a merge, from the one before it).
class RIFERIMENTI {
  public:
    explicit RIFERIMENTI(const COPIONE& c) : copione_(c) {}
    const IMPRONTA& dopo(int passi);
    // The files themselves (computed again, not kept).
    ARCHIVIO file_dopo(int passi);
    // The step counts whose files are known that match `i` ("" when none).
    std::string quali(const IMPRONTA& i) const;
    int esecuzioni = 0; // runs of the program made so far

  private:
    const COPIONE& copione_;
    std::map<int, IMPRONTA> noti_;
};

// The owners file with the data of the owner `unito` replaced by those of `in`.
std::string dati_uguali(const std::string& anagrafica, uint32_t unito, uint32_t in);

// A run on what a stop left in `cartella`: load the default files, answer
// "s" when asked whether to recover, save and leave.
struct RECUPERO {
    bool domanda = false;    // the program asked whether to recover
    bool recuperate = false; // and said the changes were recovered
    bool salvato = false;
    int stato = -1; // wait status
    std::string output, errori;
};
RECUPERO recupera_e_salva(const Cartella& cartella);

// Names in the data folder that a finished session must not leave: the
// journal, journals set aside, temporary files ("" when none).
std::string avanzi(const Cartella& cartella);

// A count from the environment, or `altrimenti`.
long da_ambiente(const char* nome, long altrimenti);

} // namespace prove
