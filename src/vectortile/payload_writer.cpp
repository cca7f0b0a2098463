#include "vectortile/payload_writer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <optional>

namespace quorvan::vectortile {

namespace {

constexpr double kMaxDrift = 0.01;

template <typename T>
void put(Bytes& out, T value) {
    uint8_t bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    if constexpr (std::endian::native == std::endian::big) std::reverse(bytes, bytes + sizeof(T));
    out.insert(out.end(), bytes, bytes + sizeof(T));
}

// Coordinates reach the writer clipped to their tile, so they are finite
// and far inside float range.
float toFloat(double v) {
    return static_cast<float>(v);
}

int64_t tenths(double v) {
    return static_cast<int64_t>(roundHalfUp(v * 10));
}

// Per-component steps in tenths, or nothing when delta coding would not
// reproduce the points.
std::optional<std::vector<int16_t>> deltas(std::span<const Point> points) {
    std::vector<int16_t> out;
    out.reserve(2 * points.size());
    float running[2] = {toFloat(quantise(points[0].x)), toFloat(quantise(points[0].y))};
    for (size_t i = 1; i < points.size(); ++i) {
        for (int c = 0; c < 2; ++c) {
            const int64_t d = tenths(points[i][c]) - tenths(points[i - 1][c]);
            if (d < -0x8000 || d > 0x7fff) return std::nullopt;
            running[c] = toFloat(static_cast<double>(running[c]) +
                                 static_cast<double>(toFloat(static_cast<double>(d) / 10)));
            if (std::abs(static_cast<double>(running[c]) - quantise(points[i][c])) > kMaxDrift) {
                return std::nullopt;
            }
            out.push_back(static_cast<int16_t>(d));
        }
    }
    return out;
}

void writePoints(Bytes& out, std::span<const Point> points,
                 const std::optional<std::vector<int16_t>>& steps) {
    if (steps) {
        put(out, toFloat(quantise(points[0].x)));
        put(out, toFloat(quantise(points[0].y)));
        for (int16_t d : *steps) put(out, d);
    } else {
        for (const Point& p : points) {
            put(out, toFloat(quantise(p.x)));
            put(out, toFloat(quantise(p.y)));
        }
    }
}

}  // namespace

uint16_t heightTenths(double height) {
    const double t = roundHalfUp(height * 10);
    if (!(t > 0)) return 0;  // NaN too
    return static_cast<uint16_t>(std::min<double>(kMaxU16, t));
}

void appendVertexStream(Bytes& out, std::span<const Point> points) {
    const auto steps = points.empty() ? std::nullopt : deltas(points);
    out.push_back(steps ? 1 : 0);
    writePoints(out, points, steps);
}

Bytes widthPathPayload(uint8_t width, std::span<const Point> points) {
    Bytes out{width};
    appendVertexStream(out, points);
    return out;
}

Bytes fanPayload(double height, std::span<const Point> points) {
    Bytes out;
    put(out, heightTenths(height));
    appendVertexStream(out, points);
    return out;
}

Bytes indexedBlock(std::span<const Point> vertices, std::span<const uint32_t> strip,
                   std::span<const uint32_t> outline, double height) {
    const auto steps = deltas(vertices);
    const auto bytesWide = [](std::span<const uint32_t> list) {
        return std::all_of(list.begin(), list.end(), [](uint32_t i) { return i < 256; });
    };
    const bool byteIndices = bytesWide(strip);
    const bool byteOutline = bytesWide(outline);
    Bytes out;
    out.reserve(7 + 8 * vertices.size() + 2 * (strip.size() + outline.size()));
    put(out, static_cast<uint16_t>(vertices.size()));
    put(out, static_cast<uint16_t>(strip.size()));
    put(out, heightTenths(height));
    out.push_back(
        static_cast<uint8_t>((byteIndices ? 1 : 0) | (byteOutline ? 2 : 0) | (steps ? 4 : 0)));
    writePoints(out, vertices, steps);
    for (uint32_t i : strip)
        byteIndices ? out.push_back(static_cast<uint8_t>(i)) : put(out, static_cast<uint16_t>(i));
    for (uint32_t i : outline)
        byteOutline ? out.push_back(static_cast<uint8_t>(i)) : put(out, static_cast<uint16_t>(i));
    return out;
}

std::string_view utf8Prefix(std::string_view text, size_t max) {
    if (text.size() <= max) return text;
    size_t end = max;
    while (end > 0 && (static_cast<uint8_t>(text[end]) & 0xc0) == 0x80) --end;
    return text.substr(0, end);
}

Bytes labelBlock(const Point& anchor, std::span<const S_Text> texts) {
    Bytes out;
    put(out, toFloat(quantise(anchor.x)));
    put(out, toFloat(quantise(anchor.y)));
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) put(out, texts[i].variant);
        const std::string_view text = utf8Prefix(texts[i].text, 255);
        out.push_back(static_cast<uint8_t>(text.size()));
        out.insert(out.end(), text.begin(), text.end());
    }
    return out;
}

Bytes labelSegments(std::span<const S_SegmentElement> elements) {
    Bytes out;
    for (size_t i = 0; i < elements.size(); ++i) {
        if (i % kMaxU16 == 0) {
            put(out, static_cast<uint16_t>(std::min<size_t>(kMaxU16, elements.size() - i)));
        }
        const S_SegmentElement& e = elements[i];
        const std::string_view text = utf8Prefix(e.text, kMaxU16);
        put(out, uint32_t{0});
        put(out, uint32_t{0});
        put(out, e.variant);
        out.push_back(e.category);
        put(out, e.styleId);
        put(out, e.code);
        out.push_back(e.kind);
        put(out, static_cast<uint16_t>(text.size()));
        put(out, static_cast<uint16_t>(e.points.size()));
        out.insert(out.end(), text.begin(), text.end());
        for (const Point& p : e.points) {
            put(out, toFloat(quantise(p.x)));
            put(out, toFloat(quantise(p.y)));
        }
    }
    return out;
}

}  // namespace quorvan::vectortile
