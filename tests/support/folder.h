// Files and temporary working folders: the one place where a test makes,
// fills, reads and removes the files the program works on.
#pragma once

#include <map>

#include <string>
#include <string_view>
#include <sys/types.h>

std::string leggi_file(const std::string& percorso); // "" when missing
void scrivi_file(const std::string& percorso, std::string_view testo);
mode_t permessi(const std::string& percorso); // permission bits
// Names in a folder that are temporary files of a save, or second names
// it gives the old data files until its backups are in place.
int temporanei(const std::string& cartella);

// The two data files of an archive, and where the program looks for them.
struct ARCHIVIO {
    std::string contravvenzioni;
    std::string anagrafica;
};
inline const std::string DATI_C = "dati/contravvenzioni.txt";
inline const std::string DATI_A = "dati/anagrafica.txt";

// A file of the sample archive (20 fines, 10 owners).
std::string campione(const std::string& nome);
ARCHIVIO archivio_campione();

struct Cartella {
    Cartella();                              // a fresh temporary folder
    explicit Cartella(const ARCHIVIO& dati); // holding the archive under the default paths
    ~Cartella(); // removed with everything in it, whatever its permissions
    Cartella(const Cartella&) = delete;
    Cartella& operator=(const Cartella&) = delete;

    std::string percorso;
    std::string file(const std::string& nome) const; // full path of a file inside
    void scrivi(const std::string& nome,
                const std::string& contenuto) const;  // folders made as needed
    std::string leggi(const std::string& nome) const; // "" when missing
    bool esiste(const std::string& nome) const;
    // Every file inside, by its path from the folder, with its bytes: what
    // a program that must write nothing leaves as it found.
    std::map<std::string, std::string> contenuto() const;
};

// A working folder holding the sample archive under the default paths.
struct CartellaCampione : Cartella {
    CartellaCampione() : Cartella(archivio_campione()) {}
};
