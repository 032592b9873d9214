// The thread that flushes beside the caller: made at the first flush, with
// every signal blocked (they go to the program's own thread), waiting for
// the next file for as long as the process lives.
#include "storage/side_flush.h"

#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace {

struct FLUSSO {
    std::mutex m;
    std::condition_variable cv;
    int fd = -1;          // the file to flush; -1 when none is asked
    bool fatto = true;    // the last one asked is done
    bool riuscito = true; // and how it went
    int errore = 0;
};

// The flush made here, when no thread can be had.
FLUSSO qui;

[[noreturn]] void ciclo(FLUSSO& f) {
    std::unique_lock<std::mutex> l(f.m);
    for (;;) {
        f.cv.wait(l, [&] { return f.fd >= 0; });
        const int fd = f.fd;
        l.unlock();
        const bool riuscito = fdatasync(fd) == 0;
        const int errore = errno;
        l.lock();
        f.fd = -1;
        f.riuscito = riuscito;
        f.errore = errore;
        f.fatto = true;
        f.cv.notify_all();
    }
}

// The thread's state, never destroyed: the thread waits on it until the
// process ends. Null when no thread could be made.
FLUSSO* flusso() {
    static FLUSSO* const f = []() -> FLUSSO* {
        FLUSSO* nuovo = nullptr;
        sigset_t tutti, prima;
        sigfillset(&tutti);
        pthread_sigmask(SIG_SETMASK, &tutti, &prima);
        try {
            nuovo = new FLUSSO;
            std::thread([nuovo] { ciclo(*nuovo); }).detach();
        } catch (const std::exception&) {
            delete nuovo; // memory, or no thread: flushes are made in place
            nuovo = nullptr;
        }
        pthread_sigmask(SIG_SETMASK, &prima, nullptr);
        return nuovo;
    }();
    return f;
}

} // namespace

void avvia_flusso(int fd) {
    FLUSSO* f = flusso();
    if (f == nullptr) {
        qui.riuscito = fdatasync(fd) == 0;
        qui.errore = errno;
        return;
    }
    {
        // One at a time: one not awaited is awaited first.
        std::unique_lock<std::mutex> l(f->m);
        f->cv.wait(l, [&] { return f->fatto; });
        f->fd = fd;
        f->fatto = false;
    }
    f->cv.notify_all();
}

bool attendi_flusso() {
    FLUSSO* f = flusso();
    if (f == nullptr) {
        errno = qui.errore;
        return qui.riuscito;
    }
    std::unique_lock<std::mutex> l(f->m);
    f->cv.wait(l, [&] { return f->fatto; });
    errno = f->errore;
    return f->riuscito;
}
