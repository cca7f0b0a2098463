#pragma once

// What the request plan (model/request_plan.h) adds up over the blobs of one
// request, and the header counts its per-type planners read. Each builder
// file defines the planner of its types beside the builder, so that a
// builder and the bound on what it adds are read and changed together.
//
// A planner reads headers only, never decodes, and only bounds: the plan
// never decides anything a builder does.

#include <cstdint>
#include <span>

#include "model/decode/byte_reader.h"
#include "model/decode/payload.h"

namespace quorvan::builders {

struct PlanTally {
    uint64_t polygons = 0;  // polygon vertices
    uint64_t normals = 0;
    uint64_t lines = 0;  // line vertices
    uint64_t points = 0;
    uint64_t strips = 0;         // vertices of flat strips, joins included
    uint64_t transport = 0;      // points merged into the path of railways, roads and bridges
    bool triangleList = false;   // a blob appends triangles: every strip becomes a list
    bool writesNormals = false;  // ... and recomputes the strip's normals
    bool pathLines = false;      // the merged path is regenerated as a line list
};

// Adds a blob's bound to the tally from its payload.
using SizePlanner = void (*)(std::span<const uint8_t> payload, PlanTally& tally);

// Points of the vertex stream over the whole payload.
inline uint64_t streamPoints(std::span<const uint8_t> bytes) {
    ByteReader r(bytes.data(), bytes.size());
    return readVertexStreamHeader(r).points;
}

// Points of the vertex stream after a prefix P (0 without the prefix); the
// prefix is read into `prefix`.
template <typename P>
uint64_t prefixedStreamPoints(std::span<const uint8_t> bytes, P& prefix) {
    ByteReader stream;
    if (!splitPrefixedStream(bytes, prefix, stream)) return 0;
    return readVertexStreamHeader(stream).points;
}

// Points of a stream behind a one-byte width.
inline uint64_t widthStreamPoints(std::span<const uint8_t> bytes) {
    uint8_t width = 0;
    return prefixedStreamPoints(bytes, width);
}

// Index count and outline length of an indexed block (0 when malformed).
struct IndexedCounts {
    uint64_t indices = 0;
    uint64_t outline = 0;
    bool raised = false;
};

inline IndexedCounts indexedCounts(std::span<const uint8_t> bytes, uint64_t dims) {
    ByteReader r(bytes.data(), bytes.size());
    IndexedBlockHeader h;
    if (!readIndexedBlockHeader(r, h) || !r.skip(h.vertexBytes(dims) + h.indexBytes())) return {};
    return {h.indexCount, h.secondCount(r.remaining()), h.heightTenths > 0};
}

// n - k, or 0 when n <= k.
inline uint64_t atLeast(uint64_t n, uint64_t k) {
    return n > k ? n - k : 0;
}

}  // namespace quorvan::builders
