// The office's settings, in one small INI file: the letterhead of its
// notices, the creditor's tax code and how notice codes are made, the
// reduction and the days to pay. Found at the path given, else
// $XDG_CONFIG_HOME/sanzionario/ufficio.conf (~/.config when unset), else
// /etc/sanzionario/ufficio.conf.
#pragma once

#include <string>

#include "notices/notice_code.h"

struct UFFICIO {
    // The letterhead.
    std::string nome;      // the body: "Comune di ..."
    std::string reparto;   // the office: "Polizia Locale"
    std::string indirizzo; // one line
    std::string contatti;  // one line: telephone, e-mail, certified mail
    // The payment platform.
    std::string codice_fiscale_ente; // 11 digits
    REGOLA_AVVISI regola;
    // The amounts.
    int riduzione_centesimi_percento = 3000; // 30%
    int giorni_riduzione = 5;
    int giorni_pagamento = 60;
};

// The settings read, or why not: `errore` is then the whole message (the
// file, its line when there is one, what is wrong), for standard error.
struct IMPOSTAZIONI_LETTE {
    bool lette = false;
    UFFICIO ufficio;
    std::string percorso; // the file read, or the last one looked for
    std::string errore;
};

// The file to read: `indicato` when not empty, else the first of the usual
// places that exists (the user's, then the system's; the system's when
// neither does).
std::string percorso_impostazioni(const std::string& indicato);

// Reads and checks the file at `percorso`: every key known, none missing,
// each value right.
IMPOSTAZIONI_LETTE leggi_impostazioni(const std::string& percorso);

// The check digit of an 11-digit tax code of a body or company, as the
// tax office computes it: true when it is right.
bool codice_fiscale_numerico_valido(const std::string& codice);
