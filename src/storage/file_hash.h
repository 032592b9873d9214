// Fingerprints of 32 bytes. The register's entries are chained by
// BLAKE2b-256 (libsodium). The data files a save writes are fingerprinted
// by SHA-256 (OpenSSL, which uses the processor's SHA instructions where
// it has them), as `sha256sum` prints it: computed by the writer threads
// of a save as the bytes go out, and by reading a file back. Registers
// kept before the files had SHA-256 fingerprints hold BLAKE2b-256 ones
// (`b2sum -l 256`), which reading a file back still computes.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

using IMPRONTA = std::array<unsigned char, 32>;

// The fingerprint of a whole text, at once: BLAKE2b-256.
IMPRONTA impronta_di(std::string_view dati);

// A data file's SHA-256 fed part by part. The state is the library's own,
// reached through a pointer, so that this header needs no OpenSSL.
struct evp_md_ctx_st;
struct IMPRONTA_IN_CORSO {
    evp_md_ctx_st* stato = nullptr;
    IMPRONTA_IN_CORSO() = default;
    IMPRONTA_IN_CORSO(const IMPRONTA_IN_CORSO&) = delete;
    IMPRONTA_IN_CORSO& operator=(const IMPRONTA_IN_CORSO&) = delete;
    ~IMPRONTA_IN_CORSO();
};
// Throws std::bad_alloc when the state cannot be made.
void impronta_inizia(IMPRONTA_IN_CORSO& h);
void impronta_aggiungi(IMPRONTA_IN_CORSO& h, std::string_view dati);
IMPRONTA impronta_chiudi(IMPRONTA_IN_CORSO& h);

enum class ALGORITMO_FILE { SHA256, BLAKE2B };

// The file at `percorso`, read whole: nothing when it cannot be read.
std::optional<IMPRONTA> impronta_file(const std::string& percorso,
                                      ALGORITMO_FILE algoritmo = ALGORITMO_FILE::SHA256);

// Lower-case hexadecimal, 64 characters.
std::string esadecimale(const IMPRONTA& i);
// Any bytes in lower-case hexadecimal, two digits each.
std::string esadecimale(std::string_view byte);
