// Stepping along a list while the memory of the records still to come is
// already on its way.
//
// A walk reads one record, then follows its link: each step waits for the
// memory of the record before. Records lie in memory mostly in list order
// (the loader and the entry forms take their slots one after the other), so
// the record some kilobytes further on in memory is most likely one the walk
// reaches soon. seguente() asks the processor for it, its first line and
// the line of its link, and returns the next record.
//
// Edges: the address asked for may be past the end of the records, in
// memory not mapped, or belong to a record of another list or to a freed
// slot; a prefetch reads nothing and cannot fault, so that costs nothing but
// the hint. Where the order was broken (a record made in a slot a deletion
// freed) the hint is wasted and the walk is as fast as without it.
#pragma once

#include <cstddef>
#include <cstdint>

// How far ahead in memory a walk asks for records: far enough to cover the
// memory's latency for a walk that does little on each record.
constexpr std::size_t ANTICIPO_PERCORSO = 16 * 1024;

template <class N> inline N* seguente(const N* p) {
    constexpr std::uintptr_t avanti = ANTICIPO_PERCORSO / sizeof(N) * sizeof(N);
    const std::uintptr_t dopo = reinterpret_cast<std::uintptr_t>(p) + avanti;
    __builtin_prefetch(reinterpret_cast<const void*>(dopo));
    __builtin_prefetch(reinterpret_cast<const void*>(dopo + offsetof(N, next)));
    return p->next;
}
