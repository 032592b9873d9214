// Every screen and message the tests expect, as the program prints them
// when its output is not a terminal (clearing the screen is a form feed):
// the main dialogue, the menus, the record dialogues and the input routines.
#pragma once

#include <pwd.h>
#include <string>
#include <unistd.h>

namespace testi {

inline const std::string PAUSA = "Premere un tasto per continuare . . . \n";
inline const std::string RIGA_BOX = "                  ----------------------------------------\n";
inline const std::string BANNER =
    "\f" + RIGA_BOX + "                   Archivio delle contravvenzioni stradali \n" + RIGA_BOX +
    "  ___________________________________________________________________________\n"
    "\n                   === Sanzionario v1.0 ===\n\n";
inline const std::string MENU =
    "\n MENU' PRINCIPALE\n____________________\n\n[1] Sanzionario\n[2] Gestione dati anagrafici\n"
    "[3] Gestione pagamenti\n[4] Cerca\n[5] Carica da file\n[6] Salva\n[7] Esci\n\n>";
inline const std::string CONGEDO =
    "\nGrazie per aver utilizzato Sanzionario\n\n\t\t\t\tUfficio contravvenzioni\n\n\n" + PAUSA;
inline const std::string GATE = "\fPrima di procedere e' necessario caricare i dati\n\n";
inline const std::string CARICA_C =
    "\n CARICA DA FILE\n_________________\n\n"
    "Inserire il nome del file contenente i dati delle contravvenzioni:\n"
    "(premere INVIO per caricare il file di default)\n>";
inline const std::string CARICA_A = "\n\nInserisci il nome del file contenente i dati anagrafici:\n"
                                    "(premere INVIO per caricare il file di default)\n>";
inline const std::string CARICA = CARICA_C + CARICA_A;
inline const std::string CARICATO = "\n\nCaricamento avvenuto correttamente.\n\n" + PAUSA;
inline const std::string ERRORE_APERTURA =
    "\n\n\n ! ATTENZIONE\n\nErrore nell'apertura dei file\nVerificare il percorso o il nome dei "
    "file "
    "e assicurarsi di avere i permessi per accedere ad essi\n\n" +
    PAUSA;
inline const std::string SALVA =
    "\n SALVA\n_________\n\n[1] Salva  \n[2] Salva con nome...   \n[3] Non salvare\n\n>";
inline const std::string SALVA_C =
    "Inserire il percorso in cui salvare i dati delle contravvenzioni:\n"
    "(premere INVIO per salvare nel file di default)\n>";
inline const std::string SALVA_A = "\n\nInserisci il percorso in cui salvare i dati anagrafici:\n"
                                   "(premere INVIO per salvare nel file di default)\n>";
inline const std::string SALVATO = "\n\nSalvataggio avvenuto correttamente.\n\n" + PAUSA;
inline const std::string ERRORE_SALVATAGGIO =
    "\n\n\n ! ATTENZIONE\n\nErrore durante il salvataggio dei file\nVerificare il percorso o il "
    "nome dei "
    "file e assicurarsi di avere i permessi per accedere ad essi\n\n" +
    PAUSA;
// Before the pause of a load or a save, when the journal cannot be written.
inline std::string giornale_negato(const std::string& giornale) {
    return "\n ! ATTENZIONE\n\nImpossibile scrivere il giornale delle modifiche\n" + giornale +
           "\nIl lavoro non e' protetto contro un'interruzione improvvisa:\nsalvare spesso.\n\n";
}
// Before the pause of a load or a save, when the register cannot be written.
inline std::string registro_negato(const std::string& registro) {
    return "\n ! ATTENZIONE\n\nImpossibile scrivere il registro delle operazioni\n" + registro +
           "\nIl lavoro prosegue, ma le operazioni da qui in poi non vi restano:\n"
           "la verifica del registro segnalera' la lacuna.\n\n";
}
// The recovery journal and the lock.
inline const std::string PERDITA = "\n ! ATTENZIONE\n\nLe modifiche non salvate andranno perse.\n"
                                   "Caricare comunque i dati da file? (s/n) ";
inline std::string giornale_trovato(int modifiche, const std::string& quando) {
    return "\n\n ! ATTENZIONE\n\nLa sessione precedente su questo archivio non si e' chiusa "
           "correttamente.\nIl giornale delle modifiche contiene " +
           std::to_string(modifiche) +
           (modifiche == 1 ? " modifica non salvata" : " modifiche non salvate") +
           ";\nl'ultima e' del " + quando + ".\n\nRecuperare le modifiche? (s/n) ";
}
inline const std::string RECUPERATE =
    "\nLe modifiche sono state recuperate: salvare i dati per conservarle nei file.\n";
inline std::string non_recuperate(const std::string& dove) {
    return "\nLe modifiche non recuperate sono conservate nel file\n" + dove + "\n";
}
inline std::string file_cambiati(const std::string& dove) {
    return "\n\n ! ATTENZIONE\n\nI file dei dati sono cambiati dopo l'interruzione della "
           "sessione precedente:\nle sue modifiche non salvate non possono essere recuperate.\n"
           "Sono conservate nel file\n" +
           dove + "\n";
}
inline std::string giornale_illeggibile(const std::string& dove) {
    return "\n\n ! ATTENZIONE\n\nIl giornale delle modifiche di questo archivio non e' "
           "leggibile.\nE' conservato nel file\n" +
           dove + "\n";
}
// Who holds an archive, as the messages name it: the test's own user, a process.
inline std::string chi_tiene(long pid) {
    const passwd* p = getpwuid(geteuid());
    return " (utente " + std::string(p != nullptr ? p->pw_name : "?") + ", processo " +
           std::to_string(pid) + ")";
}
// A load of an archive another session holds, and the question it asks.
inline std::string consultare(long pid) {
    return "\n\n\n ! ATTENZIONE\n\nL'archivio e' gia' in uso in un'altra sessione" +
           chi_tiene(pid) + ".\nAprirlo in sola consultazione? (s/n) ";
}
inline const std::string CONSULTAZIONE =
    "\nArchivio aperto in sola consultazione: si vedono i dati salvati e le modifiche\n"
    "confermate nell'altra sessione, aggiornati a ogni ritorno a un menu;\n"
    "nessuna modifica e' possibile.\n\n\nCaricamento avvenuto correttamente.\n\n" +
    PAUSA;
inline const std::string SOLA_CONSULTAZIONE =
    "\nL'archivio e' aperto in sola consultazione: nessuna modifica e' possibile.\n\n" + PAUSA;
inline std::string in_uso(long pid) {
    return "\n\n\n ! ATTENZIONE\n\nL'archivio e' gia' in uso in un'altra sessione (processo " +
           std::to_string(pid) + ").\nChiudere l'altra sessione e riprovare.\n\n" + PAUSA;
}
inline std::string sovrascrivi(const std::string& file) {
    return "\n\n ! ATTENZIONE\n\nIl file " + file +
           "\ne' stato modificato da un altro programma dopo l'ultimo caricamento o "
           "salvataggio.\nSovrascriverlo? (s/n) ";
}
inline std::string sovrascrivi(const std::string& file, const std::string& altro) {
    return "\n\n ! ATTENZIONE\n\nI file " + file + "\ne " + altro +
           "\nsono stati modificati da un altro programma dopo l'ultimo caricamento o "
           "salvataggio.\nSovrascriverli? (s/n) ";
}
inline std::string blocco_estraneo(const std::string& dove) {
    return "\n\n\n ! ATTENZIONE\n\nAl posto del file di blocco dell'archivio c'e' un file che "
           "non e' di questo programma:\n" +
           dove +
           "\nNessun dato caricato: senza il suo blocco l'archivio potrebbe essere aperto due "
           "volte.\nControllare quel file e toglierlo, poi caricare di nuovo.\n\n" +
           PAUSA;
}
inline std::string giornale_estraneo(const std::string& dove) {
    return "\n ! ATTENZIONE\n\nAl posto del giornale delle modifiche c'e' un file che non e' di "
           "questo programma:\n" +
           dove +
           "\nNon e' stato letto, e finche' resta li' il lavoro non e' protetto contro\n"
           "un'interruzione improvvisa: controllarlo e toglierlo, e salvare spesso.\n\n";
}
inline std::string cartella_aperta(const std::string& cartella) {
    return "\n ! ATTENZIONE\n\nLa cartella dell'archivio e' scrivibile da tutti gli utenti:\n" +
           cartella +
           "\naltri possono bloccare o disturbare l'archivio. Conviene spostarlo in una cartella\n"
           "riservata all'ufficio.\n\n";
}
inline const std::string NULLA_CARICATO = "\nNessun dato caricato.\n\n" + PAUSA;
inline const std::string ARCHIVIO_INVARIATO =
    "\nNessun dato caricato: l'archivio in uso e' invariato.\n\n" + PAUSA;
inline const std::string ANNULLATO =
    "\n\nSalvataggio annullato: i file non sono stati modificati.\n\n" + PAUSA;
inline const std::string USCITA = "\fUSCITA IN CORSO...\n\nSalvare i dati?\n\n";
inline const std::string PERCORSO_LUNGO =
    "Il percorso inserito e' troppo lungo (al massimo 127 caratteri), prego riprovare\n>";

} // namespace testi

