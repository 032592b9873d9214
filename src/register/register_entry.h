// The entries of the register: one JSON object a line, field names in
// Italian, each entry chained to the one before by BLAKE2b hashes.
//
// Every entry holds "n" (1, 2, 3... in the file), "quando" (ISO 8601 with
// the UTC offset), "utente" (and "utente_sudo", the user who ran sudo),
// "host", "processo", "evento" (operazione, caricamento, recupero,
// salvataggio, non_salvare, fine_sessione), "precedente" (the "hash" of the
// entry before, 64 zeros for the first) and "hash": BLAKE2b-256 of the
// entry's own line without its "hash" field, as this library writes it
// (keys in alphabetical order, no blanks, UTF-8). An operation adds
// "descrizione" and "record": for each record it touched, its number
// ("contravvenzione") or code ("anagrafica") with its images "prima" and
// "dopo" (null where it did not exist, or no longer does). Entries written
// while a recovery journal is kept name it ("giornale": the time it began)
// and how many operations of it they cover ("voce_giornale"), so that a
// recovery can tell which of the journal's operations the register lacks,
// and which of the register's the journal lacks ("registrate_non_avvenute"
// in its entry: a power cut while both were flushed at once).
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <span>
#include <string>
#include <vector>

#include "model/changes.h"
#include "model/records.h"

using json = nlohmann::json;

// A field of an entry read back: null when the entry is no object or has
// no such field (entries read from a file may lack any).
const json& campo(const json& voce, const std::string& nome);

// The hash of "no entry before".
inline const std::string HASH_INIZIALE(64, '0');

// Record images as the register holds them, texts in UTF-8.
json immagine_contravv(const NODO_CONTRAVV& f, const json& proprietario);
json immagine_anagraf(const NODO_ANAGRAF& a);
// The image of a record as it stands in the lists (its owner's code taken
// from the link).
json immagine_attuale(const NODO_CONTRAVV& f);

// A fine as it was, copied rather than imaged: an import touches
// thousands, and only a few kinds of operation need its whole image.
struct COPIA_CONTRAVV {
    NODO_CONTRAVV f{};
    bool con_proprietario = false;
    uint32_t proprietario = 0;
};

// A record as it was before an operation changed it: an owner's image, or
// a fine's copy.
struct PRIMA_DI {
    bool contravv = true;
    uint32_t id = 0;
    json immagine;
    COPIA_CONTRAVV copia; // a fine's
};

// The "descrizione" and "record" of an operation, from the records taken
// before it and its group of changes. An operation that only pays fines,
// more than one (an import), is written compact: each fine once, as
// {"contravvenzione", "targa", "importo", "proprietario", "pagata_il"},
// what stayed the same left out; any other holds each record's images. `completo` false: memory ran out
// while the group was gathered, and the description says so.
// The images of `prima` are taken over (moved from).
void descrivi_operazione(std::vector<PRIMA_DI>& prima, std::span<const MODIFICA> gruppo,
                         bool completo, json& voce);

// Gives the entry its number and the previous hash, then its own hash:
// the line to append, line end included; `hash` becomes the new one.
std::string incatena(json& voce, uint64_t n, std::string& hash);

// An entry as the text of its members, in key order, each "key":value as
// the library writes it: what a recovery keeps of the thousands of
// entries it writes at once, without a tree of values for each.
using MEMBRI = std::vector<std::pair<std::string, std::string>>;
MEMBRI membri_di(const json& voce);
// Sets the member `chiave` to the value written `valore` (JSON text).
void metti_membro(MEMBRI& m, const std::string& chiave, std::string_view valore);
// A text as a JSON string, as the library writes it.
std::string testo_json_di(std::string_view testo);
// incatena for an entry held as its members.
std::string incatena_membri(MEMBRI& m, uint64_t n, std::string& hash);

// The "descrizione" and "record" members of an operation of one change to
// one fine (an edit, a payment, a new fine, a deletion without its
// owner), written as text straight from the records, as
// descrivi_operazione would write them; false, `m` unchanged, for any
// other operation.
bool descrivi_semplice(const std::vector<PRIMA_DI>& prima, std::span<const MODIFICA> gruppo,
                       bool completo, MEMBRI& m);
// The same for an operation that only pays fines, more than one (an
// import): its compact entry, as descrivi_operazione writes it.
bool descrivi_pagamenti(const std::vector<PRIMA_DI>& prima, std::span<const MODIFICA> gruppo,
                        bool completo, MEMBRI& m);

// Checks one line of the register as read back: a JSON object written by
// this library exactly so, whose "hash" is that of the rest. `voce` gets
// it when it parses.
enum class RIGA_REGISTRO { INTEGRA, ILLEGGIBILE, ALTERATA };
RIGA_REGISTRO controlla_riga(const std::string& riga, json& voce);
