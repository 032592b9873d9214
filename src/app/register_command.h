// The `registro` command: `sanzionario registro [options] [fines file]`
// reads or verifies the register of an archive instead of starting the
// program's dialogue.
#pragma once

// argv[0] is the command's name ("registro"); the options follow. The exit
// status: 0 done (for --verifica: everything holds), 1 something does not
// hold or cannot be read, 2 a wrong option.
int comando_registro(int argc, char** argv);
