// One maker serving request after request, each model released before the
// next request, under the allocator's defaults: what a JVM host does, whose
// process nobody tunes with mallopt. Per type and order, N = 1000 and 10000
// blobs, so the goal table can compare time(10000) with 10 x time(1000).
//
// Beside the time, two counters per request: the bytes the kernel handed the
// process (minor page faults x page size, from getrusage), and the bytes of
// the finished model. A maker that reuses the storage of released models
// asks the kernel for nothing once it is warm.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <map>
#include <string>
#include <tuple>

#include "bench_support.h"

namespace {

using namespace meshory_bench;

long minorFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

void BM_SteadyModel(benchmark::State& state, int32_t type, bool reversed) {
    const Request& request = cachedRequest(type, static_cast<int>(state.range(0)), reversed);
    quorvan::C_Meshory maker;
    const quorvan::LoadFilter filter(0);
    // Warm: the first requests of a maker may take what they need from the kernel.
    size_t modelBytes = 0;
    for (int i = 0; i < 2; ++i) {
        const quorvan::S_Model* model = maker.makeModel(request.blobs, request.origin, filter);
        modelBytes = meshory_bench::modelBytes(*model);
        maker.releaseModel(model);
    }
    const long faultsBefore = minorFaults();
    for (auto _ : state) {
        const quorvan::S_Model* model = maker.makeModel(request.blobs, request.origin, filter);
        benchmark::DoNotOptimize(model);
        maker.releaseModel(model);
    }
    const double faults = static_cast<double>(minorFaults() - faultsBefore);
    const double pageSize = static_cast<double>(sysconf(_SC_PAGESIZE));
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["fault_bytes"] = faults * pageSize / static_cast<double>(state.iterations());
    state.counters["model_bytes"] = static_cast<double>(modelBytes);
}

const int registered = [] {
    for (const auto& [type, name] : allTypes()) {
        const bool chain = type == bg::RAILROAD_PATH || type == bg::ROAD_PATH || type == bg::BRIDGE;
        for (const bool reversed : {false, true}) {
            if (reversed && !chain) continue;
            const std::string label =
                std::string("BM_SteadyModel/") + name + (reversed ? "_reversed" : "");
            benchmark::RegisterBenchmark(label.c_str(), BM_SteadyModel, type, reversed)
                ->Arg(1000)
                ->Arg(10000)
                ->Unit(benchmark::kMicrosecond);
        }
    }
    return 0;
}();

}  // namespace
