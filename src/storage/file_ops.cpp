// File-system steps shared by the storage modules.
#include "storage/file_ops.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int SALTI_MAX = 40; // symbolic links followed at most

// A folder others may write to (mode 0777, 1777 and the like).
bool cartella_condivisa(const std::string& cartella) {
    struct stat st;
    return stat(cartella.c_str(), &st) == 0 && (st.st_mode & S_IWOTH) != 0;
}

} // namespace

std::string cartella_di(const std::string& percorso) {
    const std::size_t barra = percorso.rfind('/');
    if (barra == std::string::npos) return ".";
    if (barra == 0) return "/";
    return percorso.substr(0, barra);
}

std::string nome_di(const std::string& percorso) {
    const std::size_t barra = percorso.rfind('/');
    return barra == std::string::npos ? percorso : percorso.substr(barra + 1);
}

std::string unisci(const std::string& cartella, std::string_view nome) {
    std::string p = cartella;
    if (p.empty() || p.back() != '/') p += '/';
    p += nome;
    return p;
}

std::string segui_collegamenti(std::string percorso, bool* fidato) {
    if (fidato != nullptr) *fidato = true;
    for (int salti = 0; salti < SALTI_MAX; ++salti) {
        struct stat st;
        if (lstat(percorso.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return percorso;
        if (cartella_condivisa(cartella_di(percorso)) && st.st_uid != geteuid() && st.st_uid != 0) {
            if (fidato != nullptr) *fidato = false;
            return percorso;
        }
        std::vector<char> buf(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1);
        const ssize_t n = readlink(percorso.c_str(), buf.data(), buf.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buf.size()) return percorso;
        const std::string bersaglio(buf.data(), static_cast<std::size_t>(n));
        percorso = bersaglio[0] == '/' ? bersaglio : unisci(cartella_di(percorso), bersaglio);
    }
    return percorso;
}

std::size_t leggi_intero(int fd, char* dati, std::size_t n) {
    std::size_t letti = 0;
    errno = 0;
    while (letti < n) {
        const ssize_t k = read(fd, dati + letti, n - letti);
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) break;
        letti += static_cast<std::size_t>(k);
    }
    return letti;
}

bool scrivi_intero(int fd, std::string_view dati) {
    while (!dati.empty()) {
        const ssize_t n = write(fd, dati.data(), dati.size());
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = ENOSPC;
        if (n <= 0) return false;
        dati.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::vector<std::string> file_scelti(const std::string& cartella,
                                     const std::function<bool(std::string_view nome)>& scelto) {
    std::vector<std::string> trovati;
    DIR* d = opendir(cartella.c_str());
    if (d == nullptr) return trovati;
    while (const dirent* voce = readdir(d)) {
        if (!scelto(voce->d_name)) continue;
        struct stat st;
        if (fstatat(dirfd(d), voce->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            trovati.push_back(unisci(cartella, voce->d_name));
    }
    closedir(d);
    return trovati;
}

void togli_file_se(const std::string& cartella,
                   const std::function<bool(std::string_view nome)>& scelto) {
    for (const std::string& f : file_scelti(cartella, scelto)) unlink(f.c_str());
}

bool sincronizza_cartella(const std::string& cartella) {
    const int fd = open(cartella.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok =
        fsync(fd) == 0 || errno == EINVAL; // EINVAL: the file system cannot, and needs not
    close(fd);
    return ok;
}

bool sincronizza_cartelle_di(const std::vector<std::string>& file) {
    std::vector<std::string> fatte;
    bool ok = true;
    for (const std::string& f : file) {
        const std::string cartella = cartella_di(f);
        if (std::find(fatte.begin(), fatte.end(), cartella) != fatte.end()) continue;
        fatte.push_back(cartella);
        ok = sincronizza_cartella(cartella) && ok;
    }
    return ok;
}

bool rinomina_senza_sostituire(const std::string& da, const std::string& a) {
    if (renameat2(AT_FDCWD, da.c_str(), AT_FDCWD, a.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without that kind of rename: a link refuses an existing name.
    if (link(da.c_str(), a.c_str()) != 0) return false;
    unlink(da.c_str());
    return true;
}

bool sostituibile(const std::string& percorso) {
    struct stat st;
    if (lstat(percorso.c_str(), &st) != 0) return true;
    return st.st_uid == geteuid() || !cartella_condivisa(cartella_di(percorso));
}

std::string percorso_assoluto(const std::string& percorso) {
    const std::string finale = segui_collegamenti(percorso);
    char* cartella = realpath(cartella_di(finale).c_str(), nullptr);
    if (cartella == nullptr) return finale;
    const std::string r = unisci(cartella, nome_di(finale));
    std::free(cartella);
    return r;
}

bool file_proprio(int fd) {
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
           (st.st_uid == geteuid() || st.st_uid == 0) && (st.st_mode & S_IWOTH) == 0;
}

bool stesso_file(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    if (stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return percorso_assoluto(a) == percorso_assoluto(b);
}
