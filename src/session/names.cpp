// An archive's names, from the two data files' paths.
#include "session/names.h"

#include "register/register_file.h"
#include "session/journal.h"
#include "session/lock.h"
#include "storage/atomic_write.h"
#include "storage/file_identity.h"
#include "storage/file_ops.h"
#include "storage/put_in_place.h"

NOMI_ARCHIVIO nomi_archivio(const std::string& file_c, const std::string& file_a) {
    NOMI_ARCHIVIO n;
    n.file_c = file_c;
    n.file_a = file_a;
    n.collegato_c = segui_collegamenti(file_c);
    n.collegato_a = segui_collegamenti(file_a);
    n.reale_c = percorso_assoluto(file_c);
    n.reale_a = percorso_assoluto(file_a);
    n.giornale = percorso_giornale(n.collegato_c);
    n.blocco = percorso_blocco(n.collegato_c);
    n.registro = percorso_registro(n.collegato_c);
    n.copia_c = percorso_copia(n.collegato_c);
    n.copia_a = percorso_copia(n.collegato_a);
    n.stesso_file = stesso_file(file_c, file_a);
    return n;
}

NOMI_ARCHIVIO nomi_database(const std::string& indirizzo) {
    NOMI_ARCHIVIO n;
    n.database = indirizzo;
    return n;
}

bool file_dell_archivio(const NOMI_ARCHIVIO& n, const std::string& percorso) {
    const std::string reale = percorso_assoluto(percorso);
    const std::string cartella = cartella_di(reale), nome = nome_di(reale);
    for (const std::string* dati : {&n.reale_c, &n.reale_a}) {
        if (reale == *dati || reale == percorso_copia(*dati)) return true;
        if (cartella == cartella_di(*dati) && nome_temporaneo_di(nome, nome_di(*dati))) return true;
    }
    const std::string giornale = percorso_assoluto(n.giornale);
    if (reale.starts_with(giornale)) return true; // also one set aside, with its date
    for (const std::string* proprio : {&n.blocco, &n.registro})
        if (reale == percorso_assoluto(*proprio)) return true;
    const IDENTITA_FILE id = identita_file(percorso.c_str());
    if (!id.esiste) return false;
    for (const std::string* f :
         {&n.file_c, &n.file_a, &n.copia_c, &n.copia_a, &n.giornale, &n.blocco, &n.registro})
        if (stesso_inode(id, identita_file(f->c_str()))) return true;
    return false;
}
