// The floor probe: each file on its own thread, read in the loader's
// blocks, its line ends counted and its bytes spread over fresh memory of
// the size of its records (huge pages asked for, as the loader asks).
#include "floor.h"

#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "storage/file_read.h"

namespace {

bool leggi_e_riempi(const char* percorso, std::size_t byte_record, std::size_t& righe) {
    const int fd = open(percorso, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const off_t dimensione = lseek(fd, 0, SEEK_END);
    lseek(fd, 0, SEEK_SET);
    void* m =
        mmap(nullptr, byte_record, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    bool riuscito = m != MAP_FAILED && dimensione > 0;
    if (riuscito) {
#ifdef MADV_HUGEPAGE
        madvise(m, byte_record, MADV_HUGEPAGE);
#endif
        char* memoria = static_cast<char*>(m);
        // Each byte read goes to the same share of the records' memory.
        const double scala = static_cast<double>(byte_record) / static_cast<double>(dimensione);
        std::vector<char> blocco(BLOCCO_LETTURA);
        std::size_t letti = 0, scritti = 0;
        for (ssize_t n; (n = read(fd, blocco.data(), blocco.size())) > 0;) {
            for (const char *p = blocco.data(), *fine = p + n;
                 (p = static_cast<const char*>(std::memchr(p, '\n', fine - p))) != nullptr; ++p)
                ++righe;
            letti += static_cast<std::size_t>(n);
            const std::size_t fino = std::min(byte_record, static_cast<std::size_t>(letti * scala));
            for (; scritti < fino; scritti += std::min(blocco.size(), fino - scritti))
                std::memcpy(memoria + scritti, blocco.data(),
                            std::min(blocco.size(), fino - scritti));
        }
        riuscito = letti == static_cast<std::size_t>(dimensione);
        munmap(m, byte_record);
    }
    close(fd);
    return riuscito;
}

} // namespace

int esegui_pavimento(const char* file_c, const char* file_a, std::size_t byte_c,
                     std::size_t byte_a) {
    std::size_t righe_c = 0, righe_a = 0;
    bool riuscito_a = false;
    std::thread anagrafica([&] { riuscito_a = leggi_e_riempi(file_a, byte_a, righe_a); });
    const bool riuscito_c = leggi_e_riempi(file_c, byte_c, righe_c);
    anagrafica.join();
    return riuscito_c && riuscito_a && righe_c > 0 && righe_a > 0 ? 0 : 1;
}
