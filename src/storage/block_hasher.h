// A file's fingerprint computed on a thread of its own while its writer
// goes on with the next blocks: the writer hands each block over once it
// has written it and takes back an emptied buffer to fill, so that the
// formatting of a save and the hashing of what it wrote run side by side.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "storage/file_hash.h"

struct HASH_A_PARTE {
    std::mutex m;
    std::condition_variable cv;
    std::deque<std::string> da_fare; // written, in order, to hash
    std::vector<std::string> liberi; // hashed, to fill again
    std::size_t buffer = 0;          // buffers handed out in all
    bool finito = false;             // no more blocks come
    bool in_proprio = false;         // no thread could start: hashed on the writer's
    IMPRONTA_IN_CORSO h;
    std::thread t;
};

// Starts hashing (on a thread when one can start). Throws std::bad_alloc
// when the hash state cannot be made.
void avvia_hash(HASH_A_PARTE& x);
// Hands the block over and gives `blocco` back empty, with room for a
// block: a buffer the thread is done with, or a new one while there are
// fewer than three. May throw std::bad_alloc.
void consegna_blocco(HASH_A_PARTE& x, std::string& blocco, std::size_t capienza);
// Waits for every block handed over and gives the fingerprint.
IMPRONTA chiudi_hash(HASH_A_PARTE& x);
// Stops the thread without a result (the file failed). Safe to call twice.
void abbandona_hash(HASH_A_PARTE& x);
