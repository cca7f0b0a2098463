// Flat area builders (TRIANGLE_STRIPS, FLAT_TRIANGLE_STRIP,
// INDEXED_FLAT_TRIANGLE_STRIPS, FLAT_TRIANGLE_FAN,
// ON_POLYGON_FLAT_TRIANGLE_FAN, CELL_POLYGON) and the outline functions.
//
// The polygon record's mode is the state carried from blob to blob of one
// model: a strip (5) keeps growing by degenerate joins until some blob needs
// a triangle list (4), which converts it once; after that everything appends
// triangles. Only TRIANGLE_STRIPS writes normals (and recomputes them for a
// converted strip); the flat builders write none, so `normals` may end up
// shorter than `vertices`. CELL_POLYGON replaces the vertices by the cell's
// square strip and leaves normals, lines and height as they were. Vertices
// of 2D streams are lifted to z = 0.
//
// Malformed input: an empty or too short stream adds nothing but the modes
// are still set. An indexed block whose strip (or outline) index list holds
// an index beyond its vertices adds no triangle (no outline) for that list;
// the other list is still used.

#include <span>

#include "geometry/mathglm.h"
#include "grid/grid.h"
#include "model/builders.h"
#include "model/outlines.h"
#include "model/payload.h"

namespace quorvan {

using namespace builders;

namespace {

// The whole payload as one vertex stream, at ground level.
std::vector<glm::vec3> decodeGroundStream(const S_ModelBlobData* data) {
    const auto& bytes = data->blob->data;
    return liftTo(extractVertexes(bytes.data(), bytes.size(), groundOffset(data)), 0.0f);
}

// Adds a strip to a polygon record without normals: joined to the strip
// already there, or as triangles once the record holds a triangle list.
void addFlatStrip(S_GeometryPolygons& polygons, const std::vector<glm::vec3>& strip) {
    if (polygons.mode == MODE_TRIANGLES) {
        appendTriangleStripTriangles(polygons.vertices, strip);
        return;
    }
    mergeTriangleStripsInPlace(polygons.vertices, strip);
    polygons.mode = MODE_TRIANGLE_STRIP;
}

void addFlatFan(S_ModelBlobData* data, bool hasCentre) {
    const auto fan = decodeGroundStream(data);
    auto& polygons = data->model->polygons;
    // Normals stay as they were: this fan adds none of its own either.
    if (polygons.mode == MODE_TRIANGLE_STRIP) triangleStripToTrianglesInPlace(polygons.vertices);
    appendTriangleFanTriangles(polygons.vertices, fan);
    polygons.mode = MODE_TRIANGLES;
    auto& lines = data->model->lines;
    appendStrokeLinesFromTrianglesFan(lines.vertices, fan, hasCentre);
    lines.mode = MODE_LINES;
}

}  // namespace

void makeStrokeFromLine(std::vector<glm::vec3>& out, const glm::vec3& a, const glm::vec3& b) {
    out.push_back(a);
    out.push_back(b);
    if (a.z > 0.0f) {
        out.push_back(ground(a));
        out.push_back(a);
        out.push_back(ground(a));
        out.push_back(ground(b));
    }
}

void appendStrokeLinesFromTrianglesFan(std::vector<glm::vec3>& out, const std::vector<glm::vec3>& fan,
                                       bool hasCentre) {
    // At most one edge per outline vertex, six vertices per raised edge.
    reserveToAppend(out, 6 * fanRingSize(fan, hasCentre));
    forEachFanEdge(fan, hasCentre,
                   [&out](const glm::vec3& c, const glm::vec3& p) { makeStrokeFromLine(out, c, p); });
}

std::vector<glm::vec3> makeStrokeLinesFromTrianglesFan(const std::vector<glm::vec3>& fan,
                                                       bool hasCentre) {
    std::vector<glm::vec3> out;
    appendStrokeLinesFromTrianglesFan(out, fan, hasCentre);
    return out;
}

namespace builders {

void modelTriangleStrips(S_ModelBlobData* data) {
    const auto strip = decodeGroundStream(data);
    auto& polygons = data->model->polygons;
    if (polygons.mode == MODE_TRIANGLE_STRIP) {
        // The strip's storage is kept (it was sized for the whole request).
        triangleStripToTrianglesInPlace(polygons.vertices);
        polygons.normals.clear();
        appendTriangleNormals(polygons.normals, polygons.vertices);
    }
    const size_t first = polygons.vertices.size();
    appendTriangleStripTriangles(polygons.vertices, strip);
    appendTriangleNormals(polygons.normals, std::span<const glm::vec3>(polygons.vertices).subspan(first));
    polygons.mode = MODE_TRIANGLES;
}

void modelFlatTriangleStrip(S_ModelBlobData* data) {
    addFlatStrip(data->model->polygons, decodeGroundStream(data));
}

void modelIndexedFlatTriangleStrip(S_ModelBlobData* data) {
    const auto& bytes = data->blob->data;
    S_Model* model = data->model;
    model->height = 0.0f;
    std::vector<glm::vec2> decoded;
    std::vector<uint16_t> strip;
    std::vector<uint16_t> outline;
    // The block's height is kept in the model but not applied: this area is flat.
    extractIndexedVertexes(bytes.data(), bytes.size(), builders::groundOffset(data),
                           decoded, strip, outline, model->height);
    const auto vertices = liftTo(decoded, 0.0f);
    // Both conversions yield nothing for an index list that leaves the vertices.
    addFlatStrip(model->polygons, triangleStripUnindexed(vertices, strip));
    appendLineStripLines(model->lines.vertices, vertices, outline);
    model->lines.mode = MODE_LINES;
}

void modelFlatTriangleFan(S_ModelBlobData* data) {
    addFlatFan(data, true);
}

void modelOnPolygonFlatTriangleFan(S_ModelBlobData* data) {
    addFlatFan(data, false);
}

void modelCellPolygon(S_ModelBlobData* data) {
    const Grid& g = grid();
    int x = 0;
    int y = 0;
    Grid::indexToXy(data->blob->cellIndex, &x, &y);
    const float size = static_cast<float>(g.cellSize());
    const glm::vec3& origin = data->origin;
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
    // 2---3   strip 0 1 2, 2 1 3: both triangles counter-clockwise from +z
    // | \ |
    // 0---1
    auto& polygons = data->model->polygons;
    polygons.vertices.resize(4);
    polygons.vertices[0] = {cx, cy, cz};
    polygons.vertices[1] = {cx + side, cy, cz};
    polygons.vertices[2] = {cx, cy + side, cz};
    polygons.vertices[3] = {cx + side, cy + side, cz};
    polygons.mode = MODE_TRIANGLE_STRIP;
}

}  // namespace builders

}  // namespace quorvan
