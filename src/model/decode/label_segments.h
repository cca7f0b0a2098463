#pragma once

// The decoder of the LABEL_STYLE_SEGMENTS payload.
//
// Payload: groups until the end, each a u16 element count E and E elements:
//   u32 n, 4n bytes read past, 4 bytes read past, u16 variant, u8 category,
//   i32 styleId, i32 code, u8 kind, u16 text length L, u16 point count P,
//   L text bytes, P points (f32 x, f32 y).
// An element occupies 24 + 4n + L + 8P bytes (computed in 64 bits).

#include <cstdint>
#include <vector>

#include <glm/vec2.hpp>

#include "export.h"
#include "model/glmodel.h"

namespace quorvan {

// Decodes every element of a LABEL_STYLE_SEGMENTS payload in payload order,
// each point minus `offset`. Texts are taken as raw bytes, without UTF-8
// validation. Decoding stops at the first element (or group count) that is
// not wholly present: that element is dropped, the elements before it are
// kept. Memory is sized only from bytes known to be present.
MESHORY_API std::vector<SegmentLineElement> extractLabelSegments(const uint8_t* data, uint64_t size,
                                                                 const glm::vec2& offset);

}  // namespace quorvan
