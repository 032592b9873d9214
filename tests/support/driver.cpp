// The program as a child process, through pipes or on a pseudo-terminal.
#include "support/driver.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A database archive named in the environment of whoever runs the suite is
// none of its business: every program a test starts, however it starts it,
// works on the archive the test chose. Removed before the first test.
const int senza_database = unsetenv("SANZIONARIO_DATABASE");

// In a child process: gives up root for the user "nobody". False when the
// system does not allow it.
bool diventa_nessuno() {
    return setgroups(0, nullptr) == 0 && setgid(NESSUNO) == 0 && setuid(NESSUNO) == 0;
}

// In a child process: the limit on file sizes and the user of the options.
bool applica(const OPZIONI& opzioni) {
    if (opzioni.limite_file >= 0) {
        // The program itself must take the limit as a write error: SIGXFSZ
        // keeps its default action here, which would end it.
        const rlimit limite{static_cast<rlim_t>(opzioni.limite_file),
                            static_cast<rlim_t>(opzioni.limite_file)};
        if (setrlimit(RLIMIT_FSIZE, &limite) != 0) return false;
    }
    return !opzioni.come_nessuno || geteuid() != 0 || diventa_nessuno();
}

// In the child, its standard streams in place: the working folder, the
// environment and the options, then the program itself.
[[noreturn]] void avvia(const std::string& cartella, const OPZIONI& opzioni) {
    if (chdir(cartella.c_str()) != 0) _exit(127);
    unsetenv("LC_ALL");
    unsetenv("LC_CTYPE");
    setenv("LANG", opzioni.locale.c_str(), 1);
    if (opzioni.terminale) {
        setenv("TERM", "xterm", 1);
        unsetenv("NO_COLOR");
    }
    for (const Variabile& v : opzioni.ambiente) {
        if (v.valore) {
            setenv(v.nome.c_str(), v.valore->c_str(), 1);
        } else {
            unsetenv(v.nome.c_str());
        }
    }
    signal(SIGPIPE, SIG_DFL);
    if (!applica(opzioni)) _exit(126);
    std::vector<char*> argv{const_cast<char*>("sanzionario")};
    for (const std::string& a : opzioni.argomenti) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(SANZIONARIO_BIN, argv.data());
    _exit(127);
}

// In the child on the terminal, the session's leader: forks the job and
// returns in it, in the foreground; the leader itself only waits for it.
void come_una_shell() {
    const pid_t lavoro = fork();
    if (lavoro == 0) {
        setpgid(0, 0);
        signal(SIGTTOU, SIG_IGN); // a background group may then take the terminal
        tcsetpgrp(STDIN_FILENO, getpid());
        signal(SIGTTOU, SIG_DFL);
        return;
    }
    for (int fd : {0, 1, 2}) close(fd);
    int stato = 0;
    while (waitpid(lavoro, &stato, 0) < 0 && errno == EINTR) {
    }
    _exit(WIFEXITED(stato) ? WEXITSTATUS(stato) : 128 + WTERMSIG(stato));
}

} // namespace

int in_figlio(const OPZIONI& opzioni, int (*lavoro)(const void* dati), const void* dati) {
    const pid_t pid = fork();
    if (pid == 0) {
        // A routine run on its own has not been through the program's start-up.
        signal(SIGXFSZ, SIG_IGN);
        _exit(applica(opzioni) ? lavoro(dati) : 126);
    }
    int stato = 0;
    waitpid(pid, &stato, 0);
    if (!WIFEXITED(stato) || WEXITSTATUS(stato) == 126) return -1;
    return WEXITSTATUS(stato);
}

bool puo_cedere_privilegi() {
    if (geteuid() != 0) return false;
    const pid_t pid = fork();
    if (pid == 0) _exit(diventa_nessuno() && geteuid() == NESSUNO ? 0 : 1);
    int stato = 0;
    waitpid(pid, &stato, 0);
    return WIFEXITED(stato) && WEXITSTATUS(stato) == 0;
}

Programma::Programma(const std::string& cartella, const OPZIONI& opzioni) {
    if (opzioni.terminale) {
        pid = forkpty(&terminale, nullptr, nullptr, nullptr);
        if (pid < 0) throw std::runtime_error("forkpty");
        if (pid == 0) {
            if (opzioni.come_lavoro) come_una_shell();
            avvia(cartella, opzioni);
        }
        // Input and output each on a descriptor of their own, so that either
        // may be closed while the terminal stays open.
        verso_programma = dup(terminale);
        da_output = dup(terminale);
    } else {
        int in[2], out[2], err[2];
        if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe");
        pid = fork();
        if (pid == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            dup2(err[1], 2);
            for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
            avvia(cartella, opzioni);
        }
        close(in[0]);
        close(out[1]);
        close(err[1]);
        verso_programma = in[1];
        da_output = out[0];
        da_errori = err[0];
    }
    signal(SIGPIPE, SIG_IGN);
    fcntl(verso_programma, F_SETFL, O_NONBLOCK);
}

