// Generated archives and folder snapshots, for the fault tests.
#include "faults/fault_support.h"

#include <cstdio>
#include <filesystem>
#include <sys/stat.h>

#include "support/record_text.h"

namespace fs = std::filesystem;

namespace guasti {

ARCHIVIO archivio_generato(int quanti, const std::string& fine_riga) {
    ARCHIVIO a;
    a.anagrafica.reserve(static_cast<std::size_t>(quanti) * 300);
    a.contravvenzioni.reserve(static_cast<std::size_t>(quanti) * 200);
    for (uint32_t i = 1; i <= static_cast<uint32_t>(quanti); ++i) {
        const std::string via = "VIA ROMA " + std::to_string(i), luogo = "Via " + std::to_string(i);
        a.anagrafica += testo_anagraf({i, "ROSSI", "MARIO", {5, 3, 1970}, via.c_str(), "Milano",
                                       "20100", "MI", "RSSMRA70C05F205Z", "MI1234567A"},
                                      fine_riga);
        const bool pagata = i % 3 == 0;
        a.contravvenzioni += testo_contravv(
            {i, {12, 3, 2008}, luogo.c_str(), "AB123CD", "Eccesso di velocita", 40.5 + i % 50,
             nullptr, pagata, pagata ? DATA{20, 3, 2008} : DATA{0, 0, 0}},
            i, fine_riga);
    }
    return a;
}

std::pair<std::string, std::string> stato_file(const Cartella& c, const ARCHIVIO& vecchio,
                                               const ARCHIVIO& nuovo) {
    const auto stato = [](const std::string& file, const std::string& v, const std::string& n) {
        return file == v   ? std::string("old")
               : file == n ? std::string("new")
                           : "neither (" + std::to_string(file.size()) + " bytes)";
    };
    return {stato(c.leggi(DATI_C), vecchio.contravvenzioni, nuovo.contravvenzioni),
            stato(c.leggi(DATI_A), vecchio.anagrafica, nuovo.anagrafica)};
}

// The lock file, the recovery journal and the register beside the fines file change at
// every load by design; the snapshots are about the data files.
bool del_programma(const std::string& nome) {
    return nome.ends_with(".blocco") || nome.find(".giornale") != std::string::npos ||
           nome.ends_with(".registro");
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
