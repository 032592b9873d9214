// The bytes of the recovery journal.
//
// A journal is the text "SANZIONARIO GIORNALE 1\n" followed by entries,
// and, while it is written, zeros ahead of them (space_ahead.h).
// Each entry is framed by the length of its body and a CRC-32 of it (both
// 4 bytes, little-endian), so that the torn or garbled tail a power cut may
// leave is recognised and dropped, never replayed. A body starts with its
// kind and the time it was written (seconds since 1970); then:
// - INIZIO, always the first entry: the two data files the journal starts
//   from, path and identity of each;
// - MODIFICHE: one operation of the clerk, its changes in order;
// - SALVATAGGIO: a save whose temporary files are complete and flushed is
//   about to rename them over the data files (pairs temporary, data file,
//   then, in notes since they carry them, each new file's SHA-256);
// - SALVATAGGIO_FALLITO: that save did not put its files in place;
// - MODIFICHE_DESCRITTE: a MODIFICHE entry with the words its maker gave
//   the operation first (an import names its file), so that a recovery
//   describes it in the register as the operation itself would have, and
//   its changes counted in 4 bytes (an import's may be more than 65,535:
//   any entry of more is written so).
//   It is read back as MODIFICHE with its `descrizione`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/changes.h"
#include "storage/file_hash.h"
#include "storage/file_identity.h"

constexpr std::string_view INTESTAZIONE_GIORNALE = "SANZIONARIO GIORNALE 1\n";

enum class TIPO_VOCE : uint8_t {
    INIZIO = 1,
    MODIFICHE = 2,
    SALVATAGGIO = 3,
    SALVATAGGIO_FALLITO = 4,
    MODIFICHE_DESCRITTE = 5,
};

// One rename of a save, with what is needed to tell later whether it is
// still to be done: the temporary file (its device and inode) and the data
// file it replaces, as it was then.
// Its SHA-256, when the save computed it, recognises the new file by its
// bytes wherever it is found (a copy of the folder, say).
struct RINOMINA {
    std::string temporaneo;
    std::string destinazione;
    IDENTITA_FILE id_temporaneo;
    IDENTITA_FILE id_destinazione;
    std::optional<IMPRONTA> impronta;
};

struct VOCE_GIORNALE {
    TIPO_VOCE tipo = TIPO_VOCE::INIZIO;
    int64_t ora = 0;
    std::string file_c, file_a;      // INIZIO
    IDENTITA_FILE id_c, id_a;        // INIZIO
    std::vector<MODIFICA> modifiche; // MODIFICHE
    std::string descrizione;         // MODIFICHE: the operation's words, when it was given some
    std::vector<RINOMINA> rinomine;  // SALVATAGGIO
    // MODIFICHE, as read: false when a record image holds a value no record
    // may hold (a day 36, an amount beyond its columns, a text with a line
    // end; see record_shape.h). What can be recovered ends before it.
    bool ammessa = true;
};

// Appends the framed entry to `out`. May throw std::bad_alloc.
void codifica_voce(const VOCE_GIORNALE& voce, std::string& out);

struct GIORNALE_LETTO {
    bool riconosciuto = false;        // it starts with the text above and an INIZIO entry
    std::vector<VOCE_GIORNALE> voci;  // the whole entries, INIZIO first
    std::size_t lunghezza_valida = 0; // bytes up to the end of the last whole entry
};

// Reads a journal's bytes: every entry up to the first one that is cut
// short, fails its checksum or does not decode; the zeros a journal keeps
// ahead of its entries end them. An entry whose values no
// record may hold is read all the same, marked not `ammessa`. Not `riconosciuto` (and no
// entry) when the text or the INIZIO entry is missing or damaged.
GIORNALE_LETTO decodifica_giornale(std::string_view dati);

// One framed MODIFICHE entry, as codifica_voce wrote it, on its own (how
// the programs sharing a database archive pass operations to each other);
// nothing when it is not one whole such entry.
std::optional<VOCE_GIORNALE> decodifica_voce(std::string_view dati);
