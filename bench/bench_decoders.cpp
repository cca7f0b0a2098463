// Decoders against memcpy of the same number of output bytes, side by side.
// memcpy runs at several source/destination distances, since glibc's copy
// slows down sharply on some processors when the two are 16 bytes apart
// modulo 4096 (4K aliasing).
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

#include "memcpy_reference.h"
#include "model/builders/labels.h"
#include "model/decode/payload.h"
#include "support/payload_writer.h"

namespace {

using namespace quorvan;

std::vector<glm::vec2> randomPoints(size_t n) {
    std::mt19937 rng(1);
    std::uniform_real_distribution<float> step(-50.0f, 50.0f);
    std::vector<glm::vec2> pts(n);
    glm::vec2 p(1000.0f, 2000.0f);
    for (auto& q : pts) q = p += glm::vec2(step(rng), step(rng));
    return pts;
}

void setOutputBytes(benchmark::State& state, size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void BM_PlainStream(benchmark::State& state) {
    const auto payload =
        meshory_test::plainStream(randomPoints(static_cast<size_t>(state.range(0))));
    for (auto _ : state) {
        auto v = extractVertexes(payload.data(), payload.size(), glm::vec2(1000, 2000));
        benchmark::DoNotOptimize(v.data());
    }
    setOutputBytes(state, state.range(0) * sizeof(glm::vec2));
}

void BM_DeltaStream(benchmark::State& state) {
    const auto payload =
        meshory_test::deltaStream(randomPoints(static_cast<size_t>(state.range(0))));
    for (auto _ : state) {
        auto v = extractVertexes(payload.data(), payload.size(), glm::vec2(1000, 2000));
        benchmark::DoNotOptimize(v.data());
    }
    setOutputBytes(state, state.range(0) * sizeof(glm::vec2));
}

template <typename V>
void BM_IndexedBlock(benchmark::State& state) {
    const size_t n = static_cast<size_t>(state.range(0));
    std::vector<V> vertices(n);
    for (size_t i = 0; i < n; ++i) vertices[i][0] = float(i % 97), vertices[i][1] = float(i / 97);
    std::vector<uint16_t> indices(n), second(n / 4);
    for (size_t i = 0; i < n; ++i) indices[i] = static_cast<uint16_t>(i);
    const auto payload =
        meshory_test::indexedBlock<V>(vertices, indices, second, 120, state.range(1));
    std::vector<V> outV;
    std::vector<uint16_t> outI, outS;
    float h;
    for (auto _ : state) {
        outS.clear();
        extractIndexedVertexes(payload.data(), payload.size(), V(0), outV, outI, outS, h);
        benchmark::DoNotOptimize(outV.data());
    }
    setOutputBytes(state, n * sizeof(V) + (n + n / 4) * 2);
}

void BM_LabelBlock(benchmark::State& state) {
    std::vector<meshory_test::LabelText> texts;
    for (int i = 0; i < state.range(0); ++i)
        texts.push_back({uint16_t(i), "Label text number " + std::to_string(i)});
    const auto payload = meshory_test::labelBlock({1, 2}, texts);
    for (auto _ : state) {
        auto labels = extractLabels(payload);
        benchmark::DoNotOptimize(labels.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * payload.size()));
}

// Label-segment payloads: one group of `range(0)` elements of 8 points and a
// short text each; output bytes are the decoded points and texts.
void BM_LabelSegments(benchmark::State& state) {
    std::vector<meshory_test::SegmentSpec> group(static_cast<size_t>(state.range(0)));
    for (size_t i = 0; i < group.size(); ++i) {
        group[i].kind = static_cast<uint8_t>(1 + i % 2);
        group[i].text = "Segment " + std::to_string(i);
        group[i].points = randomPoints(8);
    }
    const auto payload = meshory_test::labelSegments({group});
    size_t bytes = 0;
    for (auto _ : state) {
        auto elements = extractLabelSegments(payload.data(), payload.size(), glm::vec2(1000, 2000));
        benchmark::DoNotOptimize(elements.data());
        bytes = 0;
        for (const auto& e : elements) bytes += e.points.size() * sizeof(glm::vec2) + e.text.size();
    }
    setOutputBytes(state, bytes);
}

// memcpy of `bytes` into a destination `distance` bytes past a 4096-aligned
// source, the reference for the decoders' output rate.
void BM_Memcpy(benchmark::State& state) {
    const size_t bytes = static_cast<size_t>(state.range(0));
    const size_t distance = static_cast<size_t>(state.range(1));
    meshory_bench::runMemcpyReference(state, bytes, distance);
    setOutputBytes(state, bytes);
}

}  // namespace

BENCHMARK(BM_PlainStream)->Arg(64)->Arg(4096);
BENCHMARK(BM_DeltaStream)->Arg(64)->Arg(4096);
BENCHMARK(BM_IndexedBlock<glm::vec2>)->Args({4096, 0})->Args({4096, 4})->Args({4096, 3});
BENCHMARK(BM_IndexedBlock<glm::vec3>)->Args({4096, 0})->Args({4096, 4});
BENCHMARK(BM_LabelBlock)->Arg(4)->Arg(64);
BENCHMARK(BM_LabelSegments)->Arg(64);
// Output bytes of the decoders above: 64 and 4096 points of 8 bytes; 4096
// 2D and 3D vertices with 5120 indices.
BENCHMARK(BM_Memcpy)->ArgsProduct({{512, 32768, 43008, 59392}, {0, 16, 64}});
