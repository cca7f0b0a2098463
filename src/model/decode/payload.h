#pragma once

// Decoders of the blob payload encodings. They never throw for bad content
// and never read outside the bytes they are given; malformed payloads decode
// to short or empty results as documented per decoder. Exhausted memory is
// the only exception that can leave them. Coordinates are returned minus the
// caller's offset (the request origin), so geometry comes out origin-relative.
//
// Vertex stream:  u8 encoding (0 plain, else delta), then
//   plain: (f32 x, f32 y)*   -- trailing bytes of an incomplete point ignored
//   delta: f32 x0, f32 y0, then i16 deltas in tenths, taken in (dx, dy) pairs
// Indexed block:  u16 vertexCount, u16 indexCount, u16 heightTenths, u8 flags,
//   vertices, index list, second index list (all remaining bytes).
// Label block:    f32 x, f32 y, then entries (u16 variant, except for the
//   first), u8 length, text bytes.

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include "export.h"
#include "model/decode/byte_reader.h"
#include "model/glmodel.h"

namespace quorvan {

// ---- Headers ------------------------------------------------------------------
// What the decoders and the request plan read before any vertex: one reader
// per layout, so that sizing a request and decoding it agree on every count.

// Vertex stream: the encoding, and how many points the bytes after the
// encoding byte hold (8 bytes a plain point; a delta stream holds its 8-byte
// first point, then one point per 4-byte delta pair, and no point at all
// when shorter than the first). No encoding byte: no points.
struct VertexStreamHeader {
    bool delta = false;
    uint64_t points = 0;
};

// Reads the encoding byte at the cursor; the rest of `r` is the stream's body.
inline VertexStreamHeader readVertexStreamHeader(ByteReader& r) {
    VertexStreamHeader h;
    uint8_t encoding = 0;
    if (!r.read(encoding)) return h;
    h.delta = encoding != 0;
    if (!h.delta) {
        h.points = r.remaining() / 8;
    } else if (r.has(8)) {
        h.points = 1 + (r.remaining() - 8) / 4;
    }
    return h;
}

// Layout "a fixed prefix, then a vertex stream to the end": reads the prefix
// and leaves `stream` over the bytes after it. False, with `prefix` and
// `stream` unchanged, when the prefix is not wholly present.
template <typename P>
bool splitPrefixedStream(std::span<const uint8_t> bytes, P& prefix, ByteReader& stream) {
    ByteReader r(bytes.data(), bytes.size());
    if (!r.read(prefix)) return false;
    return r.take(r.remaining(), stream);
}

// Indexed block header: u16 vertexCount, u16 indexCount, u16 heightTenths,
// u8 flags (bit 0: 1-byte indices, bit 1: 1-byte second indices, bit 2:
// delta vertices), and the byte sizes it implies for V::length() dimensions.
struct IndexedBlockHeader {
    uint16_t vertexCount = 0;
    uint16_t indexCount = 0;
    uint16_t heightTenths = 0;
    uint8_t flags = 0;

    bool byteIndices() const { return flags & 1; }
    bool byteSecond() const { return flags & 2; }
    bool delta() const { return flags & 4; }
    uint64_t vertexBytes(uint64_t dims) const {
        return delta() ? 4 * dims + 2 * dims * (vertexCount - 1u) : 4 * dims * vertexCount;
    }
    uint64_t indexBytes() const { return byteIndices() ? indexCount : 2u * indexCount; }
    // Entries of the second index list in the `bytes` that follow the first.
    uint64_t secondCount(uint64_t bytes) const { return byteSecond() ? bytes : bytes / 2; }
};

// Reads the 7-byte header at the cursor. False when it is short or the block
// has no vertex: such a block holds nothing to decode.
inline bool readIndexedBlockHeader(ByteReader& r, IndexedBlockHeader& h) {
    return r.read(h.vertexCount) && h.vertexCount != 0 && r.read(h.indexCount) &&
           r.read(h.heightTenths) && r.read(h.flags);
}

// Heights travel as u16 tenths of a unit.
inline float fromTenths(uint16_t tenths) {
    return static_cast<float>(tenths) / 10.0f;
}

namespace payload_detail {

template <typename V>
inline V readVec(const ByteReader& r, uint64_t at) {
    V v;
    for (int c = 0; c < V::length(); ++c)
        v[c] = r.peekChecked<float>(at + 4 * static_cast<uint64_t>(c));
    return v;
}

// A random-access range over the `count` plain vertices that `r` holds at
// `at` (V::length() floats each), each minus `offset`. Appending it with
// vector::insert sizes the storage once and constructs every vertex in
// place: no zero fill ahead of the decoding, and no growth check per vertex.
// The caller has checked that the bytes are present.
template <typename V>
class PlainVertices {
public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = V;
    using difference_type = std::ptrdiff_t;
    using pointer = const V*;
    using reference = V;

