#include "model/tile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

#include <meshory/generated/tile_layout_fields.h>
#include <glm/geometric.hpp>

#include "model/builder_fixture.h"
#include "model/host_output.h"

namespace quorvan {
namespace {

using namespace meshory_test;
using namespace blob_geometry;
using glm::vec2;

struct Record {
    uint64_t id;
    int32_t type;
    int32_t layer;
    Bytes payload;
};

// Records in the blob layout, little-endian.
Bytes recordBlock(const std::vector<Record>& records) {
    ByteWriter w;
    for (const Record& r : records) appendRecord(w, r.id, r.type, r.layer, 0, r.payload);
    return w.bytes;
}

// A tile of three layers met in the order 20, 10, 30, with every kind of
// geometry, strips and lists, zero-area joins, a label, a request of a type
// without builder, and requests sharing records.
struct Sample {
    std::vector<Record> records;
    std::vector<S_TileRequest> requests;

    Sample() {
        const std::vector<vec2> ring{{100, 100}, {104, 100}, {104, 104}, {100, 104}};
        records = {
            {1, FLAT_TRIANGLE_STRIP, 20,
             plainStream({{100, 100}, {101, 100}, {100, 101}, {101, 101}})},
            {2, FLAT_TRIANGLE_STRIP, 20, plainStream({{105, 105}, {106, 105}, {105, 106}})},
            {3, TRIANGLE_FAN, 10,
             withU16Prefix(80, plainStream({{102, 102}, {100, 100}, {104, 100}, {104, 104}}))},
            {4, LINES, 10, plainStream({{100, 100}, {110, 110}})},
            {5, POINTS, 30, plainStream({{101, 102}, {103, 104}})},
            {6, TEXT_DATA, 30, labelBlock({102, 103}, {{0, "Castro"}})},
            {7, 77, 20, plainStream({{100, 100}})},
            {8, ROAD_PATH, 20, withU8Prefix(4, deltaStream({{100, 100}, {120, 100}, {120, 130}}))},
            {9, ON_POLYGON_FLAT_TRIANGLE_FAN, 10, plainStream(ring)},
        };
        requests = {
            {0, 2, 100, 100},  // layer 20: two strips joined
            {2, 2, 100, 100},  // layer 10: a building and a line
            {4, 2, 100, 100},  // layer 30: points and a label
            {6, 1, 100, 100},  // no builder: no model
            {6, 2, 100, 100},  // layer 20 again (first record's layer)
            {8, 1, 100, 100},  // layer 10 again
            {2, 1, 100, 100},  // a record built twice
        };
    }

