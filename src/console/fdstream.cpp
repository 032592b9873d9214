// Buffered reading and writing of the standard file descriptors, with the
// conversion between the terminal's set and code page 850.
#include "console/fdstream.h"

#include <cerrno>
#include <unistd.h>

bool scrivi_tutto(int fd, const char* dati, std::size_t n) {
    while (n > 0) {
        const ssize_t k = ::write(fd, dati, n);
        if (k < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        dati += k;
        n -= static_cast<std::size_t>(k);
    }
    return true;
}

bool FdInBuf::linea_grezza() {
    if (!inizio_linea || gptr() < egptr()) return false;
    grezza = true;
    return true;
}

int FdInBuf::underflow() {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    buffer.clear();
    while (buffer.empty()) {
        if (preso == letti.size()) {
            if (finito) break;
            char blocco[4096];
            if (prima_di_leggere != nullptr) prima_di_leggere();
            const ssize_t k = ::read(fd, blocco, sizeof blocco);
            if (k < 0 && errno == EINTR) continue;
            if (k > 0 && eco != nullptr)
                annota_schermo(*eco, std::string_view(blocco, static_cast<std::size_t>(k)));
            if (k <= 0) {
                finito = true;
                if (!grezza) dec.chiudi(buffer);
                continue;
            }
            letti.assign(blocco, static_cast<std::size_t>(k));
            preso = 0;
        }
        // Up to the end of the line, or of what was read.
        const std::size_t a_capo = letti.find('\n', preso);
        const std::size_t fine = a_capo == std::string::npos ? letti.size() : a_capo + 1;
        if (inizio_linea) dec.nuova_linea();
        if (!grezza) {
            dec.aggiungi(std::string_view(letti).substr(preso, fine - preso), buffer);
        } else {
            buffer.append(letti, preso, fine - preso);
        }
        preso = fine;
        inizio_linea = a_capo != std::string::npos;
        if (inizio_linea) grezza = false;
    }
    if (buffer.empty()) return traits_type::eof();
    setg(buffer.data(), buffer.data(), buffer.data() + buffer.size());
    return traits_type::to_int_type(*gptr());
}

int FdOutBuf::overflow(int c) {
    if (c == traits_type::eof()) return sync() == 0 ? 0 : traits_type::eof();
    const char ch = traits_type::to_char_type(c);
    xsputn(&ch, 1);
    return c;
}

std::streamsize FdOutBuf::xsputn(const char* s, std::streamsize n) {
    rendi(resa, std::string_view(s, static_cast<std::size_t>(n)), buffer);
    if (buffer.size() >= 8192) svuota();
    return n;
}

int FdOutBuf::sync() {
    return svuota() ? 0 : -1;
}

bool FdOutBuf::svuota() {
    const bool ok = scrivi_tutto(fd, buffer.data(), buffer.size());
    if (schermo != nullptr) annota_schermo(*schermo, buffer);
    buffer.clear();
    return ok;
}
