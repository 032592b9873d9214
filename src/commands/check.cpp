// sanzionario controlla: what an administrator wants to know of an archive
// before copying it away, read without changing anything; status 0 when
// all is well, for cron.
#include <iostream>
#include <string>
#include <unordered_set>

#include "commands/command_support.h"
#include "commands/commands.h"
#include "commands/database_command.h"
#include "model/lists.h"
#include "register/verify.h"
#include "storage/file_identity.h"
#include "storage/file_ops.h"

namespace {

constexpr const char* COMANDO = "controlla";

const std::string AIUTO =
    std::string("Uso: sanzionario controlla [OPZIONI]\n"
    "Legge l'archivio senza modificarlo e riferisce: il numero dei record, i record\n"
    "che il programma non legge come scritti, le contravvenzioni collegate a dati\n"
    "anagrafici mancanti, i numeri e i codici ripetuti, le contravvenzioni pagate\n"
    "senza dati anagrafici, un giornale di recupero o un salvataggio rimasti in\n"
    "sospeso, e se il registro delle modifiche e' integro.\n"
    "In un archivio nel database non ci sono file, giornale ne' salvataggi: il\n"
    "registro e' la sua tabella, e numeri e codici ripetuti o contravvenzioni\n"
    "collegate a dati anagrafici mancanti li esclude il database stesso.\n\n") +
    AIUTO_ARCHIVIO +
    std::string(
    "  -h, --help                  mostra questo aiuto ed esce\n\n"
    "Stato di uscita: 0 tutto in ordine, 1 problemi trovati o archivio illeggibile,\n"
    "2 uso errato.\n");

// One line of the report; a finding counts as a problem.
struct RAPPORTO {
    int problemi = 0;
    void riga(const std::string& voce, const std::string& esito, bool problema) {
        std::cout << voce << ": " << esito << "\n";
        problemi += problema ? 1 : 0;
    }
};

std::string forma(const FORMA_FILE& f, bool femminile) {
    if (f.malformati == 0) return femminile ? "nessuna" : "nessuno";
    return std::to_string(f.malformati) + (femminile ? " (la prima" : " (il primo") +
           " alla riga " + std::to_string(f.riga) + ")";
}

// How many identifiers repeat along a list, and the first one that does.
template <class N, class ID> std::string ripetuti(const N* lista, ID id, std::size_t& quanti) {
    std::unordered_set<uint32_t> visti;
    std::string primo;
    quanti = 0;
    for (const N* p = lista; p != nullptr; p = p->next) {
        if (visti.insert(id(p)).second) continue;
        if (quanti++ == 0) primo = std::to_string(id(p));
    }
    return quanti == 0 ? "nessuno" : std::to_string(quanti) + " (il primo: " + primo + ")";
}

// The journal and a save cut short: what only files have. The journal of
// the session holding the archive is its work under way, already in what
// was checked; any other is a session's that ended without saving.
void giornale_e_salvataggio(RAPPORTO& rapporto, const APERTURA& r) {
    const bool tenuto = r.titolare.pid != 0;
    const bool in_sospeso = r.giornale == GIORNALE_TROVATO::RECUPERABILE ||
                            r.giornale == GIORNALE_TROVATO::FILE_CAMBIATI;
    std::string giornale = "nessuna modifica in sospeso";
    if (r.giornale == GIORNALE_TROVATO::NON_FIDATO)
        giornale = "al suo posto c'e' un file che non e' del programma";
    if (r.giornale == GIORNALE_TROVATO::ILLEGGIBILE) giornale = "illeggibile";
    if (in_sospeso)
        giornale = std::to_string(r.modifiche) +
                   (tenuto ? " modifiche confermate della sessione in corso, comprese nel "
                             "controllo"
                           : " modifiche non salvate di una sessione interrotta");
    if (r.giornale_altrui) giornale = "della sessione in corso, non leggibile da questo utente";
    const bool problema_giornale = r.giornale == GIORNALE_TROVATO::NON_FIDATO ||
                                   r.giornale == GIORNALE_TROVATO::ILLEGGIBILE ||
                                   (in_sospeso && !tenuto);
    rapporto.riga("Giornale di recupero (" + r.nomi.giornale + ")", giornale, problema_giornale);
    rapporto.riga("Salvataggio interrotto",
                  r.salvataggio_interrotto
                      ? "si': lo completa il prossimo caricamento (controllati i file che mettera' "
                        "al loro posto)"
                      : "no",
                  r.salvataggio_interrotto);
}

// The register's verification in one line: its report ends with what was
// found last, the finding when there is one.
void registro_verificato(RAPPORTO& rapporto, const ESITO_VERIFICA& v) {
    std::string_view ultima = v.rapporto;
    while (!ultima.empty() && ultima.back() == '\n') ultima.remove_suffix(1);
    ultima.remove_prefix(ultima.rfind('\n') + 1);
    rapporto.riga("Registro delle modifiche",
                  v.integro ? "verificato" : "non verificato: " + std::string(ultima), !v.integro);
}

} // namespace

