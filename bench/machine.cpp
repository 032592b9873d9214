// Machine facts from sched_getaffinity, /proc/cpuinfo, /proc/meminfo and statfs.
#include "machine.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sched.h>
#include <sys/vfs.h>

namespace {

// The text after "voce<blanks>:" on the first line of the file that starts with voce.
std::string valore_di(const char* file, const char* voce) {
    std::FILE* f = std::fopen(file, "r");
    if (f == nullptr) return "";
    char riga[512];
    std::string valore;
    while (std::fgets(riga, sizeof riga, f) != nullptr) {
        if (std::strncmp(riga, voce, std::strlen(voce)) != 0) continue;
        const char* dopo = std::strchr(riga, ':');
        if (dopo == nullptr) continue;
        for (++dopo; *dopo == ' ' || *dopo == '\t'; ++dopo) {
        }
        valore = dopo;
        while (!valore.empty() && (valore.back() == '\n' || valore.back() == ' '))
            valore.pop_back();
        break;
    }
    std::fclose(f);
    return valore;
}

} // namespace

std::string descrivi_macchina() {
    cpu_set_t insieme;
    CPU_ZERO(&insieme);
    const int processori =
        sched_getaffinity(0, sizeof insieme, &insieme) == 0 ? CPU_COUNT(&insieme) : 0;
    const std::string modello = valore_di("/proc/cpuinfo", "model name");
    const double gib =
        std::atof(valore_di("/proc/meminfo", "MemTotal").c_str()) / (1024.0 * 1024.0);
    char testo[640];
    std::snprintf(testo, sizeof testo, "%d CPUs (nproc), %s, %.1f GiB RAM", processori,
                  modello.empty() ? "unknown CPU" : modello.c_str(), gib);
    return testo;
}

std::string file_system_di(const char* cartella) {
    struct statfs st;
    if (statfs(cartella, &st) != 0) return "unknown";
    switch (static_cast<unsigned long>(st.f_type)) {
    case 0xEF53:
        return "ext4";
    case 0x01021994:
        return "tmpfs";
    case 0x58465342:
        return "xfs";
    case 0x9123683E:
        return "btrfs";
    case 0x794C7630:
        return "overlayfs";
    case 0x2FC12FC1:
        return "zfs";
    case 0x6969:
        return "nfs";
    default:
        break;
    }
    char testo[32];
    std::snprintf(testo, sizeof testo, "0x%lx", static_cast<unsigned long>(st.f_type));
    return testo;
}
