// Which of the program's calls the I/O fault library makes fail, and how
// (io_fault_choice.cpp), for the functions it puts in front of the C
// library's (io_fault_preload.cpp).
#pragma once

#include <cstddef>
#include <dlfcn.h>

#include "io_fault_counters.h"

// The next definition of a function: the C library's (or a sanitizer's).
#define REALE(nome)                                                                                \
    static const auto reale_##nome = reinterpret_cast<decltype(&nome)>(dlsym(RTLD_NEXT, #nome))

namespace guasto_io {

// The error the chosen call fails with.
int codice();
// Sets errno to it and returns -1.
int fallisci();

// Counts a call of kind `f` on a path: true when it is the one to fail.
bool guasta_percorso(FAMIGLIA f, const char* funzione, const char* percorso);
// The same for a call on a descriptor other than a write; it counts only
// on a file or, with `cartelle`, on a folder.
bool guasta_fd(FAMIGLIA f, const char* funzione, int fd, bool cartelle);

// What a write on a descriptor does: FALLISCI, PROCEDI as asked, or the
// shorter length to write. Only writes on files count.
constexpr long PROCEDI = 0, FALLISCI = -1;
long esito_scrittura(const char* funzione, int fd, std::size_t n);

} // namespace guasto_io
