#pragma once

// Where a host draws a model's label, relative to the model's origin. A road
// name's model holds no label position of its own but road segment lines: the
// name goes halfway along the longest of them (the first such on a tie),
// turned along it and kept readable left to right (within +-90 degrees). Any
// other label stands level at the model's labelPosition.

#include <glm/vec2.hpp>

#include <meshory/export.h>
#include <meshory/model/glmodel.h>

namespace quorvan {

struct S_LabelPlacement {
    glm::vec2 at{0.0f, 0.0f};
    float angle = 0.0f;  // degrees, counter-clockwise from +x
    float along = 0.0f;  // length of the road line it runs along, 0 for other labels
};

// False when the model has no label text, or the place is not finite.
MESHORY_API bool placeLabel(const S_Model& model, S_LabelPlacement& placement);

}  // namespace quorvan
