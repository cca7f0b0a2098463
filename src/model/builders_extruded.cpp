// Extruded area builders (INDEXED_TRIANGLE_STRIPS, TRIANGLE_FAN,
// ON_POLYGON_TRIANGLE_FAN) and the wall function. The roof stands at the
// blob's height h (the model's `height`, last blob wins); walls join the
// outline to the ground only when h > 0. Output is a triangle list with flat
// normals (a strip already in the model is converted first and its normals
// recomputed) and the outline as lines, with vertical and ground edges above
// the ground.
//
// Malformed input:
// - A fan payload shorter than its 2-byte height changes nothing: no height
//   was read, so height, modes and lists stay as they were. A payload of the
//   height alone sets height and modes and adds no geometry.
// - An indexed block whose roof index list leaves its vertices adds no roof;
//   one whose outline list leaves them adds no walls and no outline. The
//   height and modes are still set.

#include <span>

#include "geometry/mathglm.h"
#include "model/builders.h"
#include "model/byte_reader.h"
#include "model/outlines.h"
#include "model/payload.h"

namespace quorvan {

using namespace builders;

namespace {

// A strip left by earlier blobs becomes a triangle list with fresh normals,
// so that vertices and normals stay parallel.
void ensureTriangleList(S_GeometryPolygons& polygons) {
    if (polygons.mode != MODE_TRIANGLE_STRIP) return;
    triangleStripToTrianglesInPlace(polygons.vertices);
    polygons.normals.clear();
    appendTriangleNormals(polygons.normals, polygons.vertices);
}

// The triangles appended to the polygon vertices since `first` get their normals.
void finishTriangles(S_GeometryPolygons& polygons, size_t first) {
    appendTriangleNormals(polygons.normals, std::span<const glm::vec3>(polygons.vertices).subspan(first));
    polygons.mode = MODE_TRIANGLES;
}

void addExtrudedFan(S_ModelBlobData* data, bool hasCentre) {
    const auto& bytes = data->blob->data;
    ByteReader reader(bytes.data(), bytes.size());
    uint16_t heightTenths = 0;
    if (!reader.read(heightTenths)) return;
    S_Model* model = data->model;
    const float h = static_cast<float>(heightTenths) / 10.0f;
    model->height = h;
    const auto stream = std::span<const uint8_t>(bytes).subspan(reader.position());
    const auto fan = liftTo(
        extractVertexes(stream.data(), stream.size(), builders::groundOffset(data)),
        h);

    S_GeometryPolygons& polygons = model->polygons;
    ensureTriangleList(polygons);
    const size_t first = polygons.vertices.size();
    appendTriangleFanTriangles(polygons.vertices, fan);  // roof first, then walls
    if (h > 0.0f) appendWallsTrianglesFromTriangleFan(polygons.vertices, fan, hasCentre);
    finishTriangles(polygons, first);

    appendStrokeLinesFromTrianglesFan(model->lines.vertices, fan, hasCentre);
    model->lines.mode = MODE_LINES;
}

}  // namespace

void appendWallsTrianglesFromTriangleFan(std::vector<glm::vec3>& out, const std::vector<glm::vec3>& fan,
                                         bool hasCentre) {
    //  p------c     roof edge, from the previous outline vertex p to c
    //  |   /  |     (c, p, gp) and (c, gp, gc)
    //  gp-----gc    on the ground
    const auto wall = [&out](const glm::vec3& c, const glm::vec3& p) {
        const glm::vec3 gp = ground(p);
        out.insert(out.end(), {c, p, gp, c, gp, ground(c)});
    };
    reserveToAppend(out, 6 * fanRingSize(fan, hasCentre));
    forEachFanEdge(fan, hasCentre, wall);
}

std::vector<glm::vec3> getWallsTrianglesFromTriangleFan(const std::vector<glm::vec3>& fan,
                                                        bool hasCentre) {
    std::vector<glm::vec3> out;
    appendWallsTrianglesFromTriangleFan(out, fan, hasCentre);
    return out;
}

namespace builders {

void modelTriangleFan(S_ModelBlobData* data) {
    addExtrudedFan(data, true);
}

void modelOnPolygonTriangleFan(S_ModelBlobData* data) {
    addExtrudedFan(data, false);
}

void modelIndexedTriangleStrips(S_ModelBlobData* data) {
    const auto& bytes = data->blob->data;
    S_Model* model = data->model;
    model->height = 0.0f;
    ensureTriangleList(model->polygons);

    std::vector<glm::vec2> decoded;
    std::vector<uint16_t> roof;
    std::vector<uint16_t> outline;
    extractIndexedVertexes(bytes.data(), bytes.size(), builders::groundOffset(data),
                           decoded, roof, outline, model->height);
    const float h = model->height;
    const auto v = liftTo(decoded, h);
    // The outline is read by index below; a list that leaves the vertices is
    // dropped as a whole, like every other index list.
    const bool hasOutline = !v.empty() && !outline.empty() && indicesInRange(outline, v.size());
    const size_t m = outline.size();
    const auto at = [&](size_t j) -> const glm::vec3& { return v[outline[j]]; };
    const bool ringOpen = hasOutline && !isSameVertex(at(0), at(m - 1));

    S_GeometryPolygons& polygons = model->polygons;
    const size_t first = polygons.vertices.size();
    appendTriangleStripTriangles(polygons.vertices, v, roof);
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
        appendTriangleStripTriangles(polygons.vertices, wall);
    }
    finishTriangles(polygons, first);

    if (hasOutline) {
        std::vector<glm::vec3>& lines = model->lines.vertices;
        reserveToAppend(lines, 6 * m);
        if (ringOpen) makeStrokeFromLine(lines, at(m - 1), at(0));
        for (size_t j = 1; j < m; ++j) makeStrokeFromLine(lines, at(j - 1), at(j));
    }
    model->lines.mode = MODE_LINES;
}

}  // namespace builders

}  // namespace quorvan
