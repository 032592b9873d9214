// The real terminal behind the console: whether standard input and output
// are terminals, the character set of the locale, the colours of the
// screen, single-key reads, and giving the terminal back as it was found,
// however the program ends.
#pragma once

#include <string_view>

// Wraps standard input and output for the console (converting between
// UTF-8 and code page 850 when the locale asks for UTF-8), and installs the
// handlers that restore the terminal on every signal that ends the program
// (SIGINT, SIGTERM, SIGHUP, SIGQUIT and the rest); SIGXFSZ is ignored, so
// that a file-size limit is an ordinary write error.
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

// True when LC_ALL, LC_CTYPE or LANG (the first that is set) names UTF-8.
bool locale_utf8();

// Waits for one key on the input terminal, without echo and without Enter.
void attendi_tasto();

// The next input line, not begun yet, passes as the terminal sent it,
// without conversion. False when the console does not read standard input
// or a part of that line was already taken.
bool linea_grezza();
// Writes the bytes to standard output as they are. False when the console
// does not write to standard output.
bool scrivi_grezzo(std::string_view testo);

// Marks the console as a terminal or not (used by usa_flussi and tests).
void imposta_terminali(bool input, bool output);
