// The terminal state and the terminal behind standard input and output:
// the console's streams, detection (TERM and NO_COLOR included), colours,
// single-key reads, restoring colours and mode on every way out, signals
// included, and job control: given back on Ctrl-Z, taken again and drawn
// again on `fg`.
#include "console/terminal.h"

#include <cctype>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <langinfo.h>
#include <ostream>
#include <string>
#include <termios.h>
#include <unistd.h>

#include "console/fdstream.h"
#include "console/screen_copy.h"

namespace {

// All the program keeps about its terminal. The members the signal handler
// reads are of the types a handler may read.
struct STATO_TERMINALE {
    std::istream* in = &std::cin;   // the stream every read of the console takes from
    std::ostream* out = &std::cout; // the stream every write of the console goes to
    // The buffers over standard input and output, once terminale_avvia has
    // wrapped them (nullptr before): the console reads or writes them when
    // its stream's buffer is one of them. Only this module touches them,
    // and only through their own functions.
    FdInBuf* ingresso_fd = nullptr;
    FdOutBuf* uscita_fd = nullptr;
    bool in_tty = false;        // `in` reads a terminal
    bool out_tty = false;       // `out` writes to a terminal that takes escape sequences
    bool colori_voluti = false; // NO_COLOR unset or empty
    volatile std::sig_atomic_t colori_attivi = 0; // the screen shows our colours: undo them
    volatile std::sig_atomic_t modo_salvato = 0;  // modo_originale holds the input terminal's mode
    termios modo_originale{};                     // the mode to give back
    // Job control, only with a terminal on both sides: the screen to draw
    // again, and whether a resumed stop still waits for it.
    COPIA_SCHERMO copia;
    volatile std::sig_atomic_t da_ridisegnare = 0;
};

STATO_TERMINALE stato;

constexpr char COLORI[] = "\x1b[93;104m\x1b[2J\x1b[H";
constexpr char RIPRISTINO[] = "\x1b[0m\x1b[H\x1b[2J";
constexpr char PULISCI[] = "\x1b[H\x1b[2J";
constexpr char CURSORE_VISIBILE[] = "\x1b[?25h";

// Only async-signal-safe calls: it also runs inside the signal handler.
void ripristina_subito() {
    if (stato.colori_attivi) {
        scrivi_tutto(STDOUT_FILENO, RIPRISTINO, sizeof RIPRISTINO - 1);
        stato.colori_attivi = 0;
    }
    if (stato.modo_salvato) tcsetattr(STDIN_FILENO, TCSANOW, &stato.modo_originale);
}

void al_segnale(int segnale) {
    ripristina_subito();
    std::signal(segnale, SIG_DFL);
    std::raise(segnale);
}

// Ctrl-Z (SIGTSTP): the terminal is given back as it was found, and the
// program stops by the signal's own action. When it goes on (`fg`), the
// mode in use at the stop is set again, and the next read draws the
// screen again (ridisegna). Only async-signal-safe calls.
void al_sospendi(int) {
    const int errno_salvato = errno;
    termios in_uso{};
    const bool modo_letto = stato.modo_salvato && tcgetattr(STDIN_FILENO, &in_uso) == 0;
    const std::sig_atomic_t colori = stato.colori_attivi;
    ripristina_subito();
    if (stato.out_tty) scrivi_tutto(STDOUT_FILENO, CURSORE_VISIBILE, sizeof CURSORE_VISIBILE - 1);

    struct sigaction predefinita {};
    predefinita.sa_handler = SIG_DFL;
    sigemptyset(&predefinita.sa_mask);
    struct sigaction questa {};
    sigaction(SIGTSTP, &predefinita, &questa);
    sigset_t tstp;
    sigemptyset(&tstp);
    sigaddset(&tstp, SIGTSTP);
    raise(SIGTSTP); // blocked while this handler runs: it stops us on the unblock
    sigprocmask(SIG_UNBLOCK, &tstp, nullptr);
    // Going on. (In a process group with no shell to continue it the
    // system discards the stop, and the program simply goes on.)
    sigprocmask(SIG_BLOCK, &tstp, nullptr);
    sigaction(SIGTSTP, &questa, nullptr);
    if (modo_letto) tcsetattr(STDIN_FILENO, TCSANOW, &in_uso);
    stato.colori_attivi = colori;
    stato.da_ridisegnare = 1;
    errno = errno_salvato;
}

// Before each wait for input, after a stop: the colours, a clean screen
// and what it showed.
void ridisegna() {
    if (!stato.da_ridisegnare) return;
    stato.da_ridisegnare = 0;
    std::string schermo = stato.colori_attivi ? COLORI : stato.out_tty ? PULISCI : "\f";
    schermo += stato.copia.byte;
    scrivi_tutto(STDOUT_FILENO, schermo.data(), schermo.size());
}

// With a terminal on both sides: the copy of the screen is kept from now
// on, and Ctrl-Z gives the terminal back, unless the caller ignores it.
void avvia_controllo_lavori(FdInBuf& ingresso, FdOutBuf& uscita) {
    if (!stato.in_tty || isatty(STDOUT_FILENO) != 1) return;
    struct sigaction attuale {};
    if (sigaction(SIGTSTP, nullptr, &attuale) != 0 || (attuale.sa_flags & SA_SIGINFO) != 0 ||
        attuale.sa_handler != SIG_DFL)
        return;
    uscita.schermo = &stato.copia;
    // The lines typed show on the screen only where the terminal echoes them.
    if (stato.modo_salvato && (stato.modo_originale.c_lflag & ECHO) &&
        (stato.modo_originale.c_lflag & ICANON))
        ingresso.eco = &stato.copia;
    ingresso.prima_di_leggere = ridisegna;
    struct sigaction sa {};
    sa.sa_handler = al_sospendi;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTSTP, &sa, nullptr);
}

