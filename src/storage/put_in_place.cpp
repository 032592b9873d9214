// Second names, renames, flushes, the way back when one of them fails, and
// the backups once all succeeded.
#include "storage/put_in_place.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "storage/file_ops.h"

namespace {

enum class COPIA {
    FATTA,       // the old data file has a second name, `nome`
    FILE_NUOVO,  // there was no data file: putting back means removing the new one
    SENZA_COPIA, // no second name could be had: there is no way back, and no backup
    ERRORE,
};

struct SECONDO_NOME {
    COPIA stato = COPIA::ERRORE;
    std::string nome; // "<name>.bak-XXXXXX", a name nobody else can have taken
};

// Gives the data file a second name that is new in its folder: a fixed name
// could be taken by another user first, and would then stop every save.
SECONDO_NOME secondo_nome(const std::string& file) {
    SECONDO_NOME s;
    struct stat st;
    if (lstat(file.c_str(), &st) != 0) {
        s.stato = errno == ENOENT ? COPIA::FILE_NUOVO : COPIA::ERRORE;
        return s;
    }
    for (int prova = 0; prova < 100; ++prova) {
        std::string nome = percorso_copia(file) + "-XXXXXX";
        // mkstemp only to draw a free name; the link takes it over.
        const int fd = mkstemp(nome.data());
        if (fd < 0) break;
        close(fd);
        unlink(nome.c_str());
        if (link(file.c_str(), nome.c_str()) == 0) {
            s.stato = COPIA::FATTA;
            s.nome = std::move(nome);
            return s;
        }
        if (errno != EEXIST) break;
    }
    s.stato = errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS || errno == EACCES
                  ? COPIA::SENZA_COPIA
                  : COPIA::ERRORE;
    return s;
}

// Puts back the first `quante` data files as they were before the renames;
// the data files that could not be put back are added to `rimasti`.
void rimetti(const RINOMINE& rinomine, const std::vector<SECONDO_NOME>& copie, std::size_t quante,
             std::vector<std::string>& rimasti) {
    for (std::size_t i = 0; i < quante; ++i) {
        const std::string& file = rinomine[i].second;
        bool rimesso = false;
        if (copie[i].stato == COPIA::FATTA) {
            rimesso = rename(copie[i].nome.c_str(), file.c_str()) == 0;
        } else if (copie[i].stato == COPIA::FILE_NUOVO) {
            rimesso = unlink(file.c_str()) == 0 || errno == ENOENT;
        }
        if (!sincronizza_cartella(cartella_di(file))) rimesso = false;
        if (!rimesso) rimasti.push_back(file);
    }
}

// The second name becomes the backup, with the data file's permissions
// less any for others. False when the backup could not be kept.
bool fai_copia(const std::string& file, const SECONDO_NOME& s) {
    const std::string copia = percorso_copia(file);
    const int fd = open(s.nome.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    const bool fatta = fd >= 0 && fstat(fd, &st) == 0 &&
                       fchmod(fd, st.st_mode & (S_IRWXU | S_IRWXG)) == 0 &&
                       rename(s.nome.c_str(), copia.c_str()) == 0;
    if (fd >= 0) close(fd);
    if (!fatta) unlink(s.nome.c_str());
    return fatta;
}

} // namespace

bool diventa_copia(const std::string& file, const std::string& secondo_nome) {
    SECONDO_NOME s;
    s.stato = COPIA::FATTA;
    s.nome = secondo_nome;
    return fai_copia(file, s);
}

std::string percorso_copia(const std::string& file) {
    return file + ".bak";
}

bool metti_al_posto(const RINOMINE& rinomine, ESITO_POSTO& esito) {
    esito = ESITO_POSTO{};
    std::vector<SECONDO_NOME> copie;
    const auto togli_secondi_nomi = [&] {
        for (const SECONDO_NOME& s : copie)
            if (s.stato == COPIA::FATTA) unlink(s.nome.c_str());
    };
    for (const auto& [temporaneo, file] : rinomine) {
        copie.push_back(secondo_nome(file));
        if (copie.back().stato == COPIA::ERRORE) { // nothing replaced yet
            togli_secondi_nomi();
            return false;
        }
    }
    // Each rename reaches the disk before the next is made: a power cut can
    // so leave only a first part of them done, in order, which is what the
    // next load knows how to finish.
    std::size_t fatte = 0;
    bool riuscito = true;
    for (; riuscito && fatte < rinomine.size(); ++fatte) {
        const auto& [temporaneo, file] = rinomine[fatte];
        if (rename(temporaneo.c_str(), file.c_str()) != 0) {
            riuscito = false;
            break;
        }
        riuscito = sincronizza_cartella(cartella_di(file));
    }
    if (!riuscito) {
        // A data file that could not be replaced or flushed: the others go
        // back to what they were.
        rimetti(rinomine, copie, fatte, esito.rimasti_nuovi);
        togli_secondi_nomi();
        return false;
    }
    for (std::size_t i = 0; i < rinomine.size(); ++i) {
        const std::string& file = rinomine[i].second;
        if (copie[i].stato == COPIA::FATTA && !fai_copia(file, copie[i]))
            esito.senza_copia.push_back(file);
        else if (copie[i].stato == COPIA::SENZA_COPIA)
            esito.senza_copia.push_back(file);
    }
    // The backups need no flush of their own: a stop before it reaches the
    // disk leaves the previous backup and a second name the next save removes.
    return true;
}
