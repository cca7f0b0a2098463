#pragma once

// A model's geometry records as plain lists: the record-level forms of the
// toolkit's layout conversions (geometry/mathglm.h), which know nothing of
// the model.

#include <vector>

#include <glm/vec3.hpp>

#include <meshory/export.h>
#include <meshory/model/glmodel.h>

namespace quorvan {

MESHORY_API std::vector<glm::vec3> geometryLinesToLines(const S_GeometryLines& g);
// A triangle list: converted when the record holds a strip (mode 5), else a copy.
MESHORY_API std::vector<glm::vec3> geometryPolygonsToTriangles(const S_GeometryPolygons& g);

}  // namespace quorvan
