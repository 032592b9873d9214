// BLAKE2b fingerprints through libsodium, fed in parts or read from a file.
#include "storage/file_hash.h"

#include <cerrno>
#include <fcntl.h>
#include <sodium.h>
#include <tuple>
#include <unistd.h>
#include <vector>

#include "storage/file_ops.h"

static_assert(sizeof(IMPRONTA_IN_CORSO::stato) >= sizeof(crypto_generichash_state));
static_assert(std::tuple_size_v<IMPRONTA> == crypto_generichash_BYTES);

namespace {

// libsodium picks the fastest code for this processor once it is started.
void avvia_sodium() {
    static const int avviata = sodium_init();
    (void)avviata;
}

crypto_generichash_state* stato(IMPRONTA_IN_CORSO& h) {
    return reinterpret_cast<crypto_generichash_state*>(h.stato);
}

const unsigned char* byte(std::string_view dati) {
    return reinterpret_cast<const unsigned char*>(dati.data());
}

} // namespace

void impronta_inizia(IMPRONTA_IN_CORSO& h) {
    avvia_sodium();
    crypto_generichash_init(stato(h), nullptr, 0, crypto_generichash_BYTES);
}

void impronta_aggiungi(IMPRONTA_IN_CORSO& h, std::string_view dati) {
    crypto_generichash_update(stato(h), byte(dati), dati.size());
}

IMPRONTA impronta_chiudi(IMPRONTA_IN_CORSO& h) {
    IMPRONTA i{};
    crypto_generichash_final(stato(h), i.data(), i.size());
    return i;
}

IMPRONTA impronta_di(std::string_view dati) {
    avvia_sodium();
    IMPRONTA i{};
    crypto_generichash(i.data(), i.size(), byte(dati), dati.size(), nullptr, 0);
    return i;
}

std::optional<IMPRONTA> impronta_file(const std::string& percorso) {
    const int fd = open(percorso.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    IMPRONTA_IN_CORSO h;
    impronta_inizia(h);
    std::vector<char> blocco(std::size_t{1} << 20);
    for (;;) {
        const std::size_t letti = leggi_intero(fd, blocco.data(), blocco.size());
        impronta_aggiungi(h, std::string_view(blocco.data(), letti));
        if (letti < blocco.size()) break;
    }
    const bool errore = errno != 0;
    close(fd);
    if (errore) return std::nullopt;
    return impronta_chiudi(h);
}

std::string esadecimale(const IMPRONTA& i) {
    static constexpr char CIFRE[] = "0123456789abcdef";
    std::string s;
    s.reserve(i.size() * 2);
    for (unsigned char c : i) {
        s += CIFRE[c >> 4];
        s += CIFRE[c & 15];
    }
    return s;
}
