#pragma once

// Label segments: the handlers that file one decoded element of a
// LABEL_STYLE_SEGMENTS payload into a model (the decoder is
// model/decode/label_segments.h).

#include <map>
#include <vector>

#include "export.h"
#include "model/decode/label_segments.h"
#include "model/glmodel.h"

namespace quorvan {

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
