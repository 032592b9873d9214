// The load and save dialogues of the main menu, and the notice they share
// about an archive held by another session.
#pragma once

#include <optional>
#include <string>

#include "session/lock.h"

// The database archive the program was started on (the option --database,
// or the environment variable SANZIONARIO_DATABASE), or nothing: the files.
void scegli_archivio(std::optional<std::string> database);
std::optional<std::string> archivio_scelto();

// The load dialogue: asks both paths (ENTER for the defaults), loads, reports
// the outcome and pauses. 0 when both files were loaded; 1 when a file cannot
// be opened, or the clerk said no; -1 when memory ran out. Only a
// successful load changes the lists and the current paths.
int carica();

// The save dialogue with its three choices ([1] Salva, [2] Salva con nome...,
// [3] Non salvare). 0 when both files were written, 1 when they could not be
// (neither file changed), -1 when the clerk chose not to save.
int salva();

// Tells the clerk that the archive is held by another session (its user
// and process when known).
void avvisa_archivio_in_uso(const TITOLARE_ARCHIVIO& t);

// In consultation: tells the clerk, in one line, that nothing can be
// changed, and pauses; true then. False, saying nothing, anywhere else.
// Every choice that would change the archive asks this first.
bool rifiuta_in_consultazione();

// In consultation: a fresh look at the archive, taken each time the clerk
// comes back to a menu. Nothing anywhere else.
void guarda_di_nuovo();
