#pragma once

// Blob payload encoders: the vertex stream, the indexed vertex block, the
// label block and the label segments, with the per-type prefixes; what the
// model maker's decoders read. Internal to the vector-tile mapping.
//
// Coordinates are rounded to tenths of a unit before they are written.
// Delta values are in tenths, so rounded coordinates give exact integer
// deltas. The decoder adds them up in single precision, whose rounding
// drifts along a long chain, so a list is delta-coded only when every step
// fits an int16 and that running sum, replayed here, stays within 0.01 of
// every point; otherwise the points are written as plain floats.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "vectortile/shapes.h"

namespace quorvan::vectortile {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kMaxU16 = 0xffff;

// The 16-bit height field: tenths, clamped to 0..65535.
uint16_t heightTenths(double height);

// Encoding byte (0 plain, 1 delta), then the points.
void appendVertexStream(Bytes& out, std::span<const Point> points);
// u8 width, then a vertex stream: ROAD_PATH, TRAM_PATH, BRIDGE, RAILROAD_PATH.
Bytes widthPathPayload(uint8_t width, std::span<const Point> points);
// u16 height in tenths, then a vertex stream: TRIANGLE_FAN, ON_POLYGON_TRIANGLE_FAN.
Bytes fanPayload(double height, std::span<const Point> points);
// Indexed vertex block (2D): 1..65535 vertices, a strip and an outline of
// at most 65535 indices each, every index below the vertex count (the
// caller's guarantee).
Bytes indexedBlock(std::span<const Point> vertices, std::span<const uint32_t> strip,
                   std::span<const uint32_t> outline, double height);

struct S_Text {
    uint16_t variant = 0;
    std::string_view text;
};
// The longest prefix of `text` of at most `max` bytes that splits no character.
std::string_view utf8Prefix(std::string_view text, size_t max);
// TEXT_DATA: the anchor, then the texts (each cut to 255 bytes); the first
// is variant 0 and carries no variant field.
Bytes labelBlock(const Point& anchor, std::span<const S_Text> texts);

struct S_SegmentElement {
    uint16_t variant = 0;
    uint8_t category = 0;
    int32_t styleId = 0;
    int32_t code = 0;
    uint8_t kind = 0;
    std::string_view text;
    std::span<const Point> points;  // at most 65535
};
// LABEL_STYLE_SEGMENTS: groups of at most 65535 elements.
Bytes labelSegments(std::span<const S_SegmentElement> elements);

}  // namespace quorvan::vectortile
