#include "model/request_plan.h"

#include <algorithm>
#include <cstdint>

#include "model/byte_reader.h"
#include "model/meshory.h"

namespace quorvan::builders {

namespace {

// Points of the vertex stream that starts `skip` bytes into the payload.
uint64_t streamPoints(const std::vector<uint8_t>& bytes, uint64_t skip) {
    if (bytes.size() <= skip) return 0;
    const uint64_t rest = bytes.size() - skip - 1;  // after the encoding byte
    if (bytes[skip] == 0) return rest / 8;
    return rest < 8 ? 0 : 1 + (rest - 8) / 4;
}

// Index count and outline length of an indexed block (0 when malformed).
struct IndexedCounts {
    uint64_t indices = 0;
    uint64_t outline = 0;
    bool raised = false;
};

IndexedCounts indexedCounts(const std::vector<uint8_t>& bytes, uint64_t dims) {
    ByteReader r(bytes.data(), bytes.size());
    uint16_t vertexCount = 0, indexCount = 0, heightTenths = 0;
    uint8_t flags = 0;
    if (!r.read(vertexCount) || vertexCount == 0 || !r.read(indexCount) || !r.read(heightTenths) ||
        !r.read(flags)) {
        return {};
    }
    const uint64_t vertexBytes =
        (flags & 4) ? 4 * dims + 2 * dims * (vertexCount - 1u) : 4 * dims * vertexCount;
    const uint64_t indexBytes = (flags & 1) ? indexCount : 2u * indexCount;
    if (!r.skip(vertexBytes + indexBytes)) return {};
    return {indexCount, (flags & 2) ? r.remaining() : r.remaining() / 2, heightTenths > 0};
}

uint64_t atLeast(uint64_t n, uint64_t k) {
    return n > k ? n - k : 0;
}

}  // namespace

RequestSizes planRequest(std::span<const S_BlobData* const> blobs) {
    namespace bg = blob_geometry;
    uint64_t polygons = 0, normals = 0, lines = 0, points = 0;
    uint64_t strips = 0;     // vertices of flat strips, joins included
    uint64_t transport = 0;  // points merged into the path of railways and roads
    bool triangleList = false, writesNormals = false, pathLines = false;
    for (const S_BlobData* blob : blobs) {
        const std::vector<uint8_t>& b = blob->data;
        switch (blob->type) {
            case bg::TRIANGLE_STRIPS: {
                const uint64_t t = 3 * atLeast(streamPoints(b, 0), 2);
                polygons += t, normals += t, triangleList = writesNormals = true;
                break;
            }
            case bg::INDEXED_TRIANGLE_STRIPS: {
                const IndexedCounts c = indexedCounts(b, 2);
                const uint64_t t = 3 * atLeast(c.indices, 2) + (c.raised ? 6 * c.outline : 0);
                polygons += t, normals += t, lines += 6 * c.outline,
                    triangleList = writesNormals = true;
                break;
            }
            case bg::FLAT_TRIANGLE_STRIP:
                strips += streamPoints(b, 0) + 3;
                break;
            case bg::INDEXED_FLAT_TRIANGLE_STRIPS: {
                const IndexedCounts c = indexedCounts(b, 2);
                strips += c.indices + 3, lines += 2 * atLeast(c.outline, 1);
                break;
            }
            case bg::FLAT_LINE_STRIP:
            case bg::TRAM_PATH:
                lines += 2 * atLeast(streamPoints(b, 1), 1);
                break;
            case bg::LINES:
                lines += streamPoints(b, 0);
                break;
            case bg::INDEXED_LINES:
                lines += indexedCounts(b, 3).indices;
                break;
            case bg::POINTS:
                points += streamPoints(b, 0);
                break;
            case bg::RAILROAD_PATH:
            case bg::ROAD_PATH:
                transport += streamPoints(b, 1), pathLines = true;
                break;
            case bg::BRIDGE:
                transport += streamPoints(b, 1);
                break;
            case bg::FLAT_TRIANGLE_FAN:
            case bg::ON_POLYGON_FLAT_TRIANGLE_FAN: {
                const uint64_t n = streamPoints(b, 0);
                polygons += 3 * atLeast(n, 1), lines += 2 * n, triangleList = true;
                break;
            }
            case bg::TRIANGLE_FAN:
            case bg::ON_POLYGON_TRIANGLE_FAN: {
                const uint64_t n = streamPoints(b, 2);
                const bool raised = b.size() >= 2 && (b[0] | b[1]) != 0;
                const uint64_t t = 3 * atLeast(n, 1) + (raised ? 6 * n : 0);
                polygons += t, normals += t, lines += (raised ? 6 : 2) * n,
                    triangleList = writesNormals = true;
                break;
            }
            default:
                break;
        }
    }
    // A strip becomes triangles once a triangle-list blob converts it.
    polygons += triangleList ? 3 * strips : strips;
    if (writesNormals) normals += 3 * strips;
    if (pathLines) lines += 2 * transport;

    const auto capped = [](uint64_t n) {
        return static_cast<size_t>(std::min<uint64_t>(n, kMaxPlannedEntries));
    };
    return {capped(polygons), capped(normals), capped(lines), capped(points), capped(transport)};
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

void reserveForRequest(std::span<const S_BlobData* const> blobs, S_Model& model) {
    reserveForRequest(planRequest(blobs), model);
}

}  // namespace quorvan::builders
