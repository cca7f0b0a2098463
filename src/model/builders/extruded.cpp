// Extruded area builders (INDEXED_TRIANGLE_STRIPS, TRIANGLE_FAN,
// ON_POLYGON_TRIANGLE_FAN). The roof stands at the blob's height h (the
// model's `height`, last blob wins); walls join the outline to the ground
// only when h > 0. Output is a triangle list with flat
// normals (a strip already in the model is converted first and its normals
// recomputed, as model/builders/polygon_modes.h rules) and the outline as lines, with
// vertical and ground edges above the ground.
//
// Malformed input:
// - A fan payload shorter than its 2-byte height changes nothing: no height
//   was read, so height, modes and lists stay as they were. A payload of the
//   height alone sets height and modes and adds no geometry.
// - An indexed block whose roof index list leaves its vertices adds no roof;
//   one whose outline list leaves them adds no walls and no outline. The
//   height and modes are still set.

#include "geometry/mathglm.h"
#include "model/builders/builders.h"
#include "model/builders/outlines.h"
#include "model/builders/polygon_modes.h"

namespace quorvan {

using namespace builders;

namespace {

void addExtrudedFan(const BlobView& blob, const RequestContext& request, bool hasCentre) {
    uint16_t heightTenths = 0;
    std::vector<glm::vec2> points;
    if (!decodePrefixedStream(request, blob.payload, heightTenths, points)) return;
    S_Model* model = &request.model;
    const float h = fromTenths(heightTenths);
    model->height = h;
    const auto fan = liftTo(points, h);

    TriangleAppend triangles(model->polygons, TriangleAppend::Normals::Flat);
    appendTriangleFanTriangles(triangles.vertices(), fan);  // roof first, then walls
    if (h > 0.0f) appendWallsTrianglesFromTriangleFan(triangles.vertices(), fan, hasCentre);
    triangles.close();

    appendStrokeLinesFromTrianglesFan(model->lines.vertices, fan, hasCentre);
    model->lines.mode = MODE_LINES;
}

}  // namespace

namespace builders {

void modelTriangleFan(const BlobView& blob, const RequestContext& request) {
    addExtrudedFan(blob, request, true);
}

void modelOnPolygonTriangleFan(const BlobView& blob, const RequestContext& request) {
    addExtrudedFan(blob, request, false);
}

void modelIndexedTriangleStrips(const BlobView& blob, const RequestContext& request) {
    S_Model* model = &request.model;
    TriangleAppend triangles(model->polygons, TriangleAppend::Normals::Flat);
    const auto block = decodeIndexedBlock<glm::vec2>(request, blob.payload);
    const std::vector<uint16_t>& roof = block.indices;
    const std::vector<uint16_t>& outline = block.secondIndices;
    const float h = model->height;
    const auto v = liftTo(block.vertices, h);
    // The outline is read by index below; a list that leaves the vertices is
    // dropped as a whole, like every other index list.
    const bool hasOutline = !v.empty() && !outline.empty() && indicesInRange(outline, v.size());
    const size_t m = outline.size();
    const auto at = [&](size_t j) -> const glm::vec3& { return v[outline[j]]; };
    const bool ringOpen = hasOutline && !isSameVertex(at(0), at(m - 1));

    appendTriangleStripTriangles(triangles.vertices(), v, roof);
    if (h > 0.0f && hasOutline) {
        // Wall strip: roof and ground point of each outline vertex in turn.
        std::vector<glm::vec3> wall;
        wall.reserve(2 * m + 2);
        for (size_t j = 0; j < m; ++j) {
            wall.push_back(at(j));
            wall.push_back(ground(at(j)));
        }
        if (ringOpen) {
            wall.push_back(at(0));
            wall.push_back(ground(at(0)));
        }
        appendTriangleStripTriangles(triangles.vertices(), wall);
    }
    triangles.close();

    if (hasOutline) {
        std::vector<glm::vec3>& lines = model->lines.vertices;
        reserveToAppend(lines, 6 * m);
        if (ringOpen) makeStrokeFromLine(lines, at(m - 1), at(0));
        for (size_t j = 1; j < m; ++j) makeStrokeFromLine(lines, at(j - 1), at(j));
    }
    model->lines.mode = MODE_LINES;
}

void planIndexedTriangleStrips(Payload payload, PlanTally& tally) {
    const IndexedCounts c = indexedCounts(payload, 2);
    const uint64_t t = 3 * atLeast(c.indices, 2) + (c.raised ? 6 * c.outline : 0);
    tally.polygons += t, tally.normals += t, tally.lines += 6 * c.outline;
    tally.triangleList = tally.writesNormals = true;
}

void planTriangleFan(Payload payload, PlanTally& tally) {
    uint16_t heightTenths = 0;
    const uint64_t n = prefixedStreamPoints(payload, heightTenths);
    const bool raised = heightTenths != 0;
    const uint64_t t = 3 * atLeast(n, 1) + (raised ? 6 * n : 0);
    tally.polygons += t, tally.normals += t, tally.lines += (raised ? 6 : 2) * n;
    tally.triangleList = tally.writesNormals = true;
}

}  // namespace builders

}  // namespace quorvan