Programma::~Programma() {
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    for (int fd : {verso_programma, da_output, da_errori, terminale})
        if (fd >= 0) close(fd);
}

bool Programma::digita(const std::string& testo, const std::string& poi) {
    const std::size_t da = output.size();
    da_scrivere += testo;
    return poi.empty() || (invia() && attendi(poi, da));
}

bool Programma::pompa(int millisecondi) {
    if (verso_programma >= 0 && chiudi_input && scritti == da_scrivere.size()) {
        close(verso_programma);
        verso_programma = -1;
    }
    pollfd fds[3];
    nfds_t n = 0;
    if (da_output >= 0) fds[n++] = {da_output, POLLIN, 0};
    if (da_errori >= 0) fds[n++] = {da_errori, POLLIN, 0};
    if (verso_programma >= 0 && scritti < da_scrivere.size())
        fds[n++] = {verso_programma, POLLOUT, 0};
    if (n == 0) return false;
    if (poll(fds, n, millisecondi) <= 0) return true;
    for (nfds_t i = 0; i < n; ++i) {
        if (fds[i].revents == 0) continue;
        if (fds[i].fd == verso_programma) {
            const ssize_t k =
                write(verso_programma, da_scrivere.data() + scritti, da_scrivere.size() - scritti);
            if (k > 0) scritti += static_cast<std::size_t>(k);
            if (k < 0 && errno != EAGAIN && errno != EINTR) {
                close(verso_programma); // the program has gone: nothing more to type
                verso_programma = -1;
            }
            continue;
        }
        char buf[65536];
        const ssize_t k = read(fds[i].fd, buf, sizeof buf);
        const bool e_output = fds[i].fd == da_output;
        if (k < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (k <= 0) { // on a terminal, EIO once the program has ended
            close(fds[i].fd);
            (e_output ? da_output : da_errori) = -1;
            continue;
        }
        (e_output ? output : errori).append(buf, static_cast<std::size_t>(k));
    }
    return true;
}

bool Programma::invia(double secondi) {
    const auto fine = std::chrono::steady_clock::now() + std::chrono::duration<double>(secondi);
    while (verso_programma >= 0 && scritti < da_scrivere.size()) {
        if (std::chrono::steady_clock::now() > fine) return false;
        pompa(20);
    }
    return scritti == da_scrivere.size();
}

bool Programma::attendi(const std::string& testo, std::size_t da, double secondi) {
    const auto fine = std::chrono::steady_clock::now() + std::chrono::duration<double>(secondi);
    for (;;) {
        if (output.find(testo, da) != std::string::npos) return true;
        const auto resto = std::chrono::duration_cast<std::chrono::milliseconds>(
                               fine - std::chrono::steady_clock::now())
                               .count();
        if (resto < 0 || da_output < 0) return false;
        pompa(static_cast<int>(resto < 20 ? resto : 20));
    }
}

int Programma::termina(double secondi) {
    chiudi_input = true;
    const auto fine = std::chrono::steady_clock::now() + std::chrono::duration<double>(secondi);
    while ((da_output >= 0 || da_errori >= 0) && std::chrono::steady_clock::now() < fine) pompa(20);
    if (da_output >= 0 || da_errori >= 0) {
        uccidi(SIGKILL);
        return -1;
    }
    int stato = 0;
    waitpid(pid, &stato, 0);
    pid = -1;
    return stato;
}

int Programma::uccidi(int segnale) {
    if (pid <= 0) return -1; // already ended: kill(-1) would reach every process
    kill(pid, segnale);
    int stato = 0;
    waitpid(pid, &stato, 0);
    pid = -1;
    return stato;
}

Sessione esegui_programma(const Cartella& dove, const std::string& input,
                          const OPZIONI& opzioni) {
    Programma p(dove.percorso, opzioni);
    p.digita(input);
    const int stato = p.termina();
    Sessione s;
    s.output = p.output;
    s.errori = p.errori;
    s.stato = stato >= 0 && WIFEXITED(stato) ? WEXITSTATUS(stato) : -1;
    return s;
}
