#include "inspect/offset_bands.h"

#include <meshory/geometry/mathglm.h>
#include <meshory/model/model_conversions.h>

#include <algorithm>

namespace quorvan::inspect {

bool isOffsetBand(const S_Model& model) {
    const S_GeometryPolygons& p = model.polygons;
    if (!isTriangleStrip(p) || p.vertices.empty() || p.normals.size() != p.vertices.size())
        return false;
    return std::all_of(p.normals.begin(), p.normals.end(),
                       [](const glm::vec3& n) { return n.z == 0.0f; });
}

std::vector<glm::vec3> drawableTriangles(const S_Model& model) {
    if (!isOffsetBand(model)) return geometryPolygonsToTriangles(model.polygons);
    S_GeometryPolygons widened = model.polygons;
    const float half = model.lines.width / 2;
    for (size_t i = 0; i < widened.vertices.size(); ++i)
        widened.vertices[i] += widened.normals[i] * half;
    return geometryPolygonsToTriangles(widened);
}

}  // namespace quorvan::inspect
