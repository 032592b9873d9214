// Entry point of the sanzionario program.
#include "app/command_line.h"

int main(int argc, char** argv) {
    return esegui_riga_di_comando(argc, argv);
}
