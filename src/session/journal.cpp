// The journal file: created whole beside the fines file, appended to in
// place and flushed at each operation, set aside under a dated name,
// removed.
#include "session/journal.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "storage/file_ops.h"
#include "storage/side_flush.h"

namespace {

constexpr const char* SUFFISSO = ".giornale";
// A journal this long is no journal of ours: it is set aside unread.
constexpr off_t LUNGHEZZA_MAX = off_t{256} << 20;

void smetti(GIORNALE_IN_USO& g) {
    // Never closed under a flush under way.
    if (g.in_sospeso) attendi_flusso();
    g.in_sospeso = false;
    if (g.file.fd >= 0) close(g.file.fd);
    g.file = FILE_ACCODATO{};
}

// Removes the temporary files that starting this journal left when a stop
// came before their rename. Only the holder of the archive's lock starts
// its journal, so none of them is being written.
void togli_temporanei(const std::string& percorso) {
    const std::string prefisso = nome_di(percorso) + ".tmp-";
    togli_file_se(cartella_di(percorso), [&](std::string_view nome) {
        return nome.size() == prefisso.size() + 6 && nome.starts_with(prefisso);
    });
}

} // namespace

std::string percorso_giornale(const std::string& file_c) {
    return file_c + SUFFISSO;
}

