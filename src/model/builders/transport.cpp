// Builders of the transport types: railways, tram lines, roads and bridges.
//
// Railways, roads and bridges glue each blob's polyline onto the model's one
// merged path (`paths`) and regenerate their whole output from it, so that
// pieces whose ends meet draw as one line; tram lines append blob by blob.
// Within a model request the regeneration is deferred and the path kept in a
// two-ended buffer (see transport_request.h); a builder called on its own is
// a request of one blob.

#include <cstdint>
#include <span>
#include <vector>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include "geometry/mathglm.h"
#include "geometry/texturedline.h"
#include "model/builders/builders.h"
#include "model/builders/merge_lines.h"
#include "model/builders/polygon_modes.h"
#include "model/builders/transport_request.h"

namespace quorvan::builders {

namespace {

constexpr float MERGE_TOLERANCE = 1.0f;
constexpr float RAILWAY_WIDTH = 3.0f;
// A bridge's edges run this far outside its width code.
constexpr float BRIDGE_MARGIN = 2.0f;
constexpr float BRIDGE_LINE_WIDTH = 2.0f;
constexpr float BRIDGE_TEXTURE_LENGTH = 1.0f;
constexpr unsigned long BRIDGE_CAP_SEGMENTS = 1;

// The line list of the whole merged path, lifted to z = 0 by the toolkit's
// line-strip rule. Whatever the model's lines held before is replaced; their
// storage is reused.
void rebuildPathLines(S_Model& model, std::span<const glm::vec2> path) {
    model.lines.vertices.clear();
    appendLineStripLines(model.lines.vertices, path, 0.0f);
}

// Edge polylines of a bridge: the centre line's left and right offsets scaled
// to `offset`. Where two segments do not share their offsets at a joint, both
// corners enter, in travel order (the previous segment's end first), so the
// band does not fold back on itself.
void bridgeEdges(std::span<const glm::vec2> path, float offset, std::vector<glm::vec2>& left,
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
void rebuildBridgeBands(S_Model& model, std::span<const glm::vec2> path, float offset) {
    std::vector<glm::vec2> leftEdge, rightEdge;
    bridgeEdges(path, offset, leftEdge, rightEdge);
    C_TexturedLine left, right;
    left.createLine(leftEdge, BRIDGE_TEXTURE_LENGTH, BRIDGE_CAP_SEGMENTS);
    right.createLine(rightEdge, BRIDGE_TEXTURE_LENGTH, BRIDGE_CAP_SEGMENTS);
    model.polygons.vertices.assign(left.getVertexes().begin(), left.getVertexes().end());
    mergeTriangleStripsInPlace(model.polygons.vertices, right.getVertexes());
    model.polygons.normals.assign(left.getNormals().begin(), left.getNormals().end());
    mergeTriangleStripsInPlace(model.polygons.normals, right.getNormals());
}

}  // namespace

TransportRequest::TransportRequest(S_Model& model) : model(model), path(std::move(model.paths)) {}

TransportRequest::~TransportRequest() {
    // Unwinding or not, the model gets its path back (release() cannot fail).
    if (!finished) model.paths = path.release();
}

void TransportRequest::build(TransportRole role, const BlobView& blob,
                             const RequestContext& request) {
    uint8_t prefix = 0;
    std::vector<glm::vec2> line;
    if (!decodePrefixedStream(request, blob.payload, prefix, line)) return;
    const Pending kind = role == TransportRole::Bridge ? Pending::BridgeBands : Pending::PathLines;
    // The other kind's regeneration must see the path as it was before this blob.
    if (pending != kind) flush();
    merge_detail::mergeInto(line, path, MERGE_TOLERANCE);
    pending = kind;
    if (kind == Pending::BridgeBands) {
        bridgeOffset = static_cast<float>(prefix) + BRIDGE_MARGIN;
        // The bands replace the polygons at the next flush.
        markTriangleStrip(model.polygons);
        model.lines.width = BRIDGE_LINE_WIDTH;
        return;
    }
    // The polygons are untouched.
    claimTriangleStripIfEmpty(model.polygons);
    model.lines.mode = MODE_LINES;
    model.lines.width = role == TransportRole::Road ? static_cast<float>(prefix) : RAILWAY_WIDTH;
}

void TransportRequest::flush() {
    if (pending == Pending::PathLines) rebuildPathLines(model, path.points());
    if (pending == Pending::BridgeBands) rebuildBridgeBands(model, path.points(), bridgeOffset);
    pending = Pending::None;
}

void TransportRequest::finish() {
    flush();
    model.paths = path.release();
    finished = true;
}

namespace {

void buildAlone(TransportRole role, const BlobView& blob, const RequestContext& request) {
    TransportRequest transport(request.model);
    transport.build(role, blob, request);
    transport.finish();
}

}  // namespace

void modelRailroad(const BlobView& blob, const RequestContext& request) {
    buildAlone(TransportRole::Railway, blob, request);
}

void modelRoadPath(const BlobView& blob, const RequestContext& request) {
    buildAlone(TransportRole::Road, blob, request);
}

void modelTramPath(const BlobView& blob, const RequestContext& request) {
    uint8_t width = 0;
    std::vector<glm::vec2> line;
    if (!decodePrefixedStream(request, blob.payload, width, line)) return;
    S_Model& model = request.model;
    appendLineStripLines(model.lines.vertices, liftTo(line, 0.0f));
    model.lines.mode = MODE_LINES;
    model.lines.width = static_cast<float>(width);
}

void modelBridge(const BlobView& blob, const RequestContext& request) {
    buildAlone(TransportRole::Bridge, blob, request);
}

void planPathLines(Payload payload, PlanTally& tally) {
    tally.transport += widthStreamPoints(payload);
    tally.pathLines = true;
}

void planBridge(Payload payload, PlanTally& tally) {
    tally.transport += widthStreamPoints(payload);
}

}  // namespace quorvan::builders
