// The hashing thread of one file and the buffers it shares with the writer.
#include "storage/block_hasher.h"

#include <system_error>
#include <utility>

namespace {

constexpr std::size_t BUFFER_MAX = 3; // one being filled, two at most waiting

void lavora(HASH_A_PARTE& x) {
    std::unique_lock<std::mutex> l(x.m);
    for (;;) {
        x.cv.wait(l, [&] { return !x.da_fare.empty() || x.finito; });
        if (x.da_fare.empty()) return;
        std::string blocco = std::move(x.da_fare.front());
        x.da_fare.pop_front();
        l.unlock();
        impronta_aggiungi(x.h, blocco);
        blocco.clear();
        l.lock();
        x.liberi.push_back(std::move(blocco));
        x.cv.notify_all();
    }
}

void ferma(HASH_A_PARTE& x) {
    {
        std::lock_guard<std::mutex> l(x.m);
        x.finito = true;
    }
    x.cv.notify_all();
    if (x.t.joinable()) x.t.join();
}

} // namespace

void avvia_hash(HASH_A_PARTE& x) {
    impronta_inizia(x.h);
    try {
        x.t = std::thread(lavora, std::ref(x));
    } catch (const std::system_error&) {
        x.in_proprio = true;
    }
}

void consegna_blocco(HASH_A_PARTE& x, std::string& blocco, std::size_t capienza) {
    if (x.in_proprio) {
        impronta_aggiungi(x.h, blocco);
        blocco.clear();
        return;
    }
    std::unique_lock<std::mutex> l(x.m);
    x.da_fare.push_back(std::move(blocco));
    x.cv.notify_all();
    if (x.liberi.empty() && x.buffer < BUFFER_MAX) {
        ++x.buffer;
        l.unlock();
        blocco = std::string();
        blocco.reserve(capienza);
        return;
    }
    x.cv.wait(l, [&] { return !x.liberi.empty(); });
    blocco = std::move(x.liberi.back());
    x.liberi.pop_back();
}

IMPRONTA chiudi_hash(HASH_A_PARTE& x) {
    ferma(x);
    return impronta_chiudi(x.h);
}

void abbandona_hash(HASH_A_PARTE& x) {
    ferma(x);
}
