// Stream buffers over the standard file descriptors. Input bytes are
// decoded from the terminal's set into code page 850, and output bytes are
// written as the terminal's spelling of their code page 850 character.
#pragma once

#include <streambuf>
#include <string>
#include <string_view>

#include "console/encoding.h"
#include "console/screen_copy.h"

// Input is decoded one line at a time, when it is read, so that a line
// not yet begun can be asked for as the terminal sent it (a path names a
// file by its bytes): see grezza.
struct FdInBuf : std::streambuf {
    FdInBuf(int fd, std::string_view set) : fd(fd), dec(set) {}
    int underflow() override;
    // Lets the next line pass undecoded, when nothing of it has been taken
    // yet: neither decoded from the descriptor nor waiting in the buffer.
    // False, changing nothing, otherwise.
    bool linea_grezza();

    int fd;
    bool grezza = false;      // the line being read passes undecoded; cleared at its end
    bool inizio_linea = true; // nothing of the next line has been decoded yet
    bool finito = false;
    Decodifica dec;        // its refusal concerns the line decoded last
    std::string letti;     // bytes read from fd
    std::size_t preso = 0; // of which taken so far
    std::string buffer;    // the part of a line handed to the stream
    // On a terminal that echoes: the copy of the screen the lines read go
    // to, as the terminal showed them. And what runs before each wait for
    // input (the screen drawn again after a stop).
    COPIA_SCHERMO* eco = nullptr;
    void (*prima_di_leggere)() = nullptr;
};

struct FdOutBuf : std::streambuf {
    FdOutBuf(int fd, std::string_view set) : fd(fd), resa(resa_cp850(set)) {}
    // Writes bytes as they are, without conversion (a path as typed).
    void scrivi_grezzo(std::string_view testo) { buffer += testo; }
    ~FdOutBuf() override { svuota(); }
    int overflow(int c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;
    bool svuota();

    int fd;
    RESA_CP850 resa;
    std::string buffer;
    COPIA_SCHERMO* schermo = nullptr; // on a terminal: the copy of what it shows
};

// Writes all of the bytes to fd, retrying on interruptions; false on error.
bool scrivi_tutto(int fd, const char* dati, std::size_t n);
