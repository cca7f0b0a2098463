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

#include <span>

#include "geometry/mathglm.h"
#include "model/builders.h"
#include "model/byte_reader.h"
#include "model/payload.h"

namespace quorvan::builders {

namespace {

}  // namespace

void modelLines(S_ModelBlobData* data) {
    const auto& bytes = data->blob->data;
    const auto points = extractVertexes(bytes.data(), bytes.size(), groundOffset(data));
    auto& lines = data->model->lines;
    // The points are already a line list; an odd last point has no partner.
    const size_t count = points.size() - points.size() % 2;
    reserveToAppend(lines.vertices, count);
    for (size_t i = 0; i < count; ++i) lines.vertices.emplace_back(points[i], 0.0f);
    lines.mode = MODE_LINES;
}

void modelIndexedLines(S_ModelBlobData* data) {
    const auto& bytes = data->blob->data;
    S_Model* model = data->model;
    model->height = 0.0f;
    std::vector<glm::vec3> vertices;
    std::vector<uint16_t> indices;
    std::vector<uint16_t> unused;
    extractIndexedVertexes(bytes.data(), bytes.size(), data->origin, vertices, indices, unused,
                           model->height);
    // Gathered straight into the model; an odd last index has no partner.
    if (indicesInRange(indices, vertices.size())) {
        std::vector<glm::vec3>& lines = model->lines.vertices;
        const size_t count = indices.size() - indices.size() % 2;
        reserveToAppend(lines, count);
        for (size_t i = 0; i < count; ++i) lines.push_back(vertices[indices[i]]);
    }
    model->lines.mode = MODE_LINES;
}

void modelFlatLineStrip(S_ModelBlobData* data) {
    const auto& bytes = data->blob->data;
    ByteReader reader(bytes.data(), bytes.size());
    uint8_t width = 0;
    if (!reader.read(width)) return;
    const auto stream = std::span<const uint8_t>(bytes).subspan(reader.position());
    const auto points = extractVertexes(stream.data(), stream.size(), groundOffset(data));
    std::vector<glm::vec3> strip;
    strip.reserve(points.size());
    for (const auto& p : points) strip.emplace_back(p, 0.0f);
    auto& lines = data->model->lines;
    appendLineStripLines(lines.vertices, strip);
    lines.mode = MODE_LINES;
    lines.width = static_cast<float>(width);
}

}  // namespace quorvan::builders
