#pragma once

// Shared by the benchmark programs: blobs of every geometry type at
// realistic sizes, the mixed tile, the blob chains of the scaling series,
// the tile file that the JVM harness reads, and the memcpy reference.
// Everything is generated from fixed seeds, so every program and the JVM
// harness see the same bytes.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "model/glmodel.h"
#include "model/meshory.h"
#include "support/payload_writer.h"

namespace meshory_bench {

using glm::vec2;
using glm::vec3;
using meshory_test::Bytes;
using quorvan::S_BlobData;
namespace bg = quorvan::blob_geometry;

// One makeModel call: the blobs of one layer group and their origin.
struct Request {
    vec3 origin{0.0f};
    std::vector<S_BlobData> blobs;
};

class Generator {
public:
    explicit Generator(uint32_t seed) : rng(seed) {}

    float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

    // A convex-ish ring of n points around c, counter-clockwise, tenths exact.
    std::vector<vec2> ring(vec2 c, float radius, int n) {
        std::vector<vec2> out;
        for (int i = 0; i < n; ++i) {
            const float a = 6.2831853f * static_cast<float>(i) / static_cast<float>(n);
            const float r = radius * uniform(0.8f, 1.0f);
            out.push_back(round10(c + vec2(r * std::cos(a), r * std::sin(a))));
        }
        return out;
    }

    // A wandering polyline of n points from `start`, steps of about `step`.
    std::vector<vec2> walk(vec2 start, int n, float step) {
        std::vector<vec2> out{round10(start)};
        float heading = uniform(0.0f, 6.28f);
        for (int i = 1; i < n; ++i) {
            heading += uniform(-0.3f, 0.3f);
            out.push_back(round10(out.back() + step * vec2(std::cos(heading), std::sin(heading))));
        }
        return out;
    }

    Bytes stream(const std::vector<vec2>& points) {
        return pick(0, 1) ? meshory_test::plainStream(points) : meshory_test::deltaStream(points);
    }

    static vec2 round10(vec2 p) {
        return {std::round(p.x * 10.0f) / 10.0f, std::round(p.y * 10.0f) / 10.0f};
    }

    // One blob of `type` near `at`, of the size such a feature has in a city tile.
    Bytes payload(int32_t type, vec2 at) {
        switch (type) {
            case bg::TRIANGLE_STRIPS:
            case bg::FLAT_TRIANGLE_STRIP:
                return stream(strip(at, pick(4, 12)));
            case bg::FLAT_TRIANGLE_FAN:
            case bg::TRIANGLE_FAN: {
                std::vector<vec2> fan = ring(at, 12.0f, pick(6, 12));
                fan.insert(fan.begin(), round10(at));
                const Bytes s = stream(fan);
                return type == bg::TRIANGLE_FAN
                           ? meshory_test::withU16Prefix(static_cast<uint16_t>(pick(30, 300)), s)
                           : s;
            }
            case bg::ON_POLYGON_FLAT_TRIANGLE_FAN:
            case bg::ON_POLYGON_TRIANGLE_FAN: {
                const Bytes s = stream(ring(at, 12.0f, pick(6, 12)));
                return type == bg::ON_POLYGON_TRIANGLE_FAN
                           ? meshory_test::withU16Prefix(static_cast<uint16_t>(pick(30, 300)), s)
                           : s;
            }
            case bg::INDEXED_TRIANGLE_STRIPS:
            case bg::INDEXED_FLAT_TRIANGLE_STRIPS:
                return indexedArea(at, type == bg::INDEXED_TRIANGLE_STRIPS ? pick(30, 300) : 0);
            case bg::FLAT_LINE_STRIP:
                return meshory_test::withU8Prefix(2, stream(walk(at, pick(6, 16), 8.0f)));
            case bg::LINES:
                return stream(walk(at, 2 * pick(3, 8), 6.0f));
            case bg::INDEXED_LINES:
                return indexedLines(at);
            case bg::POINTS:
                return stream(walk(at, pick(4, 16), 15.0f));
            case bg::TEXT_DATA:
                return meshory_test::labelBlock(
                    at, {{0, "Hauptstrasse"}, {1, "Main Street"}, {2, "HS"}});
            case bg::RAILROAD_PATH:
            case bg::TRAM_PATH:
            case bg::ROAD_PATH:
            case bg::BRIDGE:
                return meshory_test::withU8Prefix(4, stream(walk(at, pick(4, 10), 10.0f)));
            case bg::CELL_POLYGON:
                return {};
            case bg::LABEL_STYLE_SEGMENTS:
                return segments(at);
            default:
                return {};
        }
    }

private:
    std::vector<vec2> strip(vec2 at, int pairs) {
        std::vector<vec2> out;
        for (int i = 0; i < pairs; ++i) {
            out.push_back(round10(at + vec2(4.0f * static_cast<float>(i), 0.0f)));
            out.push_back(round10(at + vec2(4.0f * static_cast<float>(i) + 2.0f, 6.0f)));
        }
        return out;
    }

