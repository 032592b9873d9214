// Entry point of the sanzionario program.
#include "app/app.h"

int main() {
    return avvia_sanzionario();
}