    PlainVertices(const ByteReader* r, uint64_t at, uint64_t i, const V* offset)
        : r(r), at(at), i(i), offset(offset) {}
    V operator*() const { return readVec<V>(*r, at + 4 * V::length() * i) - *offset; }
    PlainVertices& operator++() { return ++i, *this; }
    PlainVertices operator++(int) { return PlainVertices(r, at, i++, offset); }
    PlainVertices& operator--() { return --i, *this; }
    PlainVertices& operator+=(difference_type k) { return i += static_cast<uint64_t>(k), *this; }
    difference_type operator-(const PlainVertices& o) const {
        return static_cast<difference_type>(i - o.i);
    }
    bool operator==(const PlainVertices& o) const { return i == o.i; }
    bool operator!=(const PlainVertices& o) const { return i != o.i; }

private:
    const ByteReader* r;
    uint64_t at;
    uint64_t i;
    const V* offset;
};

template <typename V>
inline void appendPlainRun(std::vector<V>& out, const ByteReader& r, uint64_t at, uint64_t count,
                           const V& offset) {
    out.insert(out.end(), PlainVertices<V>(&r, at, 0, &offset),
               PlainVertices<V>(&r, at, count, &offset));
}

// Appends `start` and the points reached by `count` delta tuples read from
// `r` at `at` (each tuple V::length() int16 values), each minus `offset`.
// The caller has checked that the bytes are present.
//
// Each delta is divided by ten before it is added, in single precision, and
// the sums form one serial chain that must stay exact. The divisions do not
// depend on the chain, so they run first, a block at a time, in a loop the
// compiler vectorises; the chain then only adds.
template <typename V>
inline void appendDeltaRun(std::vector<V>& out, const ByteReader& r, uint64_t at, uint64_t count,
                           V running, const V& offset) {
    constexpr uint64_t dims = V::length();
    constexpr uint64_t block = 256;  // tuples per block
    const size_t first = out.size();
    out.resize(first + static_cast<size_t>(count) + 1);
    V* dst = out.data() + first;
    *dst++ = running - offset;
    int16_t raw[block * dims];
    float step[block * dims];
    for (uint64_t done = 0; done < count; done += block) {
        const uint64_t n = std::min(block, count - done) * dims;
        for (uint64_t k = 0; k < n; ++k) raw[k] = r.peekChecked<int16_t>(at + 2 * k);
        for (uint64_t k = 0; k < n; ++k) step[k] = static_cast<float>(raw[k]) / 10.0f;
        for (uint64_t k = 0; k < n; k += dims) {
            for (uint64_t c = 0; c < dims; ++c) running[static_cast<int>(c)] += step[k + c];
            *dst++ = running - offset;
        }
        at += 2 * n;
    }
}

}  // namespace payload_detail

// `start` followed by the points that consecutive (dx, dy) pairs of `deltas`
// (in tenths) reach, each minus `offset`. An odd last delta is ignored.
template <typename V>
std::vector<V> unpackDeltaValues(const std::vector<int16_t>& deltas, const V& start,
                                 const V& offset) {
    std::vector<V> out;
    out.reserve(deltas.size() / 2 + 1);
    out.push_back(start - offset);
    V running = start;
    for (size_t i = 1; i < deltas.size(); i += 2) {
        running.x += static_cast<float>(deltas[i - 1]) / 10.0f;
        running.y += static_cast<float>(deltas[i]) / 10.0f;
        out.push_back(running - offset);
    }
    return out;
}

// Decodes the 2D vertex stream that `stream` holds from its cursor to its
// end. An empty stream (no encoding byte) and a delta stream shorter than
// its 9-byte head give no points.
template <typename V>
std::vector<V> extractVertexes(ByteReader stream, const V& offset) {
    static_assert(V::length() == 2, "vertex streams are two-dimensional");
    std::vector<V> out;
    const VertexStreamHeader h = readVertexStreamHeader(stream);
    if (h.points == 0) return out;
    if (!h.delta) {
        payload_detail::appendPlainRun(out, stream, 0, h.points, offset);
        return out;
    }
    out.reserve(static_cast<size_t>(h.points));
    payload_detail::appendDeltaRun(out, stream, 8, h.points - 1,
                                   payload_detail::readVec<V>(stream, 0), offset);
    return out;
}

// The same over `size` bytes at `data`.
template <typename V>
std::vector<V> extractVertexes(const uint8_t* data, uint64_t size, const V& offset) {
    return extractVertexes(ByteReader(data, size), offset);
}

// Decodes the layout "a fixed prefix P, then a 2D vertex stream to the end"
// (transport paths and line strips with a u8 width, extruded fans with a u16
// height). False, with `prefix` and `points` unchanged, when the prefix is
// not wholly present.
template <typename P>
bool extractPrefixedVertexes(std::span<const uint8_t> bytes, const glm::vec2& offset, P& prefix,
                             std::vector<glm::vec2>& points) {
    ByteReader stream;
    if (!splitPrefixedStream(bytes, prefix, stream)) return false;
    points = extractVertexes(stream, offset);
    return true;
}

// Decodes an indexed vertex block (V = vec2 or vec3; plain or delta vertices,
// 1- or 2-byte index entries per the flags).
// - vertexCount 0, or a block shorter than its 7-byte header: all four
//   outputs keep their values.
// - Otherwise `height` is set from the header first. If the bytes of the
//   vertices or of the index list are not all present, the block is
//   malformed: `vertices` and `indices` are emptied and `secondIndices` keeps
//   its value.
// - The second index list is every remaining byte (an odd byte of 2-byte
//   entries is ignored); with no remaining byte `secondIndices` keeps its value.
// Indices are not checked against vertexCount; see the conversions.
template <typename V>
void extractIndexedVertexes(const uint8_t* data, uint64_t size, const V& offset,
                            std::vector<V>& vertices, std::vector<uint16_t>& indices,
                            std::vector<uint16_t>& secondIndices, float& height) {
    constexpr uint64_t dims = V::length();
    ByteReader r(data, size);
    IndexedBlockHeader h;
    if (!readIndexedBlockHeader(r, h)) return;
    height = fromTenths(h.heightTenths);

    const uint16_t vertexCount = h.vertexCount;
    const uint16_t indexCount = h.indexCount;
    const bool byteIndices = h.byteIndices();
    const bool byteSecond = h.byteSecond();
    const uint64_t vertexBytes = h.vertexBytes(dims);
    const uint64_t indexBytes = h.indexBytes();
    if (!r.has(vertexBytes + indexBytes)) {
        vertices.clear();
        indices.clear();
        return;
    }

    if (h.delta()) {
        std::vector<V> decoded;
        decoded.reserve(vertexCount);
        payload_detail::appendDeltaRun(decoded, r, 4 * dims, vertexCount - 1u,
                                       payload_detail::readVec<V>(r, 0), offset);
        vertices = std::move(decoded);
    } else {
        vertices.clear();
        payload_detail::appendPlainRun(vertices, r, 0, vertexCount, offset);
    }
    r.skip(vertexBytes);

    indices.resize(indexCount);
    for (uint64_t i = 0; i < indexCount; ++i) {
        indices[i] = byteIndices ? r.peekChecked<uint8_t>(i) : r.peekChecked<uint16_t>(2 * i);
    }
    r.skip(indexBytes);

    if (r.atEnd()) return;
    const uint64_t secondCount = h.secondCount(r.remaining());
    secondIndices.resize(static_cast<size_t>(secondCount));
    for (uint64_t i = 0; i < secondCount; ++i) {
        secondIndices[i] = byteSecond ? r.peekChecked<uint8_t>(i) : r.peekChecked<uint16_t>(2 * i);
    }
}

// Decodes a label block into its texts, all at the block's anchor. Payloads
// of 8 bytes or fewer give none. An entry that runs past the end of the
// payload is dropped, and decoding stops there; entries before it are kept.
template <typename V = glm::vec2, typename L = S_Label>
std::vector<L> extractLabels(std::span<const uint8_t> data) {
    std::vector<L> out;
    ByteReader r(data.data(), data.size());
    if (data.size() <= 8) return out;
    V anchor;
    r.read(anchor.x);
    r.read(anchor.y);
    while (!r.atEnd()) {
        L label;
        label.position = anchor;
        label.variant = 0;
        if (!out.empty() && !r.read(label.variant)) break;
        uint8_t length = 0;
        if (!r.read(length) || !r.readString(length, label.text)) break;
        out.push_back(std::move(label));
    }
    return out;
}

// True when `text` is well-formed UTF-8 (RFC 3629: no overlongs, surrogates
// or code points above U+10FFFF). A rejection is reported to log(), with the
// text when it is shorter than maxLoggedLength bytes.
MESHORY_API bool checkUtf8Valid(const std::string& text, uint64_t maxLoggedLength);

}  // namespace quorvan
