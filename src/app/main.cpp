// Entry point of the sanzionario program: the dialogue, or with
// "registro" as first argument the register's command.
#include <cstring>

#include "app/app.h"
#include "app/register_command.h"

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "registro") == 0)
        return comando_registro(argc - 1, argv + 1);
    return avvia_sanzionario();
}