// An editor's shell buffer or a serial console says TERM=dumb, or nothing.
bool terminale_con_sequenze() {
    const char* term = std::getenv("TERM");
    return term != nullptr && *term != '\0' && std::strcmp(term, "dumb") != 0;
}

// Whether LC_ALL, LC_CTYPE or LANG (the first that is set) names UTF-8.
bool nomina_utf8() {
    for (const char* nome : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* v = std::getenv(nome);
        if (v == nullptr || *v == '\0') continue;
        std::string s;
        for (const char* p = v; *p; ++p)
            s += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
        return s.find("utf-8") != std::string::npos || s.find("utf8") != std::string::npos;
    }
    return false;
}

bool colori_non_rifiutati() {
    const char* no_color = std::getenv("NO_COLOR");
    return no_color == nullptr || *no_color == '\0';
}

} // namespace

std::istream& console_in() {
    return *stato.in;
}
std::ostream& console_out() {
    return *stato.out;
}

void usa_flussi(std::istream& in, std::ostream& out) {
    stato.in = &in;
    stato.out = &out;
    stato.in_tty = false;
    stato.out_tty = false;
}

void terminale_avvia() {
    stato.in_tty = isatty(STDIN_FILENO) == 1;
    stato.out_tty = isatty(STDOUT_FILENO) == 1 && terminale_con_sequenze();
    stato.colori_voluti = colori_non_rifiutati();
    if (stato.in_tty && tcgetattr(STDIN_FILENO, &stato.modo_originale) == 0) stato.modo_salvato = 1;

    // The locale names the terminal's character set. Only its character
    // part is taken: numbers keep the "C" locale's format. A UTF-8 locale
    // that is not installed (a small system knows C.UTF-8 only) still
    // means a UTF-8 terminal.
    if (std::setlocale(LC_CTYPE, "") == nullptr && nomina_utf8())
        std::setlocale(LC_CTYPE, "C.UTF-8");
    const std::string_view set = nl_langinfo(CODESET);
    static FdInBuf ingresso(STDIN_FILENO, set);
    static FdOutBuf uscita(STDOUT_FILENO, set);
    static std::istream in(&ingresso);
    static std::ostream out(&uscita);
    in.tie(&out);
    stato.ingresso_fd = &ingresso;
    stato.uscita_fd = &uscita;
    stato.in = &in;
    stato.out = &out;

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
    avvia_controllo_lavori(ingresso, uscita);
}

void terminale_colori() {
    if (!stato.out_tty || !stato.colori_voluti) return;
    console_out() << COLORI;
    console_out().flush();
    stato.colori_attivi = 1;
}

void terminale_ripristina() {
    console_out().flush();
    ripristina_subito();
}

bool input_da_terminale() {
    return stato.in_tty;
}
bool output_su_terminale() {
    return stato.out_tty;
}

void attendi_tasto() {
    console_out().flush();
    if (!stato.modo_salvato) {
        char c;
        while (::read(STDIN_FILENO, &c, 1) == 1 && c != '\n') {
        }
        return;
    }
    termios grezzo = stato.modo_originale;
    grezzo.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    grezzo.c_cc[VMIN] = 1;
    grezzo.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &grezzo);
    char tasto[64]; // one key: an escape sequence or a multi-byte character comes whole
    ssize_t k;
    do {
        ridisegna();
        k = ::read(STDIN_FILENO, tasto, sizeof tasto);
    } while (k < 0 && errno == EINTR);
    tcsetattr(STDIN_FILENO, TCSANOW, &stato.modo_originale);
}

bool linea_grezza() {
    return stato.ingresso_fd != nullptr && stato.in->rdbuf() == stato.ingresso_fd &&
           stato.ingresso_fd->linea_grezza();
}

std::string carattere_rifiutato() {
    if (stato.ingresso_fd == nullptr || stato.in->rdbuf() != stato.ingresso_fd) return {};
    return stato.ingresso_fd->dec.rifiutato;
}

bool scrivi_grezzo(std::string_view testo) {
    if (stato.uscita_fd == nullptr || stato.out->rdbuf() != stato.uscita_fd) return false;
    stato.uscita_fd->scrivi_grezzo(testo);
    return true;
}
