#include "model/request_plan.h"

#include <algorithm>
#include <cstdint>

#include "model/decode/byte_reader.h"
#include "model/meshory.h"
#include "model/decode/payload.h"

namespace quorvan::builders {

namespace {

// Points of the vertex stream over the whole payload.
uint64_t streamPoints(const std::vector<uint8_t>& bytes) {
    ByteReader r(bytes.data(), bytes.size());
    return readVertexStreamHeader(r).points;
}

// Points of the vertex stream after a prefix P (0 without the prefix); the
// prefix is read into `prefix`.
template <typename P>
uint64_t prefixedStreamPoints(const std::vector<uint8_t>& bytes, P& prefix) {
    ByteReader stream;
    if (!splitPrefixedStream(bytes, prefix, stream)) return 0;
    return readVertexStreamHeader(stream).points;
}

uint64_t widthStreamPoints(const std::vector<uint8_t>& bytes) {
    uint8_t width = 0;
    return prefixedStreamPoints(bytes, width);
}

// Index count and outline length of an indexed block (0 when malformed).
struct IndexedCounts {
    uint64_t indices = 0;
    uint64_t outline = 0;
    bool raised = false;
};

IndexedCounts indexedCounts(const std::vector<uint8_t>& bytes, uint64_t dims) {
    ByteReader r(bytes.data(), bytes.size());
    IndexedBlockHeader h;
    if (!readIndexedBlockHeader(r, h) || !r.skip(h.vertexBytes(dims) + h.indexBytes())) return {};
    return {h.indexCount, h.secondCount(r.remaining()), h.heightTenths > 0};
}

uint64_t atLeast(uint64_t n, uint64_t k) { return n > k ? n - k : 0; }

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
                const uint64_t t = 3 * atLeast(streamPoints(b), 2);
                polygons += t, normals += t, triangleList = writesNormals = true;
                break;
            }
            case bg::INDEXED_TRIANGLE_STRIPS: {
                const IndexedCounts c = indexedCounts(b, 2);
                const uint64_t t = 3 * atLeast(c.indices, 2) + (c.raised ? 6 * c.outline : 0);
                polygons += t, normals += t, lines += 6 * c.outline, triangleList = writesNormals = true;
                break;
            }
            case bg::FLAT_TRIANGLE_STRIP: strips += streamPoints(b) + 3; break;
            case bg::INDEXED_FLAT_TRIANGLE_STRIPS: {
                const IndexedCounts c = indexedCounts(b, 2);
                strips += c.indices + 3, lines += 2 * atLeast(c.outline, 1);
                break;
            }
            case bg::FLAT_LINE_STRIP:
            case bg::TRAM_PATH: lines += 2 * atLeast(widthStreamPoints(b), 1); break;
            case bg::LINES: lines += streamPoints(b); break;
            case bg::INDEXED_LINES: lines += indexedCounts(b, 3).indices; break;
            case bg::POINTS: points += streamPoints(b); break;
            case bg::RAILROAD_PATH:
            case bg::ROAD_PATH: transport += widthStreamPoints(b), pathLines = true; break;
            case bg::BRIDGE: transport += widthStreamPoints(b); break;
            case bg::FLAT_TRIANGLE_FAN:
            case bg::ON_POLYGON_FLAT_TRIANGLE_FAN: {
                const uint64_t n = streamPoints(b);
                polygons += 3 * atLeast(n, 1), lines += 2 * n, triangleList = true;
                break;
            }
            case bg::TRIANGLE_FAN:
            case bg::ON_POLYGON_TRIANGLE_FAN: {
                uint16_t heightTenths = 0;
                const uint64_t n = prefixedStreamPoints(b, heightTenths);
                const bool raised = heightTenths != 0;
                const uint64_t t = 3 * atLeast(n, 1) + (raised ? 6 * n : 0);
                polygons += t, normals += t, lines += (raised ? 6 : 2) * n, triangleList = writesNormals = true;
                break;
            }
            default: break;
        }
    }
    // A strip becomes triangles once a triangle-list blob converts it.
    polygons += triangleList ? 3 * strips : strips;
    if (writesNormals) normals += 3 * strips;
    if (pathLines) lines += 2 * transport;

    const auto capped = [](uint64_t n) { return static_cast<size_t>(std::min<uint64_t>(n, kMaxPlannedEntries)); };
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
