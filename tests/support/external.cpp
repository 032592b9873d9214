// Running a program of the system through the shell.
#include "support/external.h"

#include <cstdio>
#include <sys/wait.h>

bool programma_presente(const std::string& nome) {
    return uscita_comando("command -v " + nome + " >/dev/null 2>&1").has_value();
}

std::optional<std::string> uscita_comando(const std::string& comando) {
    FILE* p = popen(comando.c_str(), "r");
    if (p == nullptr) return std::nullopt;
    std::string uscita;
    char blocco[4096];
    for (std::size_t n; (n = std::fread(blocco, 1, sizeof blocco, p)) > 0;) uscita.append(blocco, n);
    const int stato = pclose(p);
    if (stato == -1 || !WIFEXITED(stato) || WEXITSTATUS(stato) != 0) return std::nullopt;
    return uscita;
}
