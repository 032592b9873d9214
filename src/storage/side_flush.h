// A flush made beside the caller's work: fdatasync of one file on a
// thread kept for it, started now and awaited later, so that two files
// written for one operation are flushed at once instead of one after the
// other (the disk answers two flushes in flight about as soon as one).
#pragma once

// Starts flushing the file open at `fd` (fdatasync). One flush at a time:
// each is awaited (attendi_flusso) before the next is started. Where no
// thread can be had, the flush is made here and now.
void avvia_flusso(int fd);

// Waits for the flush started last: true when it succeeded (errno tells
// why not).
bool attendi_flusso();