GIORNALE_SU_DISCO leggi_file_giornale(const std::string& percorso, GIORNALE_LETTO& g) {
    g = GIORNALE_LETTO{};
    const int fd = open(percorso.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return GIORNALE_SU_DISCO::NESSUNO;
        // A journal of this user that cannot be opened is still one to keep;
        // a link, or another user's file, is not one at all.
        struct stat st;
        const bool proprio = lstat(percorso.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                             st.st_uid == geteuid() && (st.st_mode & S_IWOTH) == 0;
        return proprio ? GIORNALE_SU_DISCO::LETTO : GIORNALE_SU_DISCO::NON_FIDATO;
    }
    if (!file_proprio(fd)) {
        close(fd);
        return GIORNALE_SU_DISCO::NON_FIDATO;
    }
    struct stat st;
    std::string dati;
    bool letto = fstat(fd, &st) == 0 && st.st_size <= LUNGHEZZA_MAX;
    try {
        if (letto) {
            dati.resize(static_cast<std::size_t>(st.st_size));
            dati.resize(leggi_intero(fd, dati.data(), dati.size()));
        }
        close(fd);
        if (letto) g = decodifica_giornale(dati);
    } catch (const std::bad_alloc&) {
        close(fd);
        g = GIORNALE_LETTO{};
    }
    return GIORNALE_SU_DISCO::LETTO;
}

namespace {

// scrivi_giornale, giving back the journal open for writing in place, its
// entries followed by zeros (fd -1 on failure).
FILE_ACCODATO crea_giornale(const std::string& percorso, std::span<const VOCE_GIORNALE> voci) {
    std::string dati(INTESTAZIONE_GIORNALE);
    std::string temporaneo = percorso + ".tmp-XXXXXX";
    try {
        for (const VOCE_GIORNALE& v : voci) codifica_voce(v, dati);
    } catch (const std::bad_alloc&) {
        return {};
    }
    FILE_ACCODATO f;
    f.fd = mkostemp(temporaneo.data(), O_CLOEXEC);
    if (f.fd < 0) return {};
    if (!accoda_in_posto(f, dati) || rename(temporaneo.c_str(), percorso.c_str()) != 0 ||
        !sincronizza_cartella(cartella_di(percorso))) {
        close(f.fd);
        unlink(temporaneo.c_str());
        return {};
    }
    togli_temporanei(percorso);
    return f;
}

} // namespace

bool scrivi_giornale(const std::string& percorso, std::span<const VOCE_GIORNALE> voci) {
    const FILE_ACCODATO f = crea_giornale(percorso, voci);
    if (f.fd >= 0) close(f.fd);
    return f.fd >= 0;
}

bool giornale_avvia(GIORNALE_IN_USO& g, const std::string& percorso,
                    std::span<const VOCE_GIORNALE> voci) {
    smetti(g);
    g.percorso = percorso;
    g.lasciato = false;
    g.file = crea_giornale(percorso, voci);
    if (g.file.fd < 0) return false;
    g.avvisato = false;
    return true;
}

bool giornale_riprendi(GIORNALE_IN_USO& g, const std::string& percorso, std::size_t lunghezza) {
    smetti(g);
    g.percorso = percorso;
    g.lasciato = false;
    const int fd = open(percorso.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return false;
    // Cut where the whole entries end: a torn tail, and whatever a torn
    // write left further on among the zeros, go; the next entry brings
    // fresh zeros.
    if (!file_proprio(fd) || ftruncate(fd, static_cast<off_t>(lunghezza)) != 0 ||
        fdatasync(fd) != 0) {
        close(fd);
        return false;
    }
    g.file = {fd, static_cast<off_t>(lunghezza), static_cast<off_t>(lunghezza)};
    g.avvisato = false;
    return true;
}

VOCE_GIORNALE voce_di_adesso(TIPO_VOCE tipo) {
    VOCE_GIORNALE v;
    v.tipo = tipo;
    v.ora = static_cast<int64_t>(std::time(nullptr));
    return v;
}

namespace {

// giornale_aggiungi, the entry's flush made here or, `a_lato`, started
// beside the caller (giornale_attendi awaits it).
bool aggiungi(GIORNALE_IN_USO& g, const VOCE_GIORNALE& voce, bool a_lato) {
    if (g.file.fd < 0) return false;
    std::string dati;
    try {
        codifica_voce(voce, dati);
        // What recovery could not take back whole is never written: it would
        // end what can be recovered, with everything after it.
        std::string prova(INTESTAZIONE_GIORNALE);
        codifica_voce(voce_di_adesso(TIPO_VOCE::INIZIO), prova);
        const GIORNALE_LETTO riletto = decodifica_giornale(prova + dati);
        if (riletto.voci.size() != 2 || !riletto.voci[1].ammessa) {
            smetti(g);
            return false;
        }
    } catch (const std::bad_alloc&) {
        smetti(g);
        return false;
    }
    if (a_lato && scrivi_in_posto(g.file, dati)) {
        avvia_flusso(g.file.fd);
        g.in_sospeso = true;
        return true;
    }
    if (!a_lato && accoda_in_posto(g.file, dati)) return true;
    // A part of the entry may be there: it is a torn tail, which reading drops.
    smetti(g);
    return false;
}

} // namespace

bool giornale_aggiungi(GIORNALE_IN_USO& g, const VOCE_GIORNALE& voce) {
    return aggiungi(g, voce, false);
}

bool giornale_attendi(GIORNALE_IN_USO& g) {
    if (!g.in_sospeso) return true;
    g.in_sospeso = false;
    if (attendi_flusso() && g.file.fd >= 0) {
        scritto_su_disco(g.file);
        return true;
    }
    smetti(g);
    return false;
}

bool giornale_attivo(const GIORNALE_IN_USO& g) {
    return g.file.fd >= 0;
}

void giornale_rimuovi(GIORNALE_IN_USO& g) {
    smetti(g);
    if (!g.percorso.empty() && !g.lasciato) unlink(g.percorso.c_str());
    g.percorso.clear();
    g.lasciato = false;
}

void giornale_lascia(GIORNALE_IN_USO& g, const std::string& percorso) {
    smetti(g);
    g.percorso = percorso;
    g.lasciato = true;
    g.avvisato = false;
}

std::string metti_da_parte(GIORNALE_IN_USO& g, const std::string& percorso) {
    const std::time_t ora = std::time(nullptr);
    std::tm t{};
    localtime_r(&ora, &t);
    char data[32];
    std::strftime(data, sizeof data, ".%Y%m%d-%H%M%S", &t);
    const std::string base = percorso + data;
    for (int n = 1; n < 100; ++n) {
        const std::string nuovo = n == 1 ? base : base + "-" + std::to_string(n);
        if (rinomina_senza_sostituire(percorso, nuovo)) {
            if (percorso == g.percorso) smetti(g);
            return nuovo;
        }
        if (errno != EEXIST) return "";
    }
    return "";
}

bool annota_nel_giornale(GIORNALE_IN_USO& g, std::span<const MODIFICA> gruppo, bool completo,
                         const std::string& descrizione) {
    if (g.file.fd < 0) return true; // the clerk has been told already
    bool scritto = false;
    if (completo) {
        try {
            VOCE_GIORNALE v = voce_di_adesso(TIPO_VOCE::MODIFICHE);
            v.modifiche.assign(gruppo.begin(), gruppo.end());
            v.descrizione = descrizione.substr(0, 0xFFFF);
            scritto = aggiungi(g, v, true);
        } catch (const std::bad_alloc&) {
            scritto = false;
        }
    }
    if (!scritto) smetti(g);
    return scritto;
}

bool giornale_da_avvisare(GIORNALE_IN_USO& g) {
    if (g.avvisato) return false;
    g.avvisato = true;
    return true;
}
