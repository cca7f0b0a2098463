#include "model/builders/polygon_modes.h"

#include <span>

#include "geometry/mathglm.h"

namespace quorvan::builders {

TriangleAppend::TriangleAppend(S_GeometryPolygons& polygons, Normals normals)
    : polygons(polygons), normals(normals), first(0) {
    if (isTriangleStrip(polygons)) {
        // The strip's storage is kept (it was sized for the whole request).
        triangleStripToTrianglesInPlace(polygons.vertices);
        if (normals == Normals::Flat) {
            polygons.normals.clear();
            appendTriangleNormals(polygons.normals, polygons.vertices);
        }
    }
    first = polygons.vertices.size();
}

void TriangleAppend::close() {
    if (normals == Normals::Flat) {
        appendTriangleNormals(polygons.normals,
                              std::span<const glm::vec3>(polygons.vertices).subspan(first));
    }
    polygons.mode = MODE_TRIANGLES;
}

void appendFlatStrip(S_GeometryPolygons& polygons, const std::vector<glm::vec3>& strip) {
    // Only a triangle list stops the joining: a fresh record (mode 0) starts a strip.
    if (polygons.mode == MODE_TRIANGLES) {
        appendTriangleStripTriangles(polygons.vertices, strip);
        return;
    }
    mergeTriangleStripsInPlace(polygons.vertices, strip);
    markTriangleStrip(polygons);
}

}  // namespace quorvan::builders
