#pragma once

// Bridge bands as a host draws them. The bridge builder leaves its bands as a
// strip of centre-line positions whose normals are the offsets to the band's
// edges (horizontal, one per vertex), for a shader to widen. The writers draw
// what a host would see, so they widen the bands here, by half the model's
// line width, as that shader would.

#include <meshory/model/glmodel.h>

#include <glm/vec3.hpp>
#include <vector>

namespace quorvan::inspect {

// The triangles of a model as a host draws them: modelTriangles' list, except
// for offset bands, which come widened.
std::vector<glm::vec3> drawableTriangles(const S_Model& model);
bool isOffsetBand(const S_Model& model);

}  // namespace quorvan::inspect