    Bytes indexedArea(vec2 at, int heightTenths) {
        const std::vector<vec2> r = ring(at, 14.0f, pick(6, 14));
        std::vector<uint16_t> roof, outline;
        // Zig-zag strip over the ring: 0, n-1, 1, n-2, ...
        for (size_t lo = 0, hi = r.size() - 1; lo <= hi; ++lo, --hi) {
            roof.push_back(static_cast<uint16_t>(lo));
            if (hi != lo) roof.push_back(static_cast<uint16_t>(hi));
            if (hi == 0) break;
        }
        for (size_t i = 0; i < r.size(); ++i) outline.push_back(static_cast<uint16_t>(i));
        const uint8_t flags = pick(0, 1) ? meshory_test::kDeltaVertices : 0;
        return meshory_test::indexedBlock<vec2>(r, roof, outline,
                                                static_cast<uint16_t>(heightTenths), flags);
    }

    Bytes indexedLines(vec2 at) {
        std::vector<vec3> v;
        for (const vec2 p : walk(at, pick(6, 16), 6.0f)) v.emplace_back(p, 0.0f);
        std::vector<uint16_t> idx;
        for (size_t i = 1; i < v.size(); ++i) idx.insert(idx.end(), {uint16_t(i - 1), uint16_t(i)});
        return meshory_test::indexedBlock<vec3>(v, idx, {}, 0, 0);
    }

    Bytes segments(vec2 at) {
        std::vector<meshory_test::SegmentSpec> group(4);
        for (size_t i = 0; i < group.size(); ++i) {
            group[i].kind = static_cast<uint8_t>(1 + i % 2);
            group[i].styleId = static_cast<int32_t>(i % 3);
            group[i].text = "Segment label";
            group[i].points = walk(at, 4, 10.0f);
        }
        return meshory_test::labelSegments({group});
    }

