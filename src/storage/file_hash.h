// The fingerprint of a file's bytes, BLAKE2b with 32 bytes of output
// (libsodium's crypto_generichash), as `b2sum -l 256` prints it: computed
// by the writer threads of a save as the bytes go out, and by reading a
// file back.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

using IMPRONTA = std::array<unsigned char, 32>;

// Hashing fed part by part. The state is kept in an opaque, suitably
// aligned buffer, so that this header needs no libsodium.
struct IMPRONTA_IN_CORSO {
    alignas(64) unsigned char stato[384];
};
void impronta_inizia(IMPRONTA_IN_CORSO& h);
void impronta_aggiungi(IMPRONTA_IN_CORSO& h, std::string_view dati);
IMPRONTA impronta_chiudi(IMPRONTA_IN_CORSO& h);

// The fingerprint of a whole text, at once.
IMPRONTA impronta_di(std::string_view dati);

// The file at `percorso`, read whole: nothing when it cannot be read.
std::optional<IMPRONTA> impronta_file(const std::string& percorso);

// Lower-case hexadecimal, 64 characters.
std::string esadecimale(const IMPRONTA& i);
