// Archives, folder snapshots and the program as a child process, for the
// fault tests.
#include "faults/fault_support.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace guasti {

namespace {

std::string a_sinistra(const std::string& testo, std::size_t larghezza) {
    return testo.size() < larghezza ? testo + std::string(larghezza - testo.size(), ' ') : testo;
}

std::string a_destra(const std::string& testo, std::size_t larghezza) {
    return testo.size() < larghezza ? std::string(larghezza - testo.size(), ' ') + testo : testo;
}

} // namespace

ARCHIVIO archivio_generato(int quanti, const std::string& fine_riga) {
    ARCHIVIO a;
    const std::string& f = fine_riga;
    a.anagrafica.reserve(static_cast<std::size_t>(quanti) * 300);
    a.contravvenzioni.reserve(static_cast<std::size_t>(quanti) * 200);
    for (int i = 1; i <= quanti; ++i) {
        const std::string n = std::to_string(i);
        a.anagrafica += f + n + f + a_sinistra("ROSSI", 31) + " MARIO" + f + "05/03/1970" + f +
                        a_sinistra("VIA ROMA " + n, 31) + " " + a_sinistra("Milano", 31) + " " +
                        "20100 MI" + f + "RSSMRA70C05F205Z" + f + "MI1234567A" + f +
                        std::string(88, '_') + f;
        const bool pagata = i % 3 == 0;
        a.contravvenzioni += f + n + f + "12/03/2008 " + a_destra("Via " + n, 11) + f + "AB123CD" +
                             f + "Eccesso di velocita" + f + "* " + n + f +
                             a_destra(std::to_string(40 + i % 50) + ".50", 15) +
                             (pagata ? " * 20/03/2008" : " - ") + f + std::string(87, '_') + f;
    }
    return a;
}

// The lock file and the recovery journal beside the fines file change at
// every load by design; the snapshots are about the data files.
bool del_programma(const std::string& nome) {
    return nome.ends_with(".blocco") || nome.find(".giornale") != std::string::npos;
}

ISTANTANEA istantanea(const std::string& cartella) {
    ISTANTANEA s;
    std::error_code ec;
    for (const auto& voce : fs::recursive_directory_iterator(cartella, ec)) {
        struct stat st {};
        if (lstat(voce.path().c_str(), &st) != 0) continue;
        char modo[64]; // permission bits and owner, up to the "|"
        std::snprintf(modo, sizeof modo, "%04o %u:%u|", static_cast<unsigned>(st.st_mode & 07777),
                      static_cast<unsigned>(st.st_uid), static_cast<unsigned>(st.st_gid));
        const std::string nome = fs::relative(voce.path(), cartella).string();
        if (del_programma(nome)) continue;
        s[nome] = modo + (S_ISDIR(st.st_mode) ? std::string("/") : leggi_file(voce.path()));
    }
    return s;
}

std::string differenze(const ISTANTANEA& prima, const ISTANTANEA& dopo) {
    std::string d;
    for (const auto& [nome, contenuto] : prima) {
        const auto trovato = dopo.find(nome);
        if (trovato == dopo.end()) {
            d += "removed: " + nome + "\n";
        } else if (trovato->second != contenuto) {
            const auto modo = [](const std::string& voce) {
                return voce.substr(0, voce.find('|'));
            };
            d += "changed: " + nome + " (" + std::to_string(contenuto.size()) + " -> " +
                 std::to_string(trovato->second.size()) + " bytes, mode and owner " +
                 modo(contenuto) + " -> " + modo(trovato->second) + ")\n";
        }
    }
    for (const auto& [nome, contenuto] : dopo)
        if (prima.count(nome) == 0) d += "new: " + nome + "\n";
    return d;
}

} // namespace guasti
