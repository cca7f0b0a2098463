// The native side of the JVM comparison (bench/java/MeshoryBench.java):
//   meshory_host_reference write DIR   writes tile.bin and large.bin for the harness
//   meshory_host_reference run DIR N   times, N times each, the native build of
//                                      the same tile and the native memset + memcpy
//                                      of the large model's triangle bytes; prints
//                                      the medians in nanoseconds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_support.h"
#include "geometry/mathglm.h"
#include "grid/grid.h"

namespace {

using namespace meshory_bench;
using Clock = std::chrono::steady_clock;

const size_t kLargeVertices = 1'000'000;

template <typename F>
double medianNanos(int runs, F&& body) {
    for (int i = 0; i < 3; ++i) body();  // warm-up
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        body();
        samples.push_back(std::chrono::duration<double, std::nano>(Clock::now() - start).count());
    }
    std::nth_element(samples.begin(), samples.begin() + runs / 2, samples.end());
    return samples[static_cast<size_t>(runs / 2)];
}

int run(const std::string& dir, int runs) {
    (void)dir;  // the same bytes are generated here from the same seeds
    const std::vector<Request> tile = mixedTile();
    quorvan::C_Meshory maker;
    const quorvan::LoadFilter filter(0);
    const double tileNs = medianNanos(runs, [&] {
        for (const Request& r : tile) maker.releaseModel(maker.makeModel(r.blobs, r.origin, filter));
    });

    const Request large = largeModel(kLargeVertices);
    const quorvan::S_Model* model = maker.makeModel(large.blobs, large.origin, filter);
    const std::vector<glm::vec3> triangles = quorvan::geometryPolygonsToTriangles(model->polygons);
    const size_t bytes = triangles.size() * sizeof(glm::vec3);
    std::vector<uint8_t> destination(bytes, 1);
    const double handoffNs = medianNanos(runs, [&] {
        // What NewFloatArray (zeroed) and SetFloatArrayRegion do with the bytes.
        std::memset(destination.data(), 0, bytes);
        std::memcpy(destination.data(), triangles.data(), bytes);
        asm volatile("" : : "r"(destination.data()) : "memory");
    });
    std::printf("native_tile_ns %.0f\nnative_handoff_ns %.0f\nhandoff_bytes %zu\n", tileNs, handoffNs, bytes);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 2 ? argv[1] : "";
    // The same grid as the harness sets up (cell polygons ask it).
    quorvan::grid().cellsAmount(64, 64);
    quorvan::grid().gridCoordinates(quorvan::Bounds(0, 0, 64000, 64000));
    if (mode == "write") {
        writeTile(std::string(argv[2]) + "/tile.bin", mixedTile());
        writeTile(std::string(argv[2]) + "/large.bin", {largeModel(kLargeVertices)});
        return 0;
    }
    if (mode == "run") return run(argv[2], argc > 3 ? std::atoi(argv[3]) : 31);
    std::fprintf(stderr, "usage: %s write DIR | run DIR [RUNS]\n", argv[0]);
    return 2;
}
