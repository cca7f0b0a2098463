#include "model/decode/label_segments.h"

#include "model/decode/byte_reader.h"

namespace quorvan {

namespace {

// Reads one element at the cursor. False when the element is not wholly
// present; `e` and the cursor are then of no further use.
bool readSegmentElement(ByteReader& r, const glm::vec2& offset, SegmentLineElement& e) {
    uint32_t skipped = 0;
    // 4n values and one more u32 are read past; 4n + 4 cannot overflow 64 bits.
    if (!r.read(skipped) || !r.skip(4 * static_cast<uint64_t>(skipped) + 4)) return false;
    uint16_t textLength = 0;
    uint16_t pointCount = 0;
    if (!r.read(e.variant) || !r.read(e.category) || !r.read(e.styleId) || !r.read(e.code) ||
        !r.read(e.kind) || !r.read(textLength) || !r.read(pointCount)) {
        return false;
    }
    // Text and points are checked together before anything is allocated.
    const uint64_t pointBytes = 8 * static_cast<uint64_t>(pointCount);
    if (!r.has(textLength + pointBytes)) return false;
    r.readString(textLength, e.text);
    e.points.reserve(pointCount);
    for (uint16_t i = 0; i < pointCount; ++i) {
        float x = 0.0f;
        float y = 0.0f;
        r.read(x);
        r.read(y);
        e.points.emplace_back(x - offset.x, y - offset.y);
    }
    return true;
}

}  // namespace

std::vector<SegmentLineElement> extractLabelSegments(const uint8_t* data, uint64_t size,
                                                     const glm::vec2& offset) {
    std::vector<SegmentLineElement> out;
    ByteReader r(data, size);
    while (!r.atEnd()) {
        uint16_t count = 0;
        if (!r.read(count)) break;
        // No reservation from `count`: elements are at least 24 bytes, and
        // the payload may hold far fewer than it claims.
        for (uint16_t k = 0; k < count; ++k) {
            SegmentLineElement element;
            if (!readSegmentElement(r, offset, element)) return out;
            out.push_back(std::move(element));
        }
    }
    return out;
}

}  // namespace quorvan
