#pragma once

// Label segments: the decoder of the LABEL_STYLE_SEGMENTS payload and the
// handlers that file one decoded element into a model.
//
// Payload: groups until the end, each a u16 element count E and E elements:
//   u32 n, 4n bytes read past, 4 bytes read past, u16 variant, u8 category,
//   i32 styleId, i32 code, u8 kind, u16 text length L, u16 point count P,
//   L text bytes, P points (f32 x, f32 y).
// An element occupies 24 + 4n + L + 8P bytes (computed in 64 bits).

#include <cstdint>
#include <glm/vec2.hpp>
#include <map>
#include <vector>

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

// Files one element as a SegmentLine (its points, its code cut to 16 bits)
// under its styleId, after the lines already filed there. Never merges lines.
MESHORY_API void addSegment(std::map<int, std::vector<SegmentLine>>* map,
                            const SegmentLineElement& element);

// Kind 1: files into roadSegments and sets the model's label to the text.
MESHORY_API void addRoadSegmentToModel(S_Model* model, const SegmentLineElement& element);

// Kind 2: files into pointSegments, sets the label to the text and, when the
// element has a point, labelPosition to (first point, 0).
MESHORY_API void addPointSegmentToModel(S_Model* model, const SegmentLineElement& element);

}  // namespace quorvan
