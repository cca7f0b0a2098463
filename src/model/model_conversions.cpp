#include "model/model_conversions.h"

#include "geometry/mathglm.h"

namespace quorvan {

std::vector<glm::vec3> geometryLinesToLines(const S_GeometryLines& g) {
    return g.vertices;
}

std::vector<glm::vec3> geometryPolygonsToTriangles(const S_GeometryPolygons& g) {
    if (isTriangleStrip(g)) return triangleStripToTriangles(g.vertices);
    return g.vertices;
}

}  // namespace quorvan