int comando_controlla(int argc, char** argv) {
    FILE_ARCHIVIO file;
    if (const auto fine = leggi_opzioni_comando(COMANDO, AIUTO.c_str(), argc, argv, file, {}, "",
                                                [](int, const char*) {}))
        return *fine;
    if (optind < argc)
        return errore_uso(COMANDO, std::string("argomento in piu': ") + argv[optind]);

    APERTURA r;
    if (!leggi_archivio_comando(COMANDO, file, r)) return USCITA_FALLITO;
    // A database archive: its register is read on a connection of its own.
    DATABASE db;
    if (file.database)
        if (const auto fine = collega_per_comando(COMANDO, file.database->c_str(), db))
            return *fine;
    // What the database's keys exclude is checked all the same, and said so.
    const auto nessuno = [&](const char* parola, const char* pronome) {
        return std::string(parola) +
               (file.database ? std::string(" (il database non ") + pronome + " ammette)" : "");
    };
    RAPPORTO rapporto;
    std::cout << "Archivio: "
              << (file.database ? nome_database(db) : file.contravvenzioni + ", " + file.anagrafica)
              << "\n";
    std::size_t multe = 0, persone = 0, pagate_senza = 0, n = 0;
    for (const NODO_CONTRAVV* f = lista_contravv; f != nullptr; f = f->next) {
        ++multe;
        pagate_senza += f->pagata && !f->con_anagraf ? 1 : 0;
    }
    for (const NODO_ANAGRAF* p = lista_anagraf; p != nullptr; p = p->next) ++persone;
    rapporto.riga("Contravvenzioni", std::to_string(multe), false);
    rapporto.riga("Dati anagrafici", std::to_string(persone), false);
    if (!file.database) {
        rapporto.riga("Contravvenzioni che il programma non legge come scritte",
                      forma(r.forma_c, true), r.forma_c.malformati > 0);
        rapporto.riga("Dati anagrafici che il programma non legge come scritti",
                      forma(r.forma_a, false), r.forma_a.malformati > 0);
    }
    rapporto.riga("Contravvenzioni collegate a dati anagrafici mancanti",
                  r.orfane.quante == 0 ? nessuno("nessuna", "le")
                                       : std::to_string(r.orfane.quante) + " (la prima: n." +
                                             std::to_string(r.orfane.prima) + ")",
                  r.orfane.quante > 0);
    const std::string numeri = ripetuti(
        lista_contravv, [](const NODO_CONTRAVV* f) { return f->numero; }, n);
    rapporto.riga("Numeri di contravvenzione ripetuti", n == 0 ? nessuno("nessuno", "li") : numeri,
                  n > 0);
    const std::string codici = ripetuti(
        lista_anagraf, [](const NODO_ANAGRAF* p) { return p->codice; }, n);
    rapporto.riga("Codici anagrafici ripetuti", n == 0 ? nessuno("nessuno", "li") : codici, n > 0);
    rapporto.riga("Contravvenzioni pagate senza dati anagrafici",
                  pagate_senza == 0 ? "nessuna" : std::to_string(pagate_senza), pagate_senza > 0);
    if (file.database) {
        registro_verificato(rapporto, verifica_registro_database(db));
    } else {
        giornale_e_salvataggio(rapporto, r);
        if (!identita_file(r.nomi.registro.c_str()).esiste) {
            rapporto.riga("Registro delle modifiche", "assente", false);
        } else {
            registro_verificato(rapporto, verifica_registro(r.nomi.registro, r.nomi.reale_c,
                                                            impronte_della_nota(r.completato)));
        }
    }
    if (rapporto.problemi == 0) {
        std::cout << "Esito: tutto in ordine.\n";
        return USCITA_FATTO;
    }
    std::cout << "Esito: " << rapporto.problemi
              << (rapporto.problemi == 1 ? " problema trovato.\n" : " problemi trovati.\n");
    return USCITA_FALLITO;
}
