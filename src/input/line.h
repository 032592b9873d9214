// Reading lines, texts, digit strings and numbers typed at the console.
// No routine prints a prompt; the validating ones print their message and
// read again until the value is acceptable.
#pragma once

#include <cstdint>
#include <string>

// Reads one line and keeps its first n characters in s (s needs room for n + 1).
int ins_str(char* s, int n);
// As ins_str; false when a NUL byte among those n characters ended the text
// early: the validating routines refuse such a line like any other
// character they do not accept.
bool ins_str_intero(char* s, int n);
// As ins_str, until the text holds only letters (accented ones of code page
// 850 included) and blanks.
int ins_txt(char* s, int n);
// As ins_str, until the text holds only digits.
int ins_num(char* s, int n);
// A digit string read whole; the empty line is 0. Values above 4294967295
// are refused like any other invalid number.
int ins_int(uint32_t* v);
// Digits and full stops, converted by the longest leading decimal number;
// the empty line and a lone full stop are 0.
int ins_double(double* v);

// Prints the prompt and reads a fine number or owner code with ins_int.
uint32_t chiedi_numero(const char* prompt);

// Upper-cases the letters a to z of s in place.
int maiusc(char* s);
// Ends s at its first pair of blanks starting before position n, or at n.
// Test seam: the loader applies this cut in testo_a_colonna
// (storage/columns.h); the tests check the rule here.
int trnk_str(char* s, int n);

// The message of the numeric routines.
extern const char* const MSG_NUMERO_NON_VALIDO;

// Checks used by the routines above, on the kept text.
bool solo_lettere(const std::string& s);
bool solo_cifre(const std::string& s);
