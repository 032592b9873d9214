// The two identifiers of a vehicle owner with a fixed shape: the tax code
// (LLLLLLDDLDDLDDDL) and the driving-licence number (LLDDDDDDDL).
#pragma once

// Reads until the first 16 characters of the line have the tax code shape;
// stores them in s (room for at least 17).
int ins_cf(char* s);
// Reads until the first 10 characters of the line have the licence shape;
// stores them in s (room for at least 11).
int ins_pat(char* s);

// Whether the text starts with the tax code shape, or the licence shape.
bool forma_codice_fiscale(const char* s);
bool forma_patente(const char* s);