    std::mt19937 rng;
};

// A path of `pieces` transport blobs whose ends meet, in travel order or
// reversed (each piece then joins the path at its front).
inline std::vector<Bytes> transportChain(Generator& g, int pieces, bool reversed,
                                         uint8_t prefix = 4) {
    std::vector<Bytes> out;
    vec2 at(100.0f, 100.0f);
    for (int i = 0; i < pieces; ++i) {
        const std::vector<vec2> piece = g.walk(at, 5, 10.0f);
        at = piece.back();
        out.push_back(meshory_test::withU8Prefix(prefix, g.stream(piece)));
    }
    if (reversed) std::reverse(out.begin(), out.end());
    return out;
}

// N blobs of one type in one request; transport types form one chain.
inline Request scalingRequest(int32_t type, int n, bool reversed) {
    Generator g(static_cast<uint32_t>(type) * 7919u + 1u);
    Request r;
    r.origin = vec3(500.0f, 500.0f, 0.0f);
    if (type == bg::RAILROAD_PATH || type == bg::ROAD_PATH || type == bg::BRIDGE ||
        type == bg::TRAM_PATH) {
        for (Bytes& b : transportChain(g, n, reversed)) r.blobs.emplace_back(1, type, 1, 0, b);
        return r;
    }
    for (int i = 0; i < n; ++i) {
        const vec2 at(g.uniform(0.0f, 1000.0f), g.uniform(0.0f, 1000.0f));
        r.blobs.emplace_back(static_cast<uint64_t>(i), type, 1, 0, g.payload(type, at));
    }
    return r;
}

// scalingRequest made once per program and kept: the series share them.
inline const Request& cachedRequest(int32_t type, int n, bool reversed) {
    static std::map<std::tuple<int32_t, int, bool>, Request> cache;
    auto it = cache.find({type, n, reversed});
    if (it == cache.end())
        it = cache.emplace(std::tuple{type, n, reversed}, scalingRequest(type, n, reversed)).first;
    return it->second;
}

// A city tile of 1000 x 1000 units, one request per layer group as a host
// issues them: buildings, flat areas, water strips, contours, trees, roads
// and rails (one request per street or track, its pieces in travel order),
// tram lines, two bridges, labels and the cell background.
inline std::vector<Request> mixedTile() {
    Generator g(2024);
    std::vector<Request> tile;
    const auto layer = [&](std::initializer_list<std::pair<int32_t, int>> mix) {
        Request r;
        r.origin = vec3(500.0f, 500.0f, 0.0f);
        for (const auto& [type, count] : mix) {
            for (int i = 0; i < count; ++i) {
                const vec2 at(g.uniform(0.0f, 1000.0f), g.uniform(0.0f, 1000.0f));
                r.blobs.emplace_back(static_cast<uint64_t>(r.blobs.size()), type,
                                     static_cast<int32_t>(tile.size()), 0x00020003,
                                     g.payload(type, at));
            }
        }
        tile.push_back(std::move(r));
    };
    layer({{bg::TRIANGLE_FAN, 300},
           {bg::ON_POLYGON_TRIANGLE_FAN, 200},
           {bg::INDEXED_TRIANGLE_STRIPS, 150}});
    layer({{bg::FLAT_TRIANGLE_FAN, 150}, {bg::ON_POLYGON_FLAT_TRIANGLE_FAN, 100}});
    layer({{bg::FLAT_TRIANGLE_STRIP, 60}, {bg::INDEXED_FLAT_TRIANGLE_STRIPS, 40}});
    layer({{bg::FLAT_LINE_STRIP, 60}, {bg::LINES, 30}, {bg::INDEXED_LINES, 30}});
    layer({{bg::POINTS, 80}});
    layer({{bg::TRAM_PATH, 12}});
    layer({{bg::TEXT_DATA, 60}, {bg::LABEL_STYLE_SEGMENTS, 20}});
    layer({{bg::CELL_POLYGON, 1}});
    const auto chains = [&](int32_t type, int count, int pieces) {
        for (int k = 0; k < count; ++k) {
            Request r;
            r.origin = vec3(500.0f, 500.0f, 0.0f);
            for (Bytes& b : transportChain(g, pieces, false, static_cast<uint8_t>(g.pick(2, 8)))) {
                r.blobs.emplace_back(static_cast<uint64_t>(r.blobs.size()), type, 100 + type,
                                     0x00020003, b);
            }
            tile.push_back(std::move(r));
        }
    };
    chains(bg::ROAD_PATH, 40, 6);
    chains(bg::RAILROAD_PATH, 6, 8);
    chains(bg::BRIDGE, 2, 2);
    return tile;
}

// Every geometry type code with its name, as the scaling series label them.
inline const std::vector<std::pair<int32_t, const char*>>& allTypes() {
    static const std::vector<std::pair<int32_t, const char*>> types = {
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
    return types;
}

template <typename T>
size_t bytesOf(const std::vector<T>& v) {
    return v.size() * sizeof(T);
}

// Payload bytes of a model's lists and texts (not their spare capacity).
inline size_t modelBytes(const quorvan::S_Model& m) {
    size_t n = bytesOf(m.polygons.vertices) + bytesOf(m.polygons.normals) +
               bytesOf(m.lines.vertices) + bytesOf(m.paths) + bytesOf(m.points) + m.label.size();
    for (const auto* segments : {&m.roadSegments, &m.pointSegments}) {
        for (const auto& [style, lines] : *segments) {
            for (const auto& line : lines) n += bytesOf(line.points) + sizeof(line);
        }
    }
    return n;
}

// ---- The tile file of the JVM harness ----------------------------------------
//
// Little-endian: u32 request count; per request f64 origin x, f64 origin y,
// u32 blob count; per blob i64 id, i32 type, i32 layer, i32 cell, u32 length,
// then the payload bytes.

inline void writeTile(const std::string& path, const std::vector<Request>& tile) {
    meshory_test::ByteWriter w;
    w.u32(static_cast<uint32_t>(tile.size()));
    for (const Request& r : tile) {
        w.put(static_cast<double>(r.origin.x))
            .put(static_cast<double>(r.origin.y))
            .u32(static_cast<uint32_t>(r.blobs.size()));
        for (const S_BlobData& b : r.blobs) {
            w.put(static_cast<int64_t>(b.id)).i32(b.type).i32(b.layerId).i32(b.cellIndex);
            w.u32(static_cast<uint32_t>(b.data.size())).raw(b.data);
        }
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(w.bytes.data()),
               static_cast<std::streamsize>(w.bytes.size()));
}

// The large model of the hand-off measurement: buildings enough for about
// `vertices` triangle vertices, in one request.
inline Request largeModel(size_t vertices) {
    Generator g(77);
    Request r;
    r.origin = vec3(500.0f, 500.0f, 0.0f);
    for (size_t made = 0; made < vertices; made += 3 * 3 * 10) {
        const vec2 at(g.uniform(0.0f, 1000.0f), g.uniform(0.0f, 1000.0f));
        std::vector<vec2> fan = g.ring(at, 12.0f, 10);
        fan.insert(fan.begin(), at);
        r.blobs.emplace_back(made, bg::TRIANGLE_FAN, 1, 0,
                             meshory_test::withU16Prefix(100, meshory_test::plainStream(fan)));
    }
    return r;
}

}  // namespace meshory_bench
