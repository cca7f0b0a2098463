#pragma once

// The zero-area test of triangles: the three vertices are collinear, their
// cross product zero, computed in double precision (for the vertices of one
// tile, the float differences and their products are exact there, so no
// rounding decides). A triangle with a non-finite vertex is not zero-area.

#include <glm/vec3.hpp>

#include <meshory/export.h>

namespace quorvan {

// True when a, b and c are exactly collinear.
MESHORY_API bool isZeroAreaTriangle(const glm::vec3& a, const glm::vec3& b, const glm::vec3& c);

}  // namespace quorvan
