// Models of N = 1, 100, 1000 and 10000 blobs of one type, for every type;
// railways, roads and bridges also with their pieces in reverse order, so
// that every piece joins the merged path at its front. A linear maker spends
// ten times as long on 10000 blobs as on 1000.
//
// The program keeps freed memory in the process (as a warm, long-running
// host's allocator does): with glibc's adaptive defaults some model sizes
// get fresh pages from the kernel at every request and others reuse freed
// ones, which alone changes the time per blob up to threefold and says
// nothing about the maker's own cost.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <map>
#include <string>

#include "alloc_counter.h"
#include "bench_support.h"

namespace {

using namespace meshory_bench;

void BM_Model(benchmark::State& state, int32_t type, bool reversed) {
    const Request& request = cachedRequest(type, static_cast<int>(state.range(0)), reversed);
    quorvan::C_Meshory maker;
    const quorvan::LoadFilter filter(0);
    size_t allocated = 0;
    for (auto _ : state) {
        const CountedAllocations counted;
        const quorvan::S_Model* model = maker.makeModel(request.blobs, request.origin, filter);
        allocated = counted.bytes();
        benchmark::DoNotOptimize(model);
        maker.releaseModel(model);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    // Deterministic beside the times: a per-blob copy of an accumulated list
    // shows up here as growth faster than the blob count.
    state.counters["allocated_bytes"] = static_cast<double>(allocated);
}

const int registered = [] {
    mallopt(M_MMAP_THRESHOLD, 32 << 20);  // glibc's largest
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    for (const auto& [type, name] : allTypes()) {
        const bool chain = type == bg::RAILROAD_PATH || type == bg::ROAD_PATH || type == bg::BRIDGE;
        for (const bool reversed : {false, true}) {
            if (reversed && !chain) continue;
            const std::string label =
                std::string("BM_Model/") + name + (reversed ? "_reversed" : "");
            benchmark::RegisterBenchmark(label.c_str(), BM_Model, type, reversed)
                ->Arg(1)
                ->Arg(100)
                ->Arg(1000)
                ->Arg(10000)
                ->Unit(benchmark::kMicrosecond);
        }
    }
    return 0;
}();

}  // namespace
