// Screens and messages of the main dialogue, as the program prints them
// when its output is not a terminal (clearing the screen is a form feed).
#pragma once

#include <string>

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

} // namespace testi
