// Layout conversions against memcpy of the same number of output bytes:
// strip to triangle list with flat normals, fan to triangle list, line strip
// to line list. memcpy runs at several source/destination distances (see
// bench_decoders.cpp); the goal compares with the fastest of them.
//
// The conversions append into outputs that keep their storage between
// iterations, as the builders append into a model's reserved lists, and as
// memcpy writes into a buffer that exists: a fresh result above glibc's mmap
// threshold would measure page faults, not the conversion (allocation is
// what bench_builders and bench_models measure).
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

#include "geometry/mathglm.h"
#include "memcpy_reference.h"

namespace {

using namespace quorvan;

std::vector<glm::vec3> randomStrip(size_t n) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> d(-100.0f, 100.0f);
    std::vector<glm::vec3> out(n);
    for (auto& v : out) v = glm::vec3(d(rng), d(rng), d(rng));
    return out;
}

void setOutputBytes(benchmark::State& state, size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["output_bytes"] = static_cast<double>(bytes);
}

void BM_StripToTrianglesWithNormals(benchmark::State& state) {
    const auto strip = randomStrip(static_cast<size_t>(state.range(0)));
    std::vector<glm::vec3> triangles, normals;
    for (auto _ : state) {
        triangles.clear();
        normals.clear();
        appendTriangleStripTriangles(triangles, strip);
        appendTriangleNormals(normals, triangles);
        benchmark::DoNotOptimize(normals.data());
    }
    const size_t bytes = (triangles.size() + normals.size()) * sizeof(glm::vec3);
    setOutputBytes(state, bytes);
}

void BM_FanToTriangles(benchmark::State& state) {
    const auto fan = randomStrip(static_cast<size_t>(state.range(0)));
    std::vector<glm::vec3> triangles;
    for (auto _ : state) {
        triangles.clear();
        appendTriangleFanTriangles(triangles, fan);
        benchmark::DoNotOptimize(triangles.data());
    }
    const size_t bytes = triangles.size() * sizeof(glm::vec3);
    setOutputBytes(state, bytes);
}

void BM_LineStripToLines(benchmark::State& state) {
    const auto strip = randomStrip(static_cast<size_t>(state.range(0)));
    std::vector<glm::vec3> lines;
    for (auto _ : state) {
        lines.clear();
        appendLineStripLines(lines, strip);
        benchmark::DoNotOptimize(lines.data());
    }
    const size_t bytes = lines.size() * sizeof(glm::vec3);
    setOutputBytes(state, bytes);
}

// memcpy of `bytes` to a destination `distance` bytes past a page boundary
// from a page-aligned source.
void BM_Memcpy(benchmark::State& state) {
    const size_t bytes = static_cast<size_t>(state.range(0));
    const size_t distance = static_cast<size_t>(state.range(1));
    meshory_bench::runMemcpyReference(state, bytes, distance);
    setOutputBytes(state, bytes);
}

}  // namespace

// Strips of 256 and 4096 vertices: 254 and 4094 triangles, 18288 and 294768
// output bytes with normals; the line lists are 6120 and 98280 bytes; the
// fans (closed back to their second vertex) 9180 and 147420 bytes.
BENCHMARK(BM_StripToTrianglesWithNormals)->Arg(256)->Arg(4096);
BENCHMARK(BM_FanToTriangles)->Arg(256)->Arg(4096);
BENCHMARK(BM_LineStripToLines)->Arg(256)->Arg(4096);
BENCHMARK(BM_Memcpy)->ArgsProduct({{18288, 294768, 6120, 98280, 9180, 147420}, {0, 16, 64}});
