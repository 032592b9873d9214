// The console every dialogue talks to: its two streams, clearing the screen,
// the pause, and the primitive reads on which all input is built.
//
// The streams themselves, console_in() and console_out(), belong to the
// terminal state (terminal.h): standard input and output, wrapped once at
// start-up, or the string streams tests set with usa_flussi().
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <string_view>

#include "console/terminal.h"   // console_in(), console_out(), usa_flussi()
#include "console/text_rules.h" // LINEA_MAX and the rules a line read is kept by

// Thrown by every read once standard input has ended or failed. The program
// catches it at the top, writes nothing more to the data files and exits.
struct FineInput {};

// Clears the screen: on a terminal the whole screen, cursor top left;
// otherwise one form feed character.
void cls();

// Prints "Premere un tasto per continuare . . . " and waits: for one key on a
// terminal, otherwise for one input line (not at all once input has ended).
// Then prints a line end.
void pausa();

// One character of input; throws FineInput at the end of input.
int leggi_byte();

// Formatted extraction of one character: white space (blanks, tabs, line
// ends) is skipped, the next character is returned and exactly one more
// character is read and thrown away (both of a CR LF line end). Throws
// FineInput at the end of input.
char leggi_carattere();

// One input line, kept by the rules of text_rules.h: without its line end
// (LF, or CR LF), at most LINEA_MAX characters. A last line without line
// end counts. A line holding a character that code page 850 cannot hold,
// even transliterated, is refused with a message naming it, and the next
// line read instead: no routine ever keeps such a line.
// Throws FineInput when input has ended before the line began.
std::string leggi_linea();

// The same for a line that names a file: its bytes as the terminal sent
// them, not converted to the code page of the archive's text, and never
// refused.
std::string leggi_linea_grezza();

// Prints a file's name as the terminal would have sent it.
void stampa_percorso(std::string_view percorso);
// The same between two texts of a message (a line end after it by default).
void stampa_percorso(std::string_view prima, std::string_view percorso,
                     std::string_view dopo = "\n");
