// Timing, the plain baselines (counting lines, one write and one fsync)
// and reading this process's memory figures from /proc.
#include "measures.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

double adesso() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::size_t conta_righe(const char* percorso) {
    const int fd = open(percorso, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    std::vector<char> blocco(std::size_t{1} << 20);
    std::size_t righe = 0;
    for (;;) {
        const ssize_t n = read(fd, blocco.data(), blocco.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        righe += static_cast<std::size_t>(std::count(blocco.data(), blocco.data() + n, '\n'));
    }
    close(fd);
    return righe;
}

std::string leggi_tutto(const char* percorso) {
    std::string testo;
    const int fd = open(percorso, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return testo;
    const off_t dimensione = lseek(fd, 0, SEEK_END);
    lseek(fd, 0, SEEK_SET);
    if (dimensione > 0) testo.resize(static_cast<std::size_t>(dimensione));
    std::size_t letti = 0;
    while (letti < testo.size()) {
        const ssize_t n = read(fd, testo.data() + letti, testo.size() - letti);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        letti += static_cast<std::size_t>(n);
    }
    testo.resize(letti);
    close(fd);
    return testo;
}

bool scrivi_e_sincronizza(const char* percorso, std::string_view dati) {
    const int fd = open(percorso, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool riuscito = true;
    while (!dati.empty() && riuscito) {
        const ssize_t n = write(fd, dati.data(), dati.size());
        if (n < 0 && errno == EINTR) continue;
        riuscito = n > 0;
        if (riuscito) dati.remove_prefix(static_cast<std::size_t>(n));
    }
    riuscito = riuscito && fsync(fd) == 0;
    return close(fd) == 0 && riuscito;
}

long long memoria_processo(const char* voce) {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (f == nullptr) return -1;
    char riga[256];
    long long kb = -1;
    const std::size_t lunghezza = std::strlen(voce);
    while (std::fgets(riga, sizeof riga, f) != nullptr) {
        if (std::strncmp(riga, voce, lunghezza) != 0 || riga[lunghezza] != ':') continue;
        kb = std::atoll(riga + lunghezza + 1);
        break;
    }
    std::fclose(f);
    return kb < 0 ? -1 : kb * 1024;
}
