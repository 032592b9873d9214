// The dialogue conventions shared by every screen: menu choices, s/n
// questions and the "X per uscire" prompts.
#pragma once

#include <string>

// Prints ">" and reads one character (leggi_carattere) until it lies
// between prima and ultima; each refusal prints ">" again, nothing else.
char leggi_scelta(char prima, char ultima);

// Prints the question and reads one character until it is s/S (true) or
// n/N (false); any other character prints the question again.
bool domanda_sn(const char* domanda);

// Reads a line and keeps at most its first two characters: the answer to
// an "X per uscire" prompt or to another one-letter line command.
std::string leggi_comando();

// True when the answer is exactly the letter, in upper or lower case.
bool comando_e(const std::string& risposta, char lettera);

// Prints the prompt, reads the answer and tells whether it means leaving ("X" or "x").
bool chiede_uscita(const char* prompt);
