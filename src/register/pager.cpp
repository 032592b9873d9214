// The pager convention: $PAGER when set and not empty, else less (told to
// quit at once when the text fits the screen, and to pass colours, as git
// does, unless LESS says otherwise). A pager given as a program and its
// arguments is started directly, so that one that does not exist is known
// at once; one written for the shell (pipes, quotes, variables) through
// sh, where "not found" is its status 127. Any output that is not a
// terminal gets the text plain.
#include "register/pager.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "storage/file_ops.h"

extern char** environ;

namespace {

bool scrivi_tutto(std::FILE* f, std::string_view testo) {
    return std::fwrite(testo.data(), 1, testo.size(), f) == testo.size() && std::fflush(f) == 0;
}

// The words of a pager named without anything a shell would interpret.
std::vector<std::string> parole(const std::string& pager) {
    std::vector<std::string> p;
    if (pager.find_first_of("|&;<>()$`\\\"'*?[#~=%{}\n") != std::string::npos) return p;
    for (std::size_t i = 0; i < pager.size();) {
        const std::size_t j = pager.find_first_of(" \t", i);
        if (j != i) p.push_back(pager.substr(i, j == std::string::npos ? j : j - i));
        if (j == std::string::npos) break;
        i = j + 1;
    }
    return p;
}

} // namespace

bool mostra_testo(std::string_view testo) {
    if (!isatty(STDOUT_FILENO)) return scrivi_tutto(stdout, testo);
    const char* variabile = std::getenv("PAGER");
    const std::string pager = variabile == nullptr || *variabile == '\0' ? "less" : variabile;
    setenv("LESS", "FRX", 0);
    std::fflush(stdout);
    std::vector<std::string> argomenti = parole(pager);
    const bool con_shell = argomenti.empty();
    if (con_shell) argomenti = {"/bin/sh", "-c", pager};
    std::vector<char*> argv;
    for (std::string& a : argomenti) argv.push_back(a.data());
    argv.push_back(nullptr);

    int tubo[2];
    int errore = 0;
    pid_t pid = -1;
    if (pipe2(tubo, O_CLOEXEC) != 0) {
        errore = errno;
    } else {
        posix_spawn_file_actions_t azioni;
        posix_spawn_file_actions_init(&azioni);
        posix_spawn_file_actions_adddup2(&azioni, tubo[0], STDIN_FILENO);
        errore = posix_spawnp(&pid, argv[0], &azioni, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&azioni);
        close(tubo[0]);
        if (errore != 0) close(tubo[1]);
    }
    int stato = 0;
    if (errore == 0) {
        // Leaving the pager early is no error.
        const auto prima = std::signal(SIGPIPE, SIG_IGN);
        scrivi_intero(tubo[1], testo);
        close(tubo[1]);
        while (waitpid(pid, &stato, 0) < 0 && errno == EINTR) {
        }
        std::signal(SIGPIPE, prima);
        const bool non_trovato =
            con_shell && WIFEXITED(stato) && (WEXITSTATUS(stato) == 127 || WEXITSTATUS(stato) == 126);
        if (!non_trovato) return true;
    }
    std::cerr << "sanzionario registro: impossibile avviare il programma di paginazione \""
              << pager << "\"" << (variabile != nullptr && *variabile != '\0' ? " (PAGER)" : "")
              << (errore != 0 ? std::string(": ") + std::strerror(errore) : std::string())
              << "; il testo segue senza.\n"
              << std::flush;
    scrivi_tutto(stdout, testo);
    return false;
}
