// Line builders: LINES, INDEXED_LINES and FLAT_LINE_STRIP. Each appends a
// line list (two vertices per segment) to the model's `lines` and sets
// `lines.mode` to 1; nothing else of the model is touched except where noted.
//
// Malformed input:
// - LINES with an odd number of points, and INDEXED_LINES with an odd number
//   of indices, drop the dangling last vertex so the line list stays pairs.
// - INDEXED_LINES with any index beyond its vertex list adds no segment (the
//   index list is malformed as a whole); the height and mode are still set.
// - FLAT_LINE_STRIP without its width byte (empty payload) changes nothing:
//   no width was read, so neither width nor mode is written. A payload of the
//   width byte alone sets width and mode and adds no segment.

#include "geometry/mathglm.h"
#include "model/builders/builders.h"

namespace quorvan::builders {

void modelLines(const BlobView& blob, const RequestContext& request) {
    const auto points = decodeStream(request, blob.payload);
    auto& lines = request.model.lines;
    // The points are already a line list; an odd last point has no partner.
    const size_t count = points.size() - points.size() % 2;
    reserveToAppend(lines.vertices, count);
    for (size_t i = 0; i < count; ++i) lines.vertices.emplace_back(points[i], 0.0f);
    lines.mode = MODE_LINES;
}

void modelIndexedLines(const BlobView& blob, const RequestContext& request) {
    const auto block = decodeIndexedBlock<glm::vec3>(request, blob.payload);
    const auto& vertices = block.vertices;
    const auto& indices = block.indices;
    S_Model* model = &request.model;
    // Gathered straight into the model; an odd last index has no partner.
    if (indicesInRange(indices, vertices.size())) {
        std::vector<glm::vec3>& lines = model->lines.vertices;
        const size_t count = indices.size() - indices.size() % 2;
        reserveToAppend(lines, count);
        for (size_t i = 0; i < count; ++i) lines.push_back(vertices[indices[i]]);
    }
    model->lines.mode = MODE_LINES;
}

void modelFlatLineStrip(const BlobView& blob, const RequestContext& request) {
    uint8_t width = 0;
    std::vector<glm::vec2> points;
    if (!decodePrefixedStream(request, blob.payload, width, points)) return;
    auto& lines = request.model.lines;
    appendLineStripLines(lines.vertices, liftTo(points, 0.0f));
    lines.mode = MODE_LINES;
    lines.width = static_cast<float>(width);
}

void planLines(Payload payload, PlanTally& tally) {
    tally.lines += streamPoints(payload);
}

void planIndexedLines(Payload payload, PlanTally& tally) {
    tally.lines += indexedCounts(payload, 3).indices;
}

void planFlatLineStrip(Payload payload, PlanTally& tally) {
    tally.lines += 2 * atLeast(widthStreamPoints(payload), 1);
}

}  // namespace quorvan::builders
