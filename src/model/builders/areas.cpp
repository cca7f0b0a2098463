// Flat area builders (TRIANGLE_STRIPS, FLAT_TRIANGLE_STRIP,
// INDEXED_FLAT_TRIANGLE_STRIPS, FLAT_TRIANGLE_FAN,
// ON_POLYGON_FLAT_TRIANGLE_FAN, CELL_POLYGON).
//
// The strip-or-list state of the polygon record is model/builders/polygon_modes.h's:
// the flat strips join while the record is not a triangle list, and
// TRIANGLE_STRIPS and the fans append triangles. Only TRIANGLE_STRIPS writes
// normals. CELL_POLYGON replaces the vertices by the cell's square strip and
// leaves normals, lines and height as they were; a cell the grid does not
// have (no grid set up, a cell outside it) adds nothing. Vertices of 2D
// streams are lifted to z = 0.
//
// Malformed input: an empty or too short stream adds nothing but the modes
// are still set. An indexed block whose strip (or outline) index list holds
// an index beyond its vertices adds no triangle (no outline) for that list;
// the other list is still used.

#include <cmath>

#include "geometry/mathglm.h"
#include "grid/grid.h"
#include "model/builders/builders.h"
#include "model/builders/outlines.h"
#include "model/builders/polygon_modes.h"

namespace quorvan {

using namespace builders;

namespace {

// The whole payload as one vertex stream, at ground level.
std::vector<glm::vec3> decodeGroundStream(const RequestContext& request, Payload payload) {
    return liftTo(decodeStream(request, payload), 0.0f);
}

void addFlatFan(const BlobView& blob, const RequestContext& request, bool hasCentre) {
    const auto fan = decodeGroundStream(request, blob.payload);
    // Normals stay as they were: this fan adds none of its own either.
    TriangleAppend triangles(request.model.polygons, TriangleAppend::Normals::Kept);
    appendTriangleFanTriangles(triangles.vertices(), fan);
    triangles.close();
    auto& lines = request.model.lines;
    appendStrokeLinesFromTrianglesFan(lines.vertices, fan, hasCentre);
    lines.mode = MODE_LINES;
}

}  // namespace

namespace builders {

void modelTriangleStrips(const BlobView& blob, const RequestContext& request) {
    const auto strip = decodeGroundStream(request, blob.payload);
    TriangleAppend triangles(request.model.polygons, TriangleAppend::Normals::Flat);
    appendTriangleStripTriangles(triangles.vertices(), strip);
    triangles.close();
}

void modelFlatTriangleStrip(const BlobView& blob, const RequestContext& request) {
    appendFlatStrip(request.model.polygons, decodeGroundStream(request, blob.payload));
}

void modelIndexedFlatTriangleStrip(const BlobView& blob, const RequestContext& request) {
    S_Model* model = &request.model;
    // The block's height is kept in the model but not applied: this area is flat.
    const auto block = decodeIndexedBlock<glm::vec2>(request, blob.payload);
    const auto vertices = liftTo(block.vertices, 0.0f);
    // Both conversions yield nothing for an index list that leaves the vertices.
    appendFlatStrip(model->polygons, triangleStripUnindexed(vertices, block.indices));
    appendLineStripLines(model->lines.vertices, vertices, block.secondIndices);
    model->lines.mode = MODE_LINES;
}

void modelFlatTriangleFan(const BlobView& blob, const RequestContext& request) {
    addFlatFan(blob, request, true);
}

void modelOnPolygonFlatTriangleFan(const BlobView& blob, const RequestContext& request) {
    addFlatFan(blob, request, false);
}

void modelCellPolygon(const BlobView& blob, const RequestContext& request) {
    const Grid& g = grid();
    // Before the grid is set up, or for a cell outside it, there is no cell
    // to draw: the blob adds nothing.
    if (!g.hasCell(blob.cellIndex)) return;
    int x = 0;
    int y = 0;
    Grid::indexToXy(blob.cellIndex, &x, &y);
    const float size = static_cast<float>(g.cellSize());
    const glm::vec3& origin = request.origin;
    // The cell corner is placed in double so that a far-off grid start keeps
    // its precision until the origin is taken off; the square overlaps the
    // cell by 5 units on every side so that neighbouring cells leave no seam.
    const float cx =
        static_cast<float>(static_cast<double>(static_cast<float>(x) * size) + g.bounds().x1) -
        (origin.x + 5.0f);
    const float cy =
        static_cast<float>(static_cast<double>(static_cast<float>(y) * size) + g.bounds().y1) -
        (origin.y + 5.0f);
    const float cz = 0.0f - origin.z;
    const float side = size + 10.0f;
    // A grid or origin beyond float range leaves no finite square either.
    if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(cz) ||
        !std::isfinite(cx + side) || !std::isfinite(cy + side)) {
        return;
    }
    // 2---3   strip 0 1 2, 2 1 3: both triangles counter-clockwise from +z
    // | \ |
    // 0---1
    auto& polygons = request.model.polygons;
    polygons.vertices.resize(4);
    polygons.vertices[0] = {cx, cy, cz};
    polygons.vertices[1] = {cx + side, cy, cz};
    polygons.vertices[2] = {cx, cy + side, cz};
    polygons.vertices[3] = {cx + side, cy + side, cz};
    markTriangleStrip(polygons);
}

void planTriangleStrips(Payload payload, PlanTally& tally) {
    const uint64_t t = 3 * atLeast(streamPoints(payload), 2);
    tally.polygons += t, tally.normals += t;
    tally.triangleList = tally.writesNormals = true;
}

void planFlatTriangleStrip(Payload payload, PlanTally& tally) {
    tally.strips += streamPoints(payload) + 3;
}

void planIndexedFlatTriangleStrip(Payload payload, PlanTally& tally) {
    const IndexedCounts c = indexedCounts(payload, 2);
    tally.strips += c.indices + 3;
    tally.lines += 2 * atLeast(c.outline, 1);
}

void planFlatTriangleFan(Payload payload, PlanTally& tally) {
    const uint64_t n = streamPoints(payload);
    tally.polygons += 3 * atLeast(n, 1), tally.lines += 2 * n;
    tally.triangleList = true;
}

}  // namespace builders

}  // namespace quorvan