namespace testi {

inline const std::string MENU_CONTRAVV =
    "\n MENU' CONTRAVVENZIONI\n_________________________\n\n[1] Visualizza una contravvenzione\n"
    "[2] Inserisci una nuova contravvenzione\n[3] Modifica una contravvenzione\n"
    "[4] Elimina una contravvenzione\n[5] Menu' principale\n\n>";
inline const std::string MENU_ANAGRAF =
    "\n MENU' ANAGRAFICA\n_____________________\n\n[1] Visualizza dati anagrafici\n"
    "[2] Inserisci i dati anagrafici di una contravvenzione\n[3] Modifica dati anagrafici\n"
    "[4] Elimina dati anagrafici\n[5] Menu' principale\n\n>";
inline const std::string MENU_PAGAM =
    "\n MENU' PAGAMENTI\n___________________\n\n[1] Visualizza lo stato del pagamento di una "
    "contravvenzione\n[2] Inserisci un pagamento\n[3] Modifica dati pagamento\n[4] Elimina "
    "pagamento\n"
    "[5] Statistiche pagamenti\n[6] Menu' principale\n\n>";
inline const std::string MENU_CERCA =
    "\n MENU' CERCA\n______________\n\n[1] Ricerca per contravvenzione\n[2] Ricerca per dati "
    "anagrafici\n"
    "[3] Ricerca le contravvenzioni senza dati anagrafici\n[4] Ricerca le multe non pagate\n"
    "[5] Menu' principale\n\n>";

// The record dialogues.
inline const std::string AGGIORNATI = "\n\n ---- Dati aggiornati. ----\n\n" + PAUSA;
inline const std::string FORM_ANAGRAF =
    "\n\nInserire i dati anagrafici del proprietario del veicolo\nCognome: Nome   : Data di "
    "nascita: "
    "\nInserire i dati relativi alla residenza del proprietario del veicolo\nIndirizzo:  Citta'   "
    ":  "
    "CAP      :  Provincia:  \nInserire il codice fiscale del proprietario:\n> "
    "\nInserire il numero della patente del guidatore:\n> ";

// The searches.
inline const std::string PROMPT_ANAGRAF =
    "\nPremere INVIO per visualizzare la contravvenzione successiva,\n"
    "digitare M per inserire i dati anagrafici, X per uscire... ";
inline const std::string FINE_ANAGRAF =
    "\nNon esistono ulteriori contravvenzioni senza dati anagrafici.\n" + PAUSA;
inline const std::string PROMPT_PAGAM =
    "Premere INVIO per visualizzare la contravvenzione non pagata successiva,\n"
    "digitare M per inserire la data del pagamento, X per uscire... ";
inline const std::string FINE_PAGAM =
    "\n\n\n -- Non esistono ulteriori contravvenzioni non pagate --\n" + PAUSA;
inline const std::string FINE_RICERCA = "\nFine dei risultati della ricerca.\n" + PAUSA;

// What the input routines print before reading again.
inline const std::string MSG_TESTO =
    "Il testo inserito contiene caratteri non validi, prego riprovare\n";
inline const std::string MSG_NUMERO =
    "Il valore numerico inserito contiene caratteri non validi, prego riprovare\n";
inline const std::string MSG_DATA =
    "La data  inserita non e' corretta, prego riprovare (formato gg/mm/aaaa)\n";
// A line refused in a UTF-8 locale for a byte that is no UTF-8, at any prompt.
inline const std::string MSG_BYTE_FF =
    "Il testo inserito contiene il byte 0xFF, che non puo' essere registrato, prego riprovare\n";
inline const std::string MSG_CF = "Il formato del codice fiscale non e' valido, prego riprovare\n";
inline const std::string MSG_PATENTE =
    "Il formato del numero della patente non e' valido, prego riprovare\n";

} // namespace testi
