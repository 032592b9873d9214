// Stream buffers over the standard file descriptors. With UTF-8 on, input
// bytes are decoded from UTF-8 into code page 850 and output bytes are
// written as the UTF-8 spelling of their code page 850 character.
#pragma once

#include <streambuf>
#include <string>

#include "console/encoding.h"

struct FdInBuf : std::streambuf {
    FdInBuf(int fd, bool utf8) : fd(fd), utf8(utf8) {}
    int underflow() override;

    int fd;
    bool utf8;
    bool finito = false;
    DecoderUtf8 dec;
    std::string buffer;
};

struct FdOutBuf : std::streambuf {
    FdOutBuf(int fd, bool utf8) : fd(fd), utf8(utf8) {}
    ~FdOutBuf() override { svuota(); }
    int overflow(int c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;
    bool svuota();

    int fd;
    bool utf8;
    std::string buffer;
};

// Writes all of the bytes to fd, retrying on interruptions; false on error.
bool scrivi_tutto(int fd, const char* dati, std::size_t n);
