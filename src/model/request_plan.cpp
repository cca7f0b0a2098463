#include "model/request_plan.h"

#include <algorithm>
#include <cstdint>

#include "model/geometry_types.h"

namespace quorvan::builders {

RequestSizes planRequest(std::span<const BlobView> blobs) {
    PlanTally t;
    for (const BlobView& blob : blobs) {
        const GeometryType* row = geometryType(blob.type);
        if (row && row->plan) row->plan(blob.payload, t);
    }
    // A strip becomes triangles once a triangle-list blob converts it.
    const uint64_t polygons = t.polygons + (t.triangleList ? 3 * t.strips : t.strips);
    const uint64_t normals = t.normals + (t.writesNormals ? 3 * t.strips : 0);
    const uint64_t lines = t.lines + (t.pathLines ? 2 * t.transport : 0);

    const auto capped = [](uint64_t n) {
        return static_cast<size_t>(std::min<uint64_t>(n, kMaxPlannedEntries));
    };
    return {capped(polygons), capped(normals), capped(lines), capped(t.points),
            capped(t.transport)};
}

size_t RequestSizes::bytes() const {
    return (polygons + normals + lines) * sizeof(glm::vec3) + (points + paths) * sizeof(glm::vec2);
}

void reserveForRequest(const RequestSizes& sizes, S_Model& model) {
    model.polygons.vertices.reserve(sizes.polygons);
    model.polygons.normals.reserve(sizes.normals);
    model.lines.vertices.reserve(sizes.lines);
    model.points.reserve(sizes.points);
    // The transport path buffer takes this storage over (joins drop a point each).
    model.paths.reserve(sizes.paths);
}

}  // namespace quorvan::builders
