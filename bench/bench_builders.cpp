// Every builder on a request of 100 blobs of realistic size (bytes of the
// finished model per second), and the mixed city tile. For the tile a
// counting operator new measures the bytes allocated while building against
// the bytes of the finished models: what a builder copies or throws away
// shows up as a ratio above 1. Also a tile of 160,000 one-point requests in
// as many layers, or in one: finding a request's bucket must not grow with
// the tile's layers.
#include <benchmark/benchmark.h>

#include "model/tile.h"

#include "alloc_counter.h"
#include "bench_support.h"

namespace {

using namespace meshory_bench;

void BM_Builder(benchmark::State& state, int32_t type) {
    const Request request = scalingRequest(type, 100, false);
    quorvan::C_Meshory maker;
    const quorvan::LoadFilter filter(0);
    size_t bytes = 0;
    for (auto _ : state) {
        const quorvan::S_Model* model = maker.makeModel(request.blobs, request.origin, filter);
        bytes = modelBytes(*model);
        maker.releaseModel(model);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void BM_MixedTile(benchmark::State& state) {
    const std::vector<Request> tile = mixedTile();
    quorvan::C_Meshory maker;
    const quorvan::LoadFilter filter(0);
    std::vector<const quorvan::S_Model*> models;
    size_t bytes = 0, built = 0;
    for (auto _ : state) {
        {
            const CountedAllocations counted;
            for (const Request& r : tile)
                models.push_back(maker.makeModel(r.blobs, r.origin, filter));
            built = counted.bytes();
        }
        bytes = 0;
        for (const auto* m : models) bytes += modelBytes(*m);
        for (const auto* m : models) maker.releaseModel(m);
        models.clear();
    }
    size_t blobs = 0;
    for (const Request& r : tile) blobs += r.blobs.size();
    state.counters["blobs"] = static_cast<double>(blobs);
    state.counters["model_bytes"] = static_cast<double>(bytes);
    state.counters["allocated_bytes"] = static_cast<double>(built);
    state.counters["alloc_ratio"] = static_cast<double>(built) / static_cast<double>(bytes);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void BM_TileLayers(benchmark::State& state) {
    constexpr uint32_t kRequests = 160000;
    const auto layers = static_cast<uint32_t>(state.range(0));
    meshory_test::ByteWriter w;
    const Bytes point = meshory_test::plainStream({{1, 2}});
    for (uint32_t i = 0; i < kRequests; ++i)
        meshory_test::appendRecord(w, i, bg::POINTS, int32_t(i % layers), 0, point);
    std::vector<quorvan::S_TileRequest> requests(kRequests);
    for (uint32_t i = 0; i < kRequests; ++i) requests[i] = {i, 1, 0, 0};
    quorvan::C_Meshory maker;
    quorvan::C_Tile tile;
    for (auto _ : state) {
        if (!maker.buildTile(w.bytes, kRequests, requests, 0, tile).ok)
            state.SkipWithError("refused");
        benchmark::DoNotOptimize(tile.buckets().data());
    }
}

const int registered = [] {
    for (int32_t type = 1; type <= 18; ++type) {
        benchmark::RegisterBenchmark(("BM_Builder/" + std::to_string(type)).c_str(), BM_Builder,
                                     type);
    }
    benchmark::RegisterBenchmark("BM_Builder/101", BM_Builder, bg::LABEL_STYLE_SEGMENTS);
    benchmark::RegisterBenchmark("BM_MixedTile", BM_MixedTile)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_TileLayers", BM_TileLayers)
        ->Arg(1)
        ->Arg(160000)
        ->Unit(benchmark::kMillisecond);
    return 0;
}();

}  // namespace
