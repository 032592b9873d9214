// The terminal behind the console, and all that the program keeps about
// it: the two streams every dialogue reads and writes, the buffers over
// standard input and output, whether each is a terminal, the colours set on
// the screen and the terminal's own mode, saved to be given back however
// the program ends. This module alone holds that state (terminal.cpp); the
// rest of the console reaches it through these functions.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <string_view>

// The streams every dialogue reads from and writes to: standard input and
// output, wrapped by terminale_avvia, or whatever usa_flussi set.
std::istream& console_in();
std::ostream& console_out();

// Points the console at other streams (tests, the benchmark). The streams
// are not owned. Both count as "not a terminal": clearing writes a form
// feed, the pause reads a line.
void usa_flussi(std::istream& in, std::ostream& out);

// Wraps standard input and output for the console (converting between the
// character set the locale names and code page 850), saves the
// terminal's mode, and installs the handlers that restore the terminal on
// every signal that ends the program (SIGINT, SIGTERM, SIGHUP, SIGQUIT and
// the rest); SIGXFSZ is ignored, so that a file-size limit is an ordinary
// write error.
void terminale_avvia();

// Light yellow text on a light blue background over the whole screen, on a
// terminal that takes escape sequences and when NO_COLOR is unset or empty;
// nothing otherwise.
void terminale_colori();

// Gives the terminal its own colours and mode back. Safe to call twice.
void terminale_ripristina();

bool input_da_terminale();
// True when standard output is a terminal that takes escape sequences: TERM
// set and not "dumb". Otherwise it is treated as no terminal at all, and
// the screen is cleared with a form feed.
bool output_su_terminale();

// Waits for one key on the input terminal, without echo and without Enter.
void attendi_tasto();

// The next input line, not begun yet, passes as the terminal sent it,
// without conversion. False when the console does not read standard input
// or a part of that line was already taken.
bool linea_grezza();
// The character of the line just read that code page 850 cannot hold,
// named in the terminal's set (Decodifica::rifiutato); empty when there is
// none, or when the console does not read standard input.
std::string carattere_rifiutato();
// Writes the bytes to standard output as they are. False when the console
// does not write to standard output.
bool scrivi_grezzo(std::string_view testo);
