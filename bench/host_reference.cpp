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
    // The native counterpart of the host's round trip: blobs made from the
    // record bytes (one copy, as makeBlob makes), the model built, its
    // triangles read as a list (a strip converted, as the getter does; a
    // list is read where it lies), the model released and the blobs freed.
    const std::vector<Request> tile = mixedTile();
    quorvan::C_Meshory maker;
    const quorvan::LoadFilter filter(0);
    size_t sink = 0;
    const double tileNs = medianNanos(runs, [&] {
        for (const Request& r : tile) {
            std::vector<quorvan::S_BlobData> blobs;
            blobs.reserve(r.blobs.size());
            for (const auto& b : r.blobs) blobs.emplace_back(b.id, b.type, b.layerId, b.cellIndex, b.data);
            const quorvan::S_Model* model = maker.makeModel(blobs, r.origin, filter);
            if (quorvan::isTriangleStrip(model->polygons)) sink += quorvan::geometryPolygonsToTriangles(model->polygons).size();
            sink += model->polygons.vertices.size() + model->lines.vertices.size() + model->points.size();
            maker.releaseModel(model);
        }
    });
    asm volatile("" : : "r"(sink));

    const Request large = largeModel(kLargeVertices);
    const quorvan::S_Model* model = maker.makeModel(large.blobs, large.origin, filter);
    const std::vector<glm::vec3> triangles = quorvan::geometryPolygonsToTriangles(model->polygons);
    const size_t bytes = triangles.size() * sizeof(glm::vec3);
    // What NewFloatArray (zeroed) and SetFloatArrayRegion do with the bytes.
    // Every Java array is new memory: the JVM's bump allocator hands out the
    // next part of its (mapped, pre-touched) heap, which is not in any cache.
    // The reference does the same with buffers mapped once and used in turn,
    // more of them than the last-level cache holds; the same buffer every
    // time (stays in cache) is printed too.
    const size_t count = std::max<size_t>(2, (size_t(192) << 20) / bytes + 1);
    std::vector<std::vector<uint8_t>> buffers(count, std::vector<uint8_t>(bytes, 1));
    size_t next = 0;
    const auto handOff = [&](std::vector<uint8_t>& destination) {
        std::memset(destination.data(), 0, bytes);
        std::memcpy(destination.data(), triangles.data(), bytes);
        asm volatile("" : : "r"(destination.data()) : "memory");
    };
    const double freshNs = medianNanos(runs, [&] { handOff(buffers[next++ % count]); });
    const double hotNs = medianNanos(runs, [&] { handOff(buffers[0]); });
    std::printf("native_tile_ns %.0f\nnative_handoff_ns %.0f\nnative_handoff_hot_ns %.0f\nhandoff_bytes %zu\n",
                tileNs, freshNs, hotNs, bytes);
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
