// The program as a command: its options, and the commands besides the
// interactive program.
#pragma once

// Runs what the command line asks for and returns the exit status: with
// no argument, the interactive program; --help and --version; a command
// with its own arguments. 2, after a short usage message on standard
// error, for an unknown option or command.
int esegui_riga_di_comando(int argc, char** argv);
