// Block reads of the data files, through POSIX descriptors so that a folder
// or a device given as a path is told apart from a data file.
#include "storage/file_read.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The bytes of the buffer that reads may fill: the rest is the margin
// that taglia_record_rapido may look at past the text.
std::size_t capienza(const LETTURA_DATI& l) {
    return l.memoria.size() - MARGINE_TESTO;
}

// The unfinished record filling the whole buffer: each of its lines is cut
// to LINEA_TENUTA bytes, the last one, still unfinished, marked so that its
// rest is dropped as it is read.
void taglia_linee_lunghe(LETTURA_DATI& l) {
    char* const dati = l.memoria.data();
    std::size_t scritto = 0;
    std::size_t letto = 0;
    while (letto < l.fine) {
        const void* a_capo = std::memchr(dati + letto, '\n', l.fine - letto);
        const std::size_t fine_linea =
            a_capo == nullptr ? l.fine
                              : static_cast<std::size_t>(static_cast<const char*>(a_capo) - dati);
        const std::size_t tenuti = std::min(fine_linea - letto, LINEA_TENUTA);
        std::memmove(dati + scritto, dati + letto, tenuti);
        scritto += tenuti;
        if (a_capo == nullptr) {
            l.in_salto = fine_linea - letto > LINEA_TENUTA;
            break;
        }
        dati[scritto++] = '\n';
        letto = fine_linea + 1;
    }
    l.fine = scritto;
}

// Drops the bytes just read from `da` on that belong to a cut line, up to
// its line end.
void salta_resto(LETTURA_DATI& l, std::size_t da) {
    char* const dati = l.memoria.data();
    const void* a_capo = std::memchr(dati + da, '\n', l.fine - da);
    if (a_capo == nullptr) {
        l.fine = da;
        return;
    }
    const std::size_t resto = static_cast<std::size_t>(static_cast<const char*>(a_capo) - dati);
    std::memmove(dati + da, dati + resto, l.fine - resto);
    l.fine -= resto - da;
    l.in_salto = false;
}

// Moves the bytes not yet taken to the front of the buffer, cuts the long
// lines of a record that fills it, and reads once into the room left. False
// on a read error.
bool riempi(LETTURA_DATI& l) {
    if (l.memoria.empty()) l.memoria.resize(BLOCCO_LETTURA + MARGINE_TESTO);
    if (l.inizio > 0) {
        std::memmove(l.memoria.data(), l.memoria.data() + l.inizio, l.fine - l.inizio);
        l.fine -= l.inizio;
        l.inizio = 0;
    }
    if (l.fine == capienza(l)) taglia_linee_lunghe(l);
    for (;;) {
        const ssize_t n = read(l.fd, l.memoria.data() + l.fine, capienza(l) - l.fine);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) l.finito = true;
        const std::size_t da = l.fine;
        l.fine += static_cast<std::size_t>(n);
        if (l.in_salto) salta_resto(l, da);
        return true;
    }
}

} // namespace

int apri_file_dati(const char* percorso) {
    // Non-blocking, so that a named pipe given as a path cannot hang the open.
    const int fd = open(percorso, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -1;
    }
    return fd;
}

LETTO leggi_record(LETTURA_DATI& l, RIGHE_RECORD& righe, bool& con_nul) {
    for (;;) {
        std::size_t pos = l.inizio;
        const std::string_view letti(l.memoria.data(), l.fine);
        switch (taglia_record_rapido(letti, l.finito, pos, righe, con_nul)) {
        case TAGLIO::RECORD:
            l.inizio = pos;
            return LETTO::RECORD;
        case TAGLIO::FINE:
            return LETTO::FINE;
        case TAGLIO::INCOMPLETO:
            break;
        }
        if (!riempi(l)) return LETTO::ERRORE;
    }
}

void chiudi_file_dati(int fd) {
    if (fd >= 0) close(fd);
}
