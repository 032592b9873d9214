// The terminal behind standard input and output: detection (TERM and
// NO_COLOR included), colours, single-key reads, and restoring colours and
// mode on every way out, signals included.
#include "console/terminal.h"

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <ostream>
#include <string>
#include <termios.h>
#include <unistd.h>

#include "console/console.h"
#include "console/fdstream.h"

// Defined in console.cpp: points the console at streams without touching the terminal flags.
void collega_flussi(std::istream& in, std::ostream& out);

namespace {

FdInBuf* ingresso_fd = nullptr; // the standard streams' buffers, once wrapped
FdOutBuf* uscita_fd = nullptr;
bool in_tty = false;
bool out_tty = false;       // a terminal that takes escape sequences
bool colori_voluti = false; // NO_COLOR unset or empty
volatile std::sig_atomic_t colori_attivi = 0;
volatile std::sig_atomic_t modo_salvato = 0;
termios modo_originale{};

constexpr char COLORI[] = "\x1b[93;104m\x1b[2J\x1b[H";
constexpr char RIPRISTINO[] = "\x1b[0m\x1b[H\x1b[2J";

// Only async-signal-safe calls: it also runs inside the signal handler.
void ripristina_subito() {
    if (colori_attivi) {
        scrivi_tutto(STDOUT_FILENO, RIPRISTINO, sizeof RIPRISTINO - 1);
        colori_attivi = 0;
    }
    if (modo_salvato) tcsetattr(STDIN_FILENO, TCSANOW, &modo_originale);
}

void al_segnale(int segnale) {
    ripristina_subito();
    std::signal(segnale, SIG_DFL);
    std::raise(segnale);
}

// An editor's shell buffer or a serial console says TERM=dumb, or nothing.
bool terminale_con_sequenze() {
    const char* term = std::getenv("TERM");
    return term != nullptr && *term != '\0' && std::strcmp(term, "dumb") != 0;
}

bool colori_non_rifiutati() {
    const char* no_color = std::getenv("NO_COLOR");
    return no_color == nullptr || *no_color == '\0';
}

} // namespace

void terminale_avvia() {
    in_tty = isatty(STDIN_FILENO) == 1;
    out_tty = isatty(STDOUT_FILENO) == 1 && terminale_con_sequenze();
    colori_voluti = colori_non_rifiutati();
    if (in_tty && tcgetattr(STDIN_FILENO, &modo_originale) == 0) modo_salvato = 1;

    const bool utf8 = locale_utf8();
    static FdInBuf ingresso(STDIN_FILENO, utf8);
    static FdOutBuf uscita(STDOUT_FILENO, utf8);
    ingresso_fd = &ingresso;
    uscita_fd = &uscita;
    static std::istream in(&ingresso);
    static std::ostream out(&uscita);
    in.tie(&out);
    collega_flussi(in, out);

    std::signal(SIGPIPE, SIG_IGN);
    // A file-size limit makes a write fail, like a full disk, instead of
    // ending the program with the unsaved work.
    std::signal(SIGXFSZ, SIG_IGN);
    struct sigaction sa {};
    sa.sa_handler = al_segnale;
    sigemptyset(&sa.sa_mask);
    // Every signal that ends the program gives the terminal back first
    // (SIGKILL cannot be caught).
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF,
                  SIGPOLL, SIGPWR, SIGSYS, SIGTRAP, SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL}) {
        struct sigaction attuale {};
        // A signal the caller ignores (nohup) stays ignored, and one that a
        // checking tool already watches (a sanitizer) stays with it.
        if (sigaction(s, nullptr, &attuale) == 0 &&
            ((attuale.sa_flags & SA_SIGINFO) != 0 || attuale.sa_handler != SIG_DFL))
            continue;
        sigaction(s, &sa, nullptr);
    }
}

void terminale_colori() {
    if (!out_tty || !colori_voluti) return;
    console_out() << COLORI;
    console_out().flush();
    colori_attivi = 1;
}

void terminale_ripristina() {
    console_out().flush();
    ripristina_subito();
}

bool input_da_terminale() {
    return in_tty;
}
bool output_su_terminale() {
    return out_tty;
}

void imposta_terminali(bool input, bool output) {
    in_tty = input;
    out_tty = output;
}

bool locale_utf8() {
    const char* valore = nullptr;
    for (const char* nome : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* v = std::getenv(nome);
        if (v != nullptr && *v != '\0') {
            valore = v;
            break;
        }
    }
    if (valore == nullptr) return false;
    std::string s;
    for (const char* p = valore; *p; ++p)
        s += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    return s.find("utf-8") != std::string::npos || s.find("utf8") != std::string::npos;
}

void attendi_tasto() {
    console_out().flush();
    if (!modo_salvato) {
        char c;
        while (::read(STDIN_FILENO, &c, 1) == 1 && c != '\n') {
        }
        return;
    }
    termios grezzo = modo_originale;
    grezzo.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    grezzo.c_cc[VMIN] = 1;
    grezzo.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &grezzo);
    char tasto[64]; // one key: an escape sequence or a multi-byte character comes whole
    ssize_t k;
    do {
        k = ::read(STDIN_FILENO, tasto, sizeof tasto);
    } while (k < 0 && errno == EINTR);
    tcsetattr(STDIN_FILENO, TCSANOW, &modo_originale);
}

bool linea_grezza() {
    if (ingresso_fd == nullptr) return false;
    const bool libera = console_in().rdbuf() == ingresso_fd && ingresso_fd->inizio_linea &&
                        console_in().rdbuf()->in_avail() == 0;
    if (libera) ingresso_fd->grezza = true;
    return libera;
}

bool scrivi_grezzo(std::string_view testo) {
    if (uscita_fd == nullptr || console_out().rdbuf() != uscita_fd) return false;
    uscita_fd->scrivi_grezzo(testo);
    return true;
}