    Bytes block() const { return recordBlock(records); }
};

std::vector<float> floatsOf(const C_Tile& tile) {
    std::vector<float> out(tile.floatCount());
    EXPECT_EQ(tile.write(out), out.size());
    return out;
}

std::vector<float> slice(const std::vector<float>& all, S_TileRange r) {
    return {all.begin() + 3 * r.first, all.begin() + 3 * (r.first + r.count)};
}

// Every model of the tile holds exactly the floats the per-model path hands
// over for the same request, with and without zero-area triangles.
TEST(Tile, EachModelMatchesItsRequestBuiltAlone) {
    const Sample sample;
    const Bytes block = sample.block();
    std::vector<size_t> floats;
    for (const uint32_t flags : {0u, tile_flags::SKIP_ZERO_AREA}) {
        C_Meshory maker;
        C_Tile tile;
        ASSERT_TRUE(maker.buildTile(block, sample.records.size(), sample.requests, flags, tile).ok);
        EXPECT_TRUE(maker.getModels().empty());  // nothing filed in the maker
        const std::vector<float> all = floatsOf(tile);
        floats.push_back(all.size());
        ASSERT_EQ(tile.models().size(), sample.requests.size() - 1);
        for (const S_TileModel& m : tile.models()) {
            const S_TileRequest& q = sample.requests[m.request];
            std::vector<S_BlobData> blobs;
            for (uint32_t i = q.firstRecord; i < q.firstRecord + q.recordCount; ++i) {
                const Record& r = sample.records[i];
                blobs.emplace_back(r.id, r.type, r.layer, 0, r.payload);
            }
            const glm::vec3 origin(float(q.x), float(q.y), 0.0f);
            const S_Model* model = maker.makeModel(blobs, origin, LoadFilter(0));
            ASSERT_NE(model, nullptr);
            std::vector<float> triangles(triangleFloatCount(*model, flags));
            writeTriangleFloats(*model, flags, triangles);
            std::vector<float> lines(lineFloatCount(*model)), points(pointFloatCount(*model));
            writeLineFloats(*model, lines);
            writePointFloats(*model, points);
            EXPECT_EQ(slice(all, m.triangles), triangles) << "request " << m.request;
            EXPECT_EQ(slice(all, m.lines), lines) << "request " << m.request;
            EXPECT_EQ(slice(all, m.points), points) << "request " << m.request;
            EXPECT_EQ(m.id, model->id);
            EXPECT_EQ(m.layerId, model->layerId);
            EXPECT_EQ(m.height, model->height);
            EXPECT_EQ(m.label, model->label);
            EXPECT_EQ(m.labelPosition, model->labelPosition);
        }
    }
    EXPECT_LT(floats[1], floats[0]);  // the sample has zero-area joins to leave out
}

// Buckets follow the layers' first appearance; each kind is one section of
// buckets in that order; a bucket's models are contiguous, in request order,
// and their ranges tile the bucket's; normals parallel the triangles; the
// block is written the same at any alignment.
TEST(Tile, BucketLayout) {
    const Sample sample;
    const Bytes block = sample.block();
    C_Meshory maker;
    C_Tile tile;
    const uint32_t flags = tile_flags::NORMALS;
    ASSERT_TRUE(maker.buildTile(block, sample.records.size(), sample.requests, flags, tile).ok);

    std::vector<int32_t> layers;
    for (const S_TileBucket& b : tile.buckets()) layers.push_back(b.layerId);
    EXPECT_EQ(layers, (std::vector<int32_t>{20, 10, 30}));

    uint32_t triangles = 0, lines = tile.linesFirst(), points = tile.pointsFirst(), models = 0;
    for (size_t b = 0; b < tile.buckets().size(); ++b) {
        const S_TileBucket& bucket = tile.buckets()[b];
        EXPECT_EQ(bucket.triangles.first, triangles);
        EXPECT_EQ(bucket.lines.first, lines);
        EXPECT_EQ(bucket.points.first, points);
        EXPECT_EQ(bucket.models.first, models);
        uint32_t t = bucket.triangles.first, l = bucket.lines.first, p = bucket.points.first;
        uint32_t lastRequest = 0;
        for (uint32_t i = bucket.models.first; i < bucket.models.first + bucket.models.count; ++i) {
            const S_TileModel& m = tile.models()[i];
            EXPECT_EQ(m.bucket, b);
            EXPECT_EQ(m.layerId, bucket.layerId);
            EXPECT_GE(m.request, lastRequest);
            lastRequest = m.request;
            EXPECT_EQ(m.triangles.first, t);
            EXPECT_EQ(m.lines.first, l);
            EXPECT_EQ(m.points.first, p);
            t += m.triangles.count, l += m.lines.count, p += m.points.count;
        }
        EXPECT_EQ(t, bucket.triangles.first + bucket.triangles.count);
        EXPECT_EQ(l, bucket.lines.first + bucket.lines.count);
        EXPECT_EQ(p, bucket.points.first + bucket.points.count);
        triangles = t, lines = l, points = p, models += bucket.models.count;
    }
    EXPECT_EQ(triangles, tile.linesFirst());
    EXPECT_EQ(lines, tile.pointsFirst());
    EXPECT_EQ(points, tile.normalsFirst());
    EXPECT_EQ(tile.vertexCount(), size_t(tile.normalsFirst()) + tile.linesFirst());

    const std::vector<float> all = floatsOf(tile);
    for (uint32_t v = 0; v < tile.linesFirst(); ++v) {
        const glm::vec3 n(all[3 * (tile.normalsFirst() + v)],
                          all[3 * (tile.normalsFirst() + v) + 1],
                          all[3 * (tile.normalsFirst() + v) + 2]);
        EXPECT_NEAR(glm::length(n), 1.0f, 1e-5f) << "vertex " << v;
    }

    std::vector<unsigned char> bytes(all.size() * sizeof(float) + 1);
    EXPECT_EQ(tile.write(bytes.data() + 1, bytes.size() - 1), all.size());
    EXPECT_EQ(std::memcmp(bytes.data() + 1, all.data(), all.size() * sizeof(float)), 0);
    EXPECT_EQ(tile.write(bytes.data(), all.size() * sizeof(float) - 1), 0u);
}

// The tables as one block at the generated offsets: every bucket and model
// field as the tile holds it, labels as UTF-16 up to their first NUL byte.
TEST(Tile, LayoutBlockHoldsTheTablesAndLabels) {
    Sample sample;
    sample.records[5].payload = labelBlock({102, 103}, {{0, std::string("N\0Mozart St", 11)}});
    const Bytes block = sample.block();
    C_Meshory maker;
    C_Tile tile;
    ASSERT_TRUE(maker.buildTile(block, sample.records.size(), sample.requests, 0, tile).ok);
    const std::span<const std::byte> b = tile.layout();
    const auto get = [&](size_t at, auto value) {
        std::memcpy(&value, b.data() + at, sizeof value);
        return value;
    };
    namespace layout = tile_layout;
    ASSERT_EQ(get(layout::head::layoutBytes, 0u), b.size());
    EXPECT_EQ(get(layout::head::bucketCount, 0u), tile.buckets().size());
    EXPECT_EQ(get(layout::head::vertexCount, 0u), tile.vertexCount());
    for (size_t i = 0; i < tile.buckets().size(); ++i) {
        const size_t at = get(layout::head::bucketsAt, 0u) + i * layout::bucket::bytes;
        EXPECT_EQ(get(at + layout::bucket::layerId, 0), tile.buckets()[i].layerId);
        EXPECT_EQ(get(at + layout::bucket::lineCount, 0u), tile.buckets()[i].lines.count);
        EXPECT_EQ(get(at + layout::bucket::modelsFirst, 0u), tile.buckets()[i].models.first);
    }
    std::vector<std::u16string> labels;
    for (size_t i = 0; i < tile.models().size(); ++i) {
        const S_TileModel& m = tile.models()[i];
        const size_t at = get(layout::head::modelsAt, 0u) + i * layout::model::bytes;
        EXPECT_EQ(get(at + layout::model::id, uint64_t{0}), m.id);
        EXPECT_EQ(get(at + layout::model::pointsFirst, 0u), m.points.first);
        EXPECT_EQ(get(at + layout::model::labelAngle, 0.0f), m.labelAngle);
        std::u16string text(get(at + layout::model::labelLength, 0u), u'\0');
        std::memcpy(text.data(),
                    b.data() + get(layout::head::labelsAt, 0u) +
                        2 * get(at + layout::model::labelFirst, 0u),
                    2 * text.size());
        labels.push_back(text);
    }
    EXPECT_NE(std::find(labels.begin(), labels.end(), u"N"), labels.end());
    EXPECT_EQ(std::count(labels.begin(), labels.end(), u""), long(labels.size()) - 1);
}

// A road name's model has no label position: the tile places it halfway
// along its longest road line, where a host centres the name.
TEST(Tile, RoadNamesSitHalfwayAlongTheirLongestLine) {
    SegmentSpec shortLine, longLine;
    shortLine.text = longLine.text = "Market St";
    shortLine.points = {{100, 100}, {110, 100}};
    longLine.points = {{100, 100}, {100, 130}, {140, 130}};
    const Bytes block =
        recordBlock({{1, LABEL_STYLE_SEGMENTS, 50, labelSegments({{shortLine, longLine}})}});
    const std::vector<S_TileRequest> requests{{0, 1, 100, 100}};
    C_Meshory maker;
    C_Tile tile;
    ASSERT_TRUE(maker.buildTile(block, 1, requests, 0, tile).ok);
    ASSERT_EQ(tile.models().size(), 1u);
    EXPECT_EQ(tile.models()[0].label, "Market St");
    EXPECT_EQ(tile.models()[0].labelPosition, glm::vec3(5, 30, 0));
}

// Bad input is refused before anything is built, naming what is wrong, and
// the tile keeps what it held.
TEST(Tile, RefusesAndKeepsTheTile) {
    const Sample sample;
    const Bytes block = sample.block();
    C_Meshory maker;
    C_Tile tile;
    ASSERT_TRUE(maker.buildTile(block, sample.records.size(), sample.requests, 0, tile).ok);
    const size_t floats = tile.floatCount();
    const auto refused = [&](std::span<const uint8_t> bytes, int64_t count,
                             std::vector<S_TileRequest> requests, uint32_t flags,
                             const char* says) {
        const S_TileBuild build = maker.buildTile(bytes, count, requests, flags, tile);
        EXPECT_FALSE(build.ok);
        EXPECT_NE(build.error.find(says), std::string::npos) << build.error;
        EXPECT_EQ(tile.floatCount(), floats);
    };
    const auto n = static_cast<int64_t>(sample.records.size());
    refused(block, n, sample.requests, 8, "flags");
    refused(block, -1, sample.requests, 0, "negative");
    refused(block, n + 1, sample.requests, 0, "records");
    refused(std::span(block).first(block.size() - 1), n, sample.requests, 0, "past the end");
    refused(block, n, {{8, 2, 0, 0}}, 0, "request 0");
    refused(block, n, {{0, 1, 0, 0}, {0xFFFFFFFFu, 2, 0, 0}}, 0, "request 1");
    // One origin per tile: NaN matches NaN, and any other difference refuses.
    refused(block, n, {{0, 1, 100, 100}, {2, 1, 100, 100}, {1, 1, 100, 101}}, 0,
            "request 2 has origin");
    const double nan = std::nan("");
    EXPECT_TRUE(maker.buildTile(block, n, {{{0, 1, nan, 1}, {2, 1, nan, 1}}}, 0, tile).ok);

    // Nothing to build is a tile with nothing in it.
    ASSERT_TRUE(maker.buildTile({}, 0, {}, 0, tile).ok);
    EXPECT_EQ(tile.floatCount(), 0u);
    EXPECT_TRUE(tile.buckets().empty());
}

// One bucket per layer however many layers a tile meets: 100,000 one-point
// requests in as many layers (descending ids, then each met again) take
// about as long as in one layer. A search through the buckets per request,
// quadratic in them, made this take minutes.
TEST(Tile, ManyLayersBuildInLinearTime) {
    constexpr uint32_t kLayers = 100000;
    ByteWriter w;
    const Bytes point = plainStream({{1, 2}});
    for (uint32_t i = 0; i < 2 * kLayers; ++i)
        appendRecord(w, i, POINTS, int32_t(kLayers - i % kLayers), 0, point);
    std::vector<S_TileRequest> requests(2 * kLayers);
    for (uint32_t i = 0; i < requests.size(); ++i) requests[i] = {i, 1, 0, 0};
    C_Meshory maker;
    C_Tile tile;
    ASSERT_TRUE(maker.buildTile(w.bytes, requests.size(), requests, 0, tile).ok);
    ASSERT_EQ(tile.buckets().size(), kLayers);
    for (uint32_t b = 0; b < kLayers; b += 997) {
        EXPECT_EQ(tile.buckets()[b].layerId, int32_t(kLayers - b));
        EXPECT_EQ(tile.buckets()[b].points.count, 2u);
        EXPECT_EQ(tile.models()[tile.buckets()[b].models.first + 1].request, b + kLayers);
    }
}

// A tile past the host's limit of floats is refused while it is built, as
// soon as a request takes it past: the storage spent is bounded by the limit,
// not by the requests; the limit itself is allowed.
TEST(Tile, TooLargeIsRefusedBeforeItIsBuilt) {
    ByteWriter w;
    appendRecord(w, 1, POINTS, 5, 0, plainStream({{1, 2}}));
    const std::vector<S_TileRequest> requests(20000, S_TileRequest{0, 1, 0, 0});
    C_Meshory maker;
    C_Tile tile;
    const S_TileBuild refused = maker.buildTile(w.bytes, 1, requests, 0, tile, 300);
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.tooLarge);
    EXPECT_NE(refused.error.find("request 100 "), std::string::npos) << refused.error;
    EXPECT_EQ(tile.floatCount(), 0u);
    EXPECT_LT(tile.storageBytes(), size_t(16) << 10);  // the whole tile: 240 kB of floats
    EXPECT_EQ(maker.makeTile(w.bytes, 1, requests, 0, nullptr, 300), nullptr);
    EXPECT_TRUE(maker.getTiles().empty());
    ASSERT_TRUE(maker.buildTile(w.bytes, 1, std::span(requests).first(100), 0, tile, 300).ok);
    EXPECT_EQ(tile.floatCount(), 300u);
}

// A tile the maker owns is built in the storage of the one released before
// it, within the storage budget, and ends with the maker.
TEST(Tile, MakerOwnedTilesReuseStorage) {
    const Sample sample;
    const Bytes block = sample.block();
    const auto n = static_cast<int64_t>(sample.records.size());
    C_Meshory maker;
    const C_Tile* first = maker.makeTile(block, n, sample.requests, 0);
    ASSERT_NE(first, nullptr);
    const std::vector<float> floats = floatsOf(*first);
    const size_t keptBefore = maker.keptStorageBytes();
    maker.releaseTile(first);
    EXPECT_GT(maker.keptStorageBytes(), keptBefore);
    const C_Tile* second = maker.makeTile(block, n, sample.requests, 0);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(floatsOf(*second), floats);
    EXPECT_EQ(maker.getTiles().size(), 1u);
    S_TileBuild refused;
    EXPECT_EQ(maker.makeTile(block, n + 1, sample.requests, 0, &refused), nullptr);
    EXPECT_FALSE(refused.ok);
    maker.setStorageBudget(0);
    EXPECT_EQ(maker.keptStorageBytes(), 0u);
    // `second` goes with the maker.
}

}  // namespace
}  // namespace quorvan
