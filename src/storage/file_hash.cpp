// BLAKE2b-256 through libsodium, SHA-256 through OpenSSL's EVP interface,
// fed in parts or read from a file.
#include "storage/file_hash.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <openssl/evp.h>
#include <sodium.h>
#include <unistd.h>
#include <vector>

#include "storage/file_ops.h"

static_assert(std::tuple_size_v<IMPRONTA> == crypto_generichash_BYTES);

namespace {

// libsodium picks the fastest code for this processor once it is started.
void avvia_sodium() {
    static const int avviata = sodium_init();
    (void)avviata;
}

const unsigned char* byte(std::string_view dati) {
    return reinterpret_cast<const unsigned char*>(dati.data());
}

} // namespace

IMPRONTA impronta_di(std::string_view dati) {
    avvia_sodium();
    IMPRONTA i{};
    crypto_generichash(i.data(), i.size(), byte(dati), dati.size(), nullptr, 0);
    return i;
}

IMPRONTA_IN_CORSO::~IMPRONTA_IN_CORSO() {
    EVP_MD_CTX_free(stato);
}

void impronta_inizia(IMPRONTA_IN_CORSO& h) {
    if (h.stato == nullptr) h.stato = EVP_MD_CTX_new();
    if (h.stato == nullptr || EVP_DigestInit_ex(h.stato, EVP_sha256(), nullptr) != 1)
        throw std::bad_alloc();
}

void impronta_aggiungi(IMPRONTA_IN_CORSO& h, std::string_view dati) {
    EVP_DigestUpdate(h.stato, dati.data(), dati.size());
}

IMPRONTA impronta_chiudi(IMPRONTA_IN_CORSO& h) {
    static_assert(std::tuple_size_v<IMPRONTA> == 256 / 8);
    IMPRONTA i{};
    EVP_DigestFinal_ex(h.stato, i.data(), nullptr);
    return i;
}

namespace {

// Feeds `aggiungi` the file at `fd` a block at a time; false on a read error.
template <class AGGIUNGI> bool leggi_a_blocchi(int fd, AGGIUNGI aggiungi) {
    std::vector<char> blocco(std::size_t{1} << 20);
    for (;;) {
        const std::size_t letti = leggi_intero(fd, blocco.data(), blocco.size());
        const bool errore = errno != 0;
        aggiungi(std::string_view(blocco.data(), letti));
        if (letti < blocco.size()) return !errore;
    }
}

} // namespace

std::optional<IMPRONTA> impronta_file(const std::string& percorso, ALGORITMO_FILE algoritmo) {
    const int fd = open(percorso.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    IMPRONTA i{};
    bool letto = false;
    try {
        if (algoritmo == ALGORITMO_FILE::SHA256) {
            IMPRONTA_IN_CORSO h;
            impronta_inizia(h);
            letto = leggi_a_blocchi(fd, [&](std::string_view p) { impronta_aggiungi(h, p); });
            i = impronta_chiudi(h);
        } else {
            avvia_sodium();
            crypto_generichash_state h;
            crypto_generichash_init(&h, nullptr, 0, crypto_generichash_BYTES);
            letto = leggi_a_blocchi(
                fd, [&](std::string_view p) { crypto_generichash_update(&h, byte(p), p.size()); });
            crypto_generichash_final(&h, i.data(), i.size());
        }
    } catch (const std::bad_alloc&) {
        letto = false;
    }
    close(fd);
    if (!letto) return std::nullopt;
    return i;
}

std::string esadecimale(std::string_view byte) {
    static constexpr char CIFRE[] = "0123456789abcdef";
    std::string s;
    s.reserve(byte.size() * 2);
    for (const char b : byte) {
        const auto c = static_cast<unsigned char>(b);
        s += CIFRE[c >> 4];
        s += CIFRE[c & 15];
    }
    return s;
}

std::string esadecimale(const IMPRONTA& i) {
    return esadecimale(std::string_view(reinterpret_cast<const char*>(i.data()), i.size()));
}
