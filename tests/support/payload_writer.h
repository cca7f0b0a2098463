#pragma once

// Builds blob payloads from values, for tests, benchmarks and fuzz seeds:
// nobody hand-types payload bytes. Every layout of the blob encoding is here.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

namespace meshory_test {

using Bytes = std::vector<uint8_t>;

class ByteWriter {
public:
    template <typename T>
    ByteWriter& put(T value) {
        uint8_t raw[sizeof(T)];
        std::memcpy(raw, &value, sizeof(T));
        // Payloads are little-endian whatever the host.
        if constexpr (std::endian::native == std::endian::big) std::reverse(raw, raw + sizeof(T));
        bytes.insert(bytes.end(), raw, raw + sizeof(T));
        return *this;
    }
    ByteWriter& u8(uint8_t v) { return put(v); }
    ByteWriter& u16(uint16_t v) { return put(v); }
    ByteWriter& i16(int16_t v) { return put(v); }
    ByteWriter& u32(uint32_t v) { return put(v); }
    ByteWriter& i32(int32_t v) { return put(v); }
    ByteWriter& f32(float v) { return put(v); }
    ByteWriter& raw(const Bytes& b) {
        bytes.insert(bytes.end(), b.begin(), b.end());
        return *this;
    }
    ByteWriter& text(const std::string& s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return *this;
    }
    Bytes bytes;
};

// Delta values in tenths that take `from` to `to`, per component.
inline int16_t tenths(float from, float to) {
    return static_cast<int16_t>(std::lround((to - from) * 10.0f));
}

// ---- Vertex streams -------------------------------------------------------

inline Bytes plainStream(const std::vector<glm::vec2>& points) {
    ByteWriter w;
    w.u8(0);
    for (const auto& p : points) w.f32(p.x).f32(p.y);
    return w.bytes;
}

// Delta stream from a first point and raw int16 deltas (dx, dy, dx, dy, ...).
inline Bytes deltaStreamRaw(glm::vec2 first, const std::vector<int16_t>& deltas,
                            uint8_t encoding = 1) {
    ByteWriter w;
    w.u8(encoding).f32(first.x).f32(first.y);
    for (int16_t d : deltas) w.i16(d);
    return w.bytes;
}

// Delta stream that reaches `points` (rounded to tenths).
inline Bytes deltaStream(const std::vector<glm::vec2>& points) {
    std::vector<int16_t> deltas;
    for (size_t i = 1; i < points.size(); ++i) {
        deltas.push_back(tenths(points[i - 1].x, points[i].x));
        deltas.push_back(tenths(points[i - 1].y, points[i].y));
    }
    return deltaStreamRaw(points.empty() ? glm::vec2(0) : points[0], deltas);
}

// ---- Per-type prefixes ----------------------------------------------------

inline Bytes withU8Prefix(uint8_t value, const Bytes& rest) {
    ByteWriter w;
    w.u8(value).raw(rest);
    return w.bytes;
}

inline Bytes withU16Prefix(uint16_t value, const Bytes& rest) {
    ByteWriter w;
    w.u16(value).raw(rest);
    return w.bytes;
}

// ---- Indexed vertex blocks ------------------------------------------------

enum IndexedFlags : uint8_t { kByteIndices = 1, kByteSecond = 2, kDeltaVertices = 4 };

// Indexed block of 2D or 3D vertices (V = glm::vec2 or glm::vec3). Delta
// vertices are written as rounded tenths from the previous vertex.
template <typename V>
Bytes indexedBlock(const std::vector<V>& vertices, const std::vector<uint16_t>& indices,
                   const std::vector<uint16_t>& second, uint16_t heightTenths, uint8_t flags) {
    ByteWriter w;
    w.u16(static_cast<uint16_t>(vertices.size()))
        .u16(static_cast<uint16_t>(indices.size()))
        .u16(heightTenths)
        .u8(flags);
    if (flags & kDeltaVertices) {
        if (!vertices.empty()) {
            for (int c = 0; c < V::length(); ++c) w.f32(vertices[0][c]);
            for (size_t i = 1; i < vertices.size(); ++i) {
                for (int c = 0; c < V::length(); ++c)
                    w.i16(tenths(vertices[i - 1][c], vertices[i][c]));
            }
        }
    } else {
        for (const auto& v : vertices) {
            for (int c = 0; c < V::length(); ++c) w.f32(v[c]);
        }
    }
    for (uint16_t i : indices) (flags & kByteIndices) ? w.u8(static_cast<uint8_t>(i)) : w.u16(i);
    for (uint16_t i : second) (flags & kByteSecond) ? w.u8(static_cast<uint8_t>(i)) : w.u16(i);
    return w.bytes;
}

// ---- Label blocks ---------------------------------------------------------

struct LabelText {
    uint16_t variant;
    std::string text;  // at most 255 bytes
};

// The first entry's variant is not written (it is always 0).
inline Bytes labelBlock(glm::vec2 anchor, const std::vector<LabelText>& texts) {
    ByteWriter w;
    w.f32(anchor.x).f32(anchor.y);
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) w.u16(texts[i].variant);
        w.u8(static_cast<uint8_t>(texts[i].text.size())).text(texts[i].text);
    }
    return w.bytes;
}

// ---- Label segments -------------------------------------------------------

struct SegmentSpec {
    std::vector<uint32_t> skipped;  // the n values read past
    uint16_t variant = 0;
    uint8_t category = 0;
    int32_t styleId = 0;
    int32_t code = 0;
    uint8_t kind = 1;
    std::string text;
    std::vector<glm::vec2> points;
};

inline void appendSegment(ByteWriter& w, const SegmentSpec& s) {
    w.u32(static_cast<uint32_t>(s.skipped.size()));
    for (uint32_t v : s.skipped) w.u32(v);
    w.u32(0);  // read past, not used
    w.u16(s.variant).u8(s.category).i32(s.styleId).i32(s.code).u8(s.kind);
    w.u16(static_cast<uint16_t>(s.text.size())).u16(static_cast<uint16_t>(s.points.size()));
    w.text(s.text);
    for (const auto& p : s.points) w.f32(p.x).f32(p.y);
}

// A LABEL_STYLE_SEGMENTS payload: each group is a u16 count and its elements.
inline Bytes labelSegments(const std::vector<std::vector<SegmentSpec>>& groups) {
    ByteWriter w;
    for (const auto& group : groups) {
        w.u16(static_cast<uint16_t>(group.size()));
        for (const auto& s : group) appendSegment(w, s);
    }
    return w.bytes;
}

// ---- Blob records ---------------------------------------------------------

// One record of a block of blob records: u64 id, i32 type, i32 layer id,
// i32 cell index, u32 payload size, then the payload.
inline void appendRecord(ByteWriter& w, uint64_t id, int32_t type, int32_t layerId,
                         int32_t cellIndex, const Bytes& payload) {
    w.put(id)
        .i32(type)
        .i32(layerId)
        .i32(cellIndex)
        .u32(static_cast<uint32_t>(payload.size()))
        .raw(payload);
}

}  // namespace meshory_test
