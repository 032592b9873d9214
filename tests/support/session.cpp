// Running the program in a child process through pipes.
#include "support/session.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

Cartella::Cartella() {
    std::string modello = (fs::temp_directory_path() / "sanz-XXXXXX").string();
    if (mkdtemp(modello.data()) == nullptr) throw std::runtime_error("mkdtemp");
    percorso = modello;
}

Cartella::~Cartella() {
    std::error_code ec;
    fs::permissions(percorso, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(percorso, ec);
}

std::string Cartella::file(const std::string& nome) const {
    return percorso + "/" + nome;
}

void Cartella::scrivi(const std::string& nome, const std::string& contenuto) const {
    fs::create_directories(fs::path(file(nome)).parent_path());
    std::ofstream f(file(nome), std::ios::binary);
    f << contenuto;
}

std::string Cartella::leggi(const std::string& nome) const {
    std::ifstream f(file(nome), std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

bool Cartella::esiste(const std::string& nome) const {
    return fs::exists(file(nome));
}

Sessione esegui_programma(const Cartella& dove, const std::string& input,
                          const std::string& locale) {
    int a_figlio[2], da_figlio[2], err_figlio[2];
    if (pipe(a_figlio) != 0 || pipe(da_figlio) != 0 || pipe(err_figlio) != 0)
        throw std::runtime_error("pipe");
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(a_figlio[0], 0);
        dup2(da_figlio[1], 1);
        dup2(err_figlio[1], 2);
        for (int fd :
             {a_figlio[0], a_figlio[1], da_figlio[0], da_figlio[1], err_figlio[0], err_figlio[1]})
            close(fd);
        if (chdir(dove.percorso.c_str()) != 0) _exit(127);
        unsetenv("LC_ALL");
        unsetenv("LC_CTYPE");
        setenv("LANG", locale.c_str(), 1);
        execl(SANZIONARIO_BIN, "sanzionario", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(a_figlio[0]);
    close(da_figlio[1]);
    close(err_figlio[1]);
    signal(SIGPIPE, SIG_IGN);
    fcntl(a_figlio[1], F_SETFL, O_NONBLOCK);

    Sessione s;
    std::size_t scritti = 0;
    bool in_aperto = true, out_aperto = true, err_aperto = true;
    if (input.empty()) {
        close(a_figlio[1]);
        in_aperto = false;
    }
    while (out_aperto || err_aperto) {
        pollfd fds[3];
        int n = 0;
        if (out_aperto) fds[n++] = {da_figlio[0], POLLIN, 0};
        if (err_aperto) fds[n++] = {err_figlio[0], POLLIN, 0};
        if (in_aperto) fds[n++] = {a_figlio[1], POLLOUT, 0};
        if (poll(fds, static_cast<nfds_t>(n), 20000) <= 0) break; // a hung program fails the test
        for (int i = 0; i < n; ++i) {
            if (fds[i].revents == 0) continue;
            if (fds[i].fd == a_figlio[1]) {
                const ssize_t k =
                    write(a_figlio[1], input.data() + scritti, input.size() - scritti);
                if (k > 0) scritti += static_cast<std::size_t>(k);
                if (k < 0 || scritti == input.size()) {
                    close(a_figlio[1]);
                    in_aperto = false;
                }
                continue;
            }
            char buf[65536];
            const ssize_t k = read(fds[i].fd, buf, sizeof buf);
            if (k <= 0) {
                if (fds[i].fd == da_figlio[0])
                    out_aperto = false;
                else
                    err_aperto = false;
                continue;
            }
            (fds[i].fd == da_figlio[0] ? s.output : s.errori)
                .append(buf, static_cast<std::size_t>(k));
        }
    }
    if (in_aperto) close(a_figlio[1]);
    close(da_figlio[0]);
    close(err_figlio[0]);
    if (out_aperto || err_aperto) kill(pid, SIGKILL);
    int stato = 0;
    waitpid(pid, &stato, 0);
    s.stato = WIFEXITED(stato) ? WEXITSTATUS(stato) : -1;
    return s;
}
