// Files and temporary working folders.
#include "support/folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

std::string leggi_file(const std::string& percorso) {
    std::ifstream f(percorso, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

void scrivi_file(const std::string& percorso, std::string_view testo) {
    std::ofstream f(percorso, std::ios::binary | std::ios::trunc);
    f.write(testo.data(), static_cast<std::streamsize>(testo.size()));
}

mode_t permessi(const std::string& percorso) {
    struct stat st {};
    stat(percorso.c_str(), &st);
    return st.st_mode & 07777;
}

int temporanei(const std::string& cartella) {
    int n = 0;
    std::error_code ec;
    for (const auto& voce : fs::directory_iterator(cartella, ec)) {
        const std::string nome = voce.path().filename().string();
        if (nome.find(".tmp-") != std::string::npos || nome.find(".bak-") != std::string::npos) ++n;
    }
    return n;
}

std::string campione(const std::string& nome) {
    return leggi_file(std::string(SANZIONARIO_SAMPLE_DIR) + "/dati/" + nome);
}

ARCHIVIO archivio_campione() {
    return {campione("contravvenzioni.txt"), campione("anagrafica.txt")};
}

Cartella::Cartella() {
    std::string modello = (fs::temp_directory_path() / "sanz-XXXXXX").string();
    if (mkdtemp(modello.data()) == nullptr) throw std::runtime_error("mkdtemp");
    percorso = modello;
}

Cartella::Cartella(const ARCHIVIO& dati) : Cartella() {
    scrivi(DATI_C, dati.contravvenzioni);
    scrivi(DATI_A, dati.anagrafica);
}

Cartella::~Cartella() {
    std::error_code ec;
    fs::permissions(percorso, fs::perms::owner_all, fs::perm_options::add, ec);
    for (const auto& voce : fs::recursive_directory_iterator(percorso, ec))
        if (voce.is_directory(ec))
            fs::permissions(voce.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(percorso, ec);
}

std::string Cartella::file(const std::string& nome) const {
    return percorso + "/" + nome;
}

void Cartella::scrivi(const std::string& nome, const std::string& contenuto) const {
    fs::create_directories(fs::path(file(nome)).parent_path());
    scrivi_file(file(nome), contenuto);
}

std::string Cartella::leggi(const std::string& nome) const {
    return leggi_file(file(nome));
}

bool Cartella::esiste(const std::string& nome) const {
    return fs::exists(file(nome));
}

std::map<std::string, std::string> Cartella::contenuto() const {
    std::map<std::string, std::string> c;
    for (const auto& voce : std::filesystem::recursive_directory_iterator(percorso))
        if (voce.is_regular_file())
            c[std::filesystem::relative(voce.path(), percorso).string()] = leggi_file(voce.path());
    return c;
}
