// Entries written over the zeros kept ahead of a file's content, the zeros
// renewed a block at a time, and the end of a text found before them.
#include "storage/space_ahead.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <unistd.h>

namespace {

constexpr off_t PAGINA = 4096;
constexpr std::size_t PEZZO = 64 * 1024; // a text's end looked for a piece at a time

// Writes all of `dati` at `dove`, retrying short writes and interruptions.
bool scrivi_in(int fd, std::string_view dati, off_t dove) {
    while (!dati.empty()) {
        const ssize_t n = pwrite(fd, dati.data(), dati.size(), dove);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = ENOSPC;
        if (n <= 0) return false;
        dati.remove_prefix(static_cast<std::size_t>(n));
        dove += n;
    }
    return true;
}

// Zeros from `da` up to `a`; where the file reaches in the end (a full
// disk may stop them short).
off_t zeri(int fd, off_t da, off_t a) {
    static const std::string nulla(static_cast<std::size_t>(SPAZIO_AVANTI), '\0');
    while (da < a) {
        const std::size_t n = static_cast<std::size_t>(std::min<off_t>(a - da, SPAZIO_AVANTI));
        const ssize_t k = pwrite(fd, nulla.data(), n, da);
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) break;
        da += k;
    }
    return da;
}

} // namespace

bool scrivi_in_posto(FILE_ACCODATO& f, std::string_view dati) {
    const off_t fine = f.fine + static_cast<off_t>(dati.size());
    if (!scrivi_in(f.fd, dati, f.fine)) return false;
    if (fine > f.riservato)
        f.riservato = zeri(f.fd, fine, (fine + SPAZIO_AVANTI + PAGINA - 1) / PAGINA * PAGINA);
    f.riservato = std::max(f.riservato, fine);
    f.scritto = fine;
    return true;
}

void scritto_su_disco(FILE_ACCODATO& f) {
    f.fine = std::max(f.fine, f.scritto);
}

bool accoda_in_posto(FILE_ACCODATO& f, std::string_view dati) {
    if (!scrivi_in_posto(f, dati) || fdatasync(f.fd) != 0) return false;
    scritto_su_disco(f);
    return true;
}

bool restituisci_spazio(FILE_ACCODATO& f) {
    if (f.riservato <= f.fine) return true;
    if (ftruncate(f.fd, f.fine) != 0) return false;
    f.riservato = f.fine;
    return true;
}

off_t fine_del_testo(int fd, off_t dimensione) {
    std::string pezzo;
    for (off_t a = dimensione; a > 0;) {
        const off_t da = a > static_cast<off_t>(PEZZO) ? a - static_cast<off_t>(PEZZO) : 0;
        pezzo.resize(static_cast<std::size_t>(a - da));
        for (std::size_t letti = 0; letti < pezzo.size();) {
            const ssize_t k = pread(fd, pezzo.data() + letti, pezzo.size() - letti,
                                    da + static_cast<off_t>(letti));
            if (k < 0 && errno == EINTR) continue;
            if (k <= 0) return -1;
            letti += static_cast<std::size_t>(k);
        }
        const std::size_t p = pezzo.find_last_not_of('\0');
        if (p != std::string::npos) return da + static_cast<off_t>(p) + 1;
        a = da;
    }
    return 0;
}
