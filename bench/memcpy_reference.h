#pragma once

// The reference every output rate is held against: memcpy of `bytes` from a
// page-aligned source to a destination `distance` bytes past a page boundary
// (glibc's copy slows down sharply on some processors when the two are 16
// bytes apart modulo 4096).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace meshory_bench {

inline void runMemcpyReference(benchmark::State& state, size_t bytes, size_t distance) {
    std::vector<uint8_t> arena(2 * bytes + 3 * 4096 + distance);
    uint8_t* src = arena.data() + (4096 - reinterpret_cast<uintptr_t>(arena.data()) % 4096);
    uint8_t* dst = src + ((bytes + 4095) / 4096 + 1) * 4096 + distance;
    std::memset(src, 1, bytes);
    for (auto _ : state) {
        std::memcpy(dst, src, bytes);
        benchmark::DoNotOptimize(dst);
        benchmark::ClobberMemory();
    }
}

}  // namespace meshory_bench
