#pragma once

// A counting replacement of the global operator new, for the benchmark
// programs that report bytes allocated. Include it in exactly one source of
// a program. Counting is off until a CountedAllocations is alive.

#include <cstddef>
#include <cstdlib>
#include <new>

namespace meshory_bench {

inline bool countingAllocations = false;
inline size_t allocatedBytes = 0;

// Counts the bytes requested from operator new during its lifetime.
class CountedAllocations {
public:
    CountedAllocations() {
        allocatedBytes = 0;
        countingAllocations = true;
    }
    ~CountedAllocations() { countingAllocations = false; }
    size_t bytes() const { return allocatedBytes; }
};

}  // namespace meshory_bench

// GCC pairs the inlined std::malloc of the replacement new with the deletes
// below and warns of a mismatch that the replacement itself makes correct.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(size_t size) {
    if (meshory_bench::countingAllocations) meshory_bench::allocatedBytes += size;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
    std::free(p);
}
