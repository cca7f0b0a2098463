// Builders of the transport types: railways, tram lines, roads and bridges.
//
// Railways, roads and bridges glue each blob's polyline onto the model's one
// merged path (`paths`) and regenerate their whole output from it, so that
// pieces whose ends meet draw as one line; tram lines append blob by blob.
// The regeneration is kept in one function per output (rebuildPathLines,
// rebuildBridgeBands) so that it can later run once per model instead of once
// per blob.

#include <cstdint>
#include <span>
#include <vector>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include "factory/factory_utils.h"
#include "geometry/mathglm.h"
#include "geometry/texturedline.h"
#include "model/builders.h"
#include "model/payload.h"

namespace quorvan::builders {

namespace {

constexpr float MERGE_TOLERANCE = 1.0f;
constexpr float RAILWAY_WIDTH = 3.0f;
// A bridge's edges run this far outside its width code.
constexpr float BRIDGE_MARGIN = 2.0f;
constexpr float BRIDGE_LINE_WIDTH = 2.0f;
constexpr float BRIDGE_TEXTURE_LENGTH = 1.0f;
constexpr unsigned long BRIDGE_CAP_SEGMENTS = 1;

constexpr uint32_t MODE_LINES = 1;
constexpr uint32_t MODE_TRIANGLE_STRIP = 5;

// The bytes after a fixed-size prefix; empty when the payload is shorter.
std::span<const uint8_t> afterPrefix(const std::vector<uint8_t>& bytes, size_t prefix) {
    if (bytes.size() < prefix) return {};
    return std::span<const uint8_t>(bytes).subspan(prefix);
}

// One transport payload: a u8 prefix, then a vertex stream. False (and
// nothing decoded) when even the prefix byte is missing.
bool decodeTransport(const S_ModelBlobData& data, uint8_t& prefix, std::vector<glm::vec2>& line) {
    const std::vector<uint8_t>& bytes = data.blob->data;
    if (bytes.empty()) return false;
    prefix = bytes.front();
    const std::span<const uint8_t> stream = afterPrefix(bytes, 1);
    line = extractVertexes(stream.data(), stream.size(), glm::vec2(data.origin.x, data.origin.y));
    return true;
}

std::vector<glm::vec3> lifted(const std::vector<glm::vec2>& points) {
    std::vector<glm::vec3> out;
    out.reserve(points.size());
    for (const auto& p : points) out.emplace_back(p, 0.0f);
    return out;
}

// The line list is regenerated from the whole merged path; whatever the
// model's lines held before is replaced.
void rebuildPathLines(S_Model& model) { model.lines.vertices = lineStripToLines(lifted(model.paths)); }

// Edge polylines of a bridge: the centre line's left and right offsets scaled
// to `offset`. Where two segments do not share their offsets at a joint, both
// corners enter, in travel order (the previous segment's end first), so the
// band does not fold back on itself.
void bridgeEdges(const std::vector<glm::vec2>& path, float offset, std::vector<glm::vec2>& left,
                 std::vector<glm::vec2>& right) {
    if (path.size() < 2) return;
    C_TexturedLine centre;
    centre.createLine(path, 1.0f, 0);
    // Four entries per segment: start-left, start-right, end-left, end-right.
    const std::vector<glm::vec3>& v = centre.getVertexes();
    const std::vector<glm::vec3>& n = centre.getNormals();
    const auto edge = [&](size_t i) { return glm::vec2(n[i] * offset + v[i]); };
    // Exact comparison: the textured line copies shared offsets bit for bit.
    const auto differ = [&](size_t i, size_t j) { return !(n[i].x == n[j].x && n[i].y == n[j].y); };
    for (size_t s = 0; s < v.size(); s += 4) {
        if (s > 0 && differ(s, s - 2)) left.push_back(edge(s - 2));
        if (s > 0 && differ(s + 1, s - 1)) right.push_back(edge(s - 1));
        left.push_back(edge(s));
        right.push_back(edge(s + 1));
    }
    if (!v.empty()) {
        left.push_back(edge(v.size() - 2));
        right.push_back(edge(v.size() - 1));
    }
}

// Replaces the model's polygons with the two edge bands of the merged path,
// joined into one strip. The normals follow the vertices' layout, so normal i
// is the offset of vertex i.
void rebuildBridgeBands(S_Model& model, float offset) {
    std::vector<glm::vec2> leftEdge, rightEdge;
    bridgeEdges(model.paths, offset, leftEdge, rightEdge);
    C_TexturedLine left, right;
    left.createLine(leftEdge, BRIDGE_TEXTURE_LENGTH, BRIDGE_CAP_SEGMENTS);
    right.createLine(rightEdge, BRIDGE_TEXTURE_LENGTH, BRIDGE_CAP_SEGMENTS);
    model.polygons.vertices = mergeTriangleStrips(left.getVertexes(), right.getVertexes());
    model.polygons.normals = mergeTriangleStrips(left.getNormals(), right.getNormals());
}

// Railways and roads: merge, regenerate the line list, set its width.
void buildMergedLines(S_ModelBlobData* data, bool widthFromPayload) {
    uint8_t prefix = 0;
    std::vector<glm::vec2> line;
    if (!decodeTransport(*data, prefix, line)) return;
    S_Model& model = *data->model;
    mergeLines(line, model.paths, MERGE_TOLERANCE);
    rebuildPathLines(model);
    // The polygons are untouched; their mode is claimed only while the model
    // holds none, so triangle lists of another builder keep reading as such.
    if (model.polygons.vertices.empty()) model.polygons.mode = MODE_TRIANGLE_STRIP;
    model.lines.mode = MODE_LINES;
    model.lines.width = widthFromPayload ? static_cast<float>(prefix) : RAILWAY_WIDTH;
}

}  // namespace

void modelRailroad(S_ModelBlobData* data) { buildMergedLines(data, false); }

void modelRoadPath(S_ModelBlobData* data) { buildMergedLines(data, true); }

void modelTramPath(S_ModelBlobData* data) {
    uint8_t width = 0;
    std::vector<glm::vec2> line;
    if (!decodeTransport(*data, width, line)) return;
    S_Model& model = *data->model;
    appendInPlace(model.lines.vertices, lineStripToLines(lifted(line)));
    model.lines.mode = MODE_LINES;
    model.lines.width = static_cast<float>(width);
}

void modelBridge(S_ModelBlobData* data) {
    uint8_t widthCode = 0;
    std::vector<glm::vec2> line;
    if (!decodeTransport(*data, widthCode, line)) return;
    S_Model& model = *data->model;
    mergeLines(line, model.paths, MERGE_TOLERANCE);
    rebuildBridgeBands(model, static_cast<float>(widthCode) + BRIDGE_MARGIN);
    model.polygons.mode = MODE_TRIANGLE_STRIP;
    model.lines.width = BRIDGE_LINE_WIDTH;
}

}  // namespace quorvan::builders
