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

const Request& cachedRequest(int32_t type, int n, bool reversed) {
    static std::map<std::tuple<int32_t, int, bool>, Request> cache;
    auto it = cache.find({type, n, reversed});
    if (it == cache.end()) it = cache.emplace(std::tuple{type, n, reversed}, scalingRequest(type, n, reversed)).first;
    return it->second;
}

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
    mallopt(M_MMAP_THRESHOLD, 32 << 20);   // glibc's largest
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    const std::pair<int32_t, const char*> types[] = {
        {bg::TRIANGLE_STRIPS, "TRIANGLE_STRIPS"},
        {bg::INDEXED_TRIANGLE_STRIPS, "INDEXED_TRIANGLE_STRIPS"},
        {bg::FLAT_TRIANGLE_STRIP, "FLAT_TRIANGLE_STRIP"},
        {bg::INDEXED_FLAT_TRIANGLE_STRIPS, "INDEXED_FLAT_TRIANGLE_STRIPS"},
        {bg::FLAT_LINE_STRIP, "FLAT_LINE_STRIP"},
        {bg::LINES, "LINES"},
        {bg::INDEXED_LINES, "INDEXED_LINES"},
        {bg::POINTS, "POINTS"},
        {bg::TEXT_DATA, "TEXT_DATA"},
        {bg::RAILROAD_PATH, "RAILROAD_PATH"},
        {bg::TRAM_PATH, "TRAM_PATH"},
        {bg::ROAD_PATH, "ROAD_PATH"},
        {bg::BRIDGE, "BRIDGE"},
        {bg::FLAT_TRIANGLE_FAN, "FLAT_TRIANGLE_FAN"},
        {bg::TRIANGLE_FAN, "TRIANGLE_FAN"},
        {bg::ON_POLYGON_FLAT_TRIANGLE_FAN, "ON_POLYGON_FLAT_TRIANGLE_FAN"},
        {bg::ON_POLYGON_TRIANGLE_FAN, "ON_POLYGON_TRIANGLE_FAN"},
        {bg::CELL_POLYGON, "CELL_POLYGON"},
        {bg::LABEL_STYLE_SEGMENTS, "LABEL_STYLE_SEGMENTS"},
    };
    for (const auto& [type, name] : types) {
        const bool chain = type == bg::RAILROAD_PATH || type == bg::ROAD_PATH || type == bg::BRIDGE;
        for (const bool reversed : {false, true}) {
            if (reversed && !chain) continue;
            const std::string label = std::string("BM_Model/") + name + (reversed ? "_reversed" : "");
            benchmark::RegisterBenchmark(label.c_str(), BM_Model, type, reversed)
                ->Arg(1)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
        }
    }
    return 0;
}();

}  // namespace
