// What a host gets from the San Francisco sample, checked as properties over
// every model: every float finite, every normal a unit vector, and bridges
// that draw (their bands have area, save the joins between and inside them).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include <glm/geometric.hpp>

#include "inspect/replay.h"
#include "model/host_output.h"
#include "model/meshory.h"
#include "model/tile.h"
#include "pack/blob_pack.h"
#include "support/payload_writer.h"

namespace quorvan {
namespace {

bool finite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

struct SampleTile {
    pack::BlobPack pack;
    std::vector<uint8_t> block;
    std::vector<S_TileRequest> requests;
    std::vector<int32_t> firstType;  // per request
    // A tile has one origin: the sample's requests grouped by theirs (one
    // group a cell), each request with its index in the pack.
    std::vector<std::vector<S_TileRequest>> tiles;
    std::vector<std::vector<size_t>> packIndex;

    SampleTile() {
        pack::PackError error;
        EXPECT_TRUE(pack::readBlobPackFile(MESHORY_SAMPLE_PACK, pack, error)) << error.message;
        inspect::setUpGrid(pack.grid);
        meshory_test::ByteWriter w;
        uint32_t record = 0;
        for (const pack::PackRequest& q : pack.requests) {
            const auto count = static_cast<uint32_t>(q.blobs.size());
            requests.push_back({record, count, q.x, q.y});
            firstType.push_back(q.blobs.empty() ? 0 : q.blobs[0].type);
            for (const S_BlobData& b : q.blobs)
                meshory_test::appendRecord(w, b.id, b.type, b.layerId, b.cellIndex, b.data);
            record += count;
        }
        block = w.bytes;
        for (size_t r = 0; r < requests.size(); ++r) {
            size_t t = 0;
            while (t < tiles.size() &&
                   (tiles[t][0].x != requests[r].x || tiles[t][0].y != requests[r].y))
                ++t;
            if (t == tiles.size()) {
                tiles.emplace_back();
                packIndex.emplace_back();
            }
            tiles[t].push_back(requests[r]);
            packIndex[t].push_back(r);
        }
    }
    int64_t records() const {
        return static_cast<int64_t>(requests.back().firstRecord) + requests.back().recordCount;
    }
};

const SampleTile& sample() {
    static const SampleTile tile;
    return tile;
}

// The model's own normals and every float of the tile, all flags on: no NaN
// or infinity anywhere, and every normal of unit length.
TEST(SampleOutput, EveryFloatIsFiniteAndEveryNormalUnit) {
    const SampleTile& s = sample();
    C_Meshory maker;
    size_t polygonNormals = 0;
    for (const pack::PackRequest& q : s.pack.requests) {
        const S_Model* m =
            maker.makeModel(q.blobs, glm::vec3(float(q.x), float(q.y), 0), LoadFilter(0));
        if (!m) continue;
        for (const glm::vec3& n : m->polygons.normals) {
            ASSERT_TRUE(finite(n)) << "model " << m->id;
            ++polygonNormals;
        }
        maker.releaseModel(m);
    }
    EXPECT_GT(polygonNormals, 700000u);

    for (const uint32_t flags : {tile_flags::NORMALS, tile_flags::ALL}) {
        for (const std::vector<S_TileRequest>& requests : s.tiles) {
            C_Tile tile;
            ASSERT_TRUE(maker.buildTile(s.block, s.records(), requests, flags, tile).ok);
            std::vector<glm::vec3> out(tile.vertexCount());
            ASSERT_EQ(tile.write(out.data(), out.size() * sizeof(glm::vec3)), tile.floatCount());
            size_t bad = 0;
            for (const glm::vec3& v : out) bad += !finite(v);
            EXPECT_EQ(bad, 0u) << flags;
            for (size_t i = tile.normalsFirst(); i < out.size(); ++i)
                ASSERT_NEAR(glm::length(out[i]), 1.0f, 1e-5f) << i;
        }
    }
}

// With BRIDGE_BANDS every bridge triangle has area except the strip joins
// and the repeated entries of the round caps, each of which repeats a
// vertex; without it (the array getters' floats) none has.
TEST(SampleOutput, BridgeBandsHaveAreaButTheirJoins) {
    const SampleTile& s = sample();
    C_Meshory maker;
    size_t withArea = 0, joins = 0;
    for (size_t t = 0; t < s.tiles.size(); ++t) {
        C_Tile tile;
        ASSERT_TRUE(
            maker.buildTile(s.block, s.records(), s.tiles[t], tile_flags::BRIDGE_BANDS, tile).ok);
        std::vector<glm::vec3> out(tile.vertexCount());
        tile.write(out.data(), out.size() * sizeof(glm::vec3));
        for (const S_TileModel& m : tile.models()) {
            if (s.firstType[s.packIndex[t][m.request]] != blob_geometry::BRIDGE) continue;
            for (uint32_t v = m.triangles.first; v < m.triangles.first + m.triangles.count;
                 v += 3) {
                const glm::vec3 &a = out[v], &b = out[v + 1], &c = out[v + 2];
                if (!isZeroAreaTriangle(a, b, c)) {
                    ++withArea;
                    continue;
                }
                ++joins;
                EXPECT_TRUE(a == b || b == c || a == c) << "model " << m.id << " vertex " << v;
            }
        }
    }
    EXPECT_GT(withArea, joins);
    RecordProperty("bridge_triangles_with_area", static_cast<int>(withArea));
    RecordProperty("bridge_joins", static_cast<int>(joins));
    std::printf("bridge triangles: %zu with area, %zu joins\n", withArea, joins);

    // The model getters: zero area as stored, the same floats with the flag.
    size_t storedWithArea = 0;
    for (size_t r = 0; r < s.pack.requests.size(); ++r) {
        if (s.firstType[r] != blob_geometry::BRIDGE) continue;
        const pack::PackRequest& q = s.pack.requests[r];
        const S_Model* m =
            maker.makeModel(q.blobs, glm::vec3(float(q.x), float(q.y), 0), LoadFilter(0));
        ASSERT_NE(m, nullptr);
        storedWithArea += triangleFloatCount(*m, output_flags::SKIP_ZERO_AREA);
        EXPECT_GT(triangleFloatCount(*m, output_flags::ALL), 0u);
        maker.releaseModel(m);
    }
    EXPECT_EQ(storedWithArea, 0u);
}

}  // namespace
}  // namespace quorvan
