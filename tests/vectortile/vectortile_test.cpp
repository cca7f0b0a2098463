#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iostream>
#include <map>

#include "model/blob_records.h"
#include "model/decode/byte_reader.h"
#include "model/glmodel.h"
#include "model/meshory.h"
#include "model/tile.h"
#include "vectortile/mapping.h"
#include "vectortile/shapes.h"
#include "vectortile/tile_writer.h"
#include "vectortile/vectortile.h"

namespace quorvan::vectortile {
namespace {

using namespace testing;

const std::string kExamples = MESHORY_EXAMPLES;

struct Tile {
    int32_t x, y;
    std::vector<uint8_t> bytes;
};

// The sample's tiles in the order the pack holds them: south row first,
// west to east.
std::vector<Tile> sampleTiles() {
    std::vector<Tile> tiles;
    for (const auto& [x, y] :
         {std::pair{5238, 12667}, {5239, 12667}, {5238, 12666}, {5239, 12666}}) {
        tiles.push_back({x, y,
                         readFile(kExamples + "/tiles/15-" + std::to_string(x) + "-" +
                                  std::to_string(y) + ".mvt")});
    }
    return tiles;
}

struct Blob {
    uint64_t id;
    int32_t type, layer, cell;
    std::vector<uint8_t> payload;
};
struct Request {
    double x, y;
    std::vector<Blob> blobs;
};

std::vector<Blob> blobsOf(std::span<const uint8_t> bytes, int64_t count) {
    const S_BlobRecordScan scan = scanBlobRecords(bytes, count);
    EXPECT_TRUE(scan.ok) << scan.error;
    std::vector<Blob> out;
    for (const S_BlobRecord& r : scan.records) {
        const auto* p = bytes.data() + r.payloadOffset;
        out.push_back({r.id, r.type, r.layerId, r.cellIndex, {p, p + r.payloadSize}});
    }
    return out;
}

// The pack's requests (docs/blob-pack.md), and the width of one tile.
std::vector<Request> readPack(const std::vector<uint8_t>& pack, double& tileSize) {
    ByteReader r(pack.data(), pack.size());
    int32_t cols = 0;
    double bounds[4] = {};
    uint32_t names = 0;
    EXPECT_TRUE(r.skip(12) && r.read(cols) && r.skip(4));
    for (double& b : bounds) EXPECT_TRUE(r.read(b));
    tileSize = bounds[2] / cols;
    EXPECT_TRUE(r.read(names));
    for (uint32_t n = 0; n < names; ++n) {
        uint16_t length = 0;
        EXPECT_TRUE(r.skip(4) && r.read(length) && r.skip(length));
    }
    uint32_t count = 0;
    EXPECT_TRUE(r.read(count));
    std::vector<Request> requests;
    for (uint32_t q = 0; q < count; ++q) {
        Request request{};
        uint32_t blobs = 0;
        EXPECT_TRUE(r.read(request.x) && r.read(request.y) && r.read(blobs));
        const uint64_t start = r.position();
        const S_BlobRecordScan scan =
            scanBlobRecords({pack.data() + start, pack.size() - start}, blobs);
        EXPECT_TRUE(scan.ok) << scan.error;
        request.blobs = blobsOf({pack.data() + start, pack.size() - start}, blobs);
        r.skip(scan.bytesRead);
        requests.push_back(std::move(request));
    }
    EXPECT_TRUE(r.atEnd());
    return requests;
}

struct Indexed {
    uint16_t vertexCount = 0, indexCount = 0, height = 0;
    uint8_t flags = 0;
    std::vector<uint8_t> vertexBytes;
    std::vector<uint16_t> strip, outline;
    std::vector<std::pair<float, float>> vertices;
};

Indexed decodeIndexed(const std::vector<uint8_t>& payload) {
    Indexed b;
    ByteReader r(payload.data(), payload.size());
    EXPECT_TRUE(r.read(b.vertexCount) && r.read(b.indexCount) && r.read(b.height) &&
                r.read(b.flags));
    const uint64_t vertexBytes = b.flags & 4 ? 8 + 4 * (b.vertexCount - 1) : 8 * b.vertexCount;
    const uint64_t at = r.position();
    b.vertexBytes.assign(payload.begin() + static_cast<ptrdiff_t>(at),
                         payload.begin() + static_cast<ptrdiff_t>(at + vertexBytes));
    float x = 0, y = 0;
    for (uint16_t v = 0; v < b.vertexCount; ++v) {
        if (v == 0 || !(b.flags & 4)) {
            r.read(x);
            r.read(y);
        } else {
            int16_t dx = 0, dy = 0;
            r.read(dx);
            r.read(dy);
            x += static_cast<float>(dx) / 10.0f;
            y += static_cast<float>(dy) / 10.0f;
        }
        b.vertices.emplace_back(x, y);
    }
    const auto index = [&r](bool byte) {
        uint8_t u8 = 0;
        uint16_t u16 = 0;
        return byte ? (r.read(u8), uint16_t{u8}) : (r.read(u16), u16);
    };
    for (uint16_t i = 0; i < b.indexCount; ++i) b.strip.push_back(index(b.flags & 1));
    while (!r.atEnd() && ((b.flags & 2) || r.has(2))) b.outline.push_back(index(b.flags & 2));
    return b;
}

// Area of a strip's triangles; false when one runs clockwise (beyond what
// single-precision vertices may turn a sliver by).
bool stripArea(const Indexed& b, double& area) {
    area = 0;
    for (size_t k = 0; k + 2 < b.strip.size(); ++k) {
        auto p = b.vertices.at(b.strip[k]), q = b.vertices.at(b.strip[k + 1]);
        const auto s = b.vertices.at(b.strip[k + 2]);
        if (k % 2 == 1) std::swap(p, q);
        const double a = (double(q.first) - p.first) * (double(s.second) - p.second) -
                         (double(s.first) - p.first) * (double(q.second) - p.second);
        if (a < -0.01) return false;
        area += a / 2;
    }
    return true;
}

// The library's records for the sample's four tiles equal what
// tools/mvt-to-pack wrote into the pack: every request, origin, id, type,
// layer and cell, and every payload byte for byte, except the triangle
// strips of indexed areas: the two triangulate with ear cutters of their
// own, so there the vertices, heights and outlines must be equal and the
// strips must cover the same area, counter-clockwise.
TEST(VectorTileDifferential, SampleTilesMatchTheConvertersPack) {
    double size = 0;
    const std::vector<Request> pack = readPack(readFile(kExamples + "/sanfrancisco.mpk"), size);
    std::vector<Request> library;
    uint64_t nextId = 1;
    S_VectorTileRecords out;
    for (const Tile& tile : sampleTiles()) {
        S_TilePlacement placement = placeInBlock(tile.x, tile.y, 5238, 12667, size);
        placement.firstId = nextId;
        vectorTileRecords(tile.bytes, placement, defaultMapping(), out);
        ASSERT_TRUE(out.ok) << out.error;
        const std::vector<Blob> blobs = blobsOf(out.records, out.recordCount);
        for (const S_TileRequest& q : out.requests) {
            library.push_back(
                {q.x,
                 q.y,
                 {blobs.begin() + q.firstRecord, blobs.begin() + q.firstRecord + q.recordCount}});
        }
        nextId = out.nextId;
    }
    ASSERT_EQ(library.size(), pack.size());
    size_t areas = 0, sameStrips = 0, fields = 0;
    for (size_t q = 0; q < pack.size(); ++q) {
        ASSERT_EQ(library[q].x, pack[q].x) << "request " << q;
        ASSERT_EQ(library[q].y, pack[q].y) << "request " << q;
        ASSERT_EQ(library[q].blobs.size(), pack[q].blobs.size()) << "request " << q;
        for (size_t b = 0; b < pack[q].blobs.size(); ++b) {
            const Blob& mine = library[q].blobs[b];
            const Blob& theirs = pack[q].blobs[b];
            ASSERT_EQ(std::tie(mine.id, mine.type, mine.layer, mine.cell),
                      std::tie(theirs.id, theirs.type, theirs.layer, theirs.cell))
                << "request " << q << " blob " << b;
            ++fields;
            if (mine.type != blob_geometry::INDEXED_TRIANGLE_STRIPS &&
                mine.type != blob_geometry::INDEXED_FLAT_TRIANGLE_STRIPS) {
                ASSERT_EQ(mine.payload, theirs.payload) << "blob " << mine.id;
                continue;
            }
            ++areas;
            if (mine.payload == theirs.payload) ++sameStrips;
            const Indexed m = decodeIndexed(mine.payload), t = decodeIndexed(theirs.payload);
            ASSERT_EQ(std::tie(m.vertexCount, m.height, m.vertexBytes, m.outline),
                      std::tie(t.vertexCount, t.height, t.vertexBytes, t.outline))
                << "blob " << mine.id;
            double areaMine = 0, areaTheirs = 0;
            ASSERT_TRUE(stripArea(m, areaMine)) << "blob " << mine.id;
            ASSERT_TRUE(stripArea(t, areaTheirs)) << "blob " << mine.id;
            EXPECT_NEAR(areaMine, areaTheirs, 1e-6 * std::max(1.0, areaTheirs) + 0.01)
                << "blob " << mine.id;
        }
    }
    std::cout << "differential: " << pack.size() << " requests, " << fields << " blobs, " << areas
              << " indexed areas, " << sameStrips << " of them byte for byte\n";
}

// Segments of the built tile's lines in `layers` that lie along a side of
// the tile (coordinates relative to its origin).
size_t outlineOnSides(const C_Tile& tile, double size, std::initializer_list<int32_t> layers,
                      size_t& segments) {
    std::vector<float> floats(tile.floatCount());
    tile.write(floats);
    size_t onSides = 0;
    for (const S_TileBucket& bucket : tile.buckets()) {
        if (std::find(layers.begin(), layers.end(), bucket.layerId) == layers.end()) continue;
        for (uint32_t v = 0; v + 1 < bucket.lines.count; v += 2) {
            const float* a = &floats[3 * (bucket.lines.first + v)];
            const float* b = a + 3;
            const auto side = [&](int k, double at) {
                return std::abs(a[k] - at) < 0.05 && std::abs(b[k] - at) < 0.05;
            };
            if (side(0, 0) || side(0, size) || side(1, 0) || side(1, size)) ++onSides;
            ++segments;
        }
    }
    return onSides;
}

TEST(VectorTileBuild, FlatAreasOutlineOnlyTheirOwnEdges) {
    const std::vector<Tile> tiles = sampleTiles();
    const double size = groundTileSize(15, 12666);
    C_Meshory maker;
    C_Tile built;
    size_t onSides = 0, segments = 0;
    for (const Tile& tile : tiles) {
        const S_TilePlacement placement = placeInBlock(tile.x, tile.y, tile.x, tile.y, size);
        const S_TileBuild build =
            buildVectorTile(maker, tile.bytes, placement, defaultMapping(), 0, built);
        ASSERT_TRUE(build.ok) << build.error;
        onSides += outlineOnSides(built, size, {10, 11, 12}, segments);
    }
    EXPECT_GT(segments, 500u);
    EXPECT_EQ(onSides, 0u);

    // The control: a mapping that outlines cut edges draws them.
    const S_MappingLoad outlined = loadMapping(R"(<vector-tile-mapping>
        <source layer="landuse" geometry="polygon"><rule>
          <area layer="10" type="INDEXED_FLAT_TRIANGLE_STRIPS" clip-edges="outline"/>
        </rule></source></vector-tile-mapping>)");
    ASSERT_TRUE(outlined.mapping) << outlined.error;
    const Tile& tile = tiles[2];
    segments = 0;
    ASSERT_TRUE(buildVectorTile(maker, tile.bytes,
                                placeInBlock(tile.x, tile.y, tile.x, tile.y, size),
                                *outlined.mapping, 0, built)
                    .ok);
    EXPECT_GT(outlineOnSides(built, size, {10}, segments), 0u);
}

TEST(VectorTileBuild, RefusalsLeaveTheTileAsItWas) {
    const std::vector<Tile> tiles = sampleTiles();
    C_Meshory maker;
    C_Tile built;
    const S_TilePlacement placement = placeInBlock(0, 0, 0, 0, 1000);
    ASSERT_TRUE(buildVectorTile(maker, tiles[0].bytes, placement, defaultMapping(), 0, built).ok);
    const size_t floats = built.floatCount();
    ASSERT_GT(floats, 0u);

    std::vector<uint8_t> cut(tiles[0].bytes.begin(), tiles[0].bytes.begin() + 5000);
    S_TileBuild refused = buildVectorTile(maker, cut, placement, defaultMapping(), 0, built);
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.error.find("at byte"), std::string::npos) << refused.error;
    S_TilePlacement bad = placement;
    for (double size : {0.0, -1.0, 2e9, double(NAN), double(INFINITY)}) {
        bad.size = size;
        EXPECT_FALSE(buildVectorTile(maker, tiles[0].bytes, bad, defaultMapping(), 0, built).ok);
    }
    EXPECT_EQ(built.floatCount(), floats);
    S_TileBuild result;
    EXPECT_EQ(makeVectorTile(maker, cut, placement, defaultMapping(), 0, &result), nullptr);
    EXPECT_FALSE(result.ok);
}

// A small tile through a mapping written for it: rules in order, first
// match wins, outputs with conditions, tables, names, heights.
TEST(VectorTileMapping, RulesTablesNamesAndHeights) {
    const S_MappingLoad load = loadMapping(R"(<vector-tile-mapping>
        <layer id="7" name="roads"/>
        <names><name key="name" variant="0"/><name key="name_de" variant="4"/></names>
        <table name="w" key="kind" code="9" width="3"><row value="big" code="1" width="10"/></table>
        <source layer="b" geometry="polygon">
          <rule><when key="kind" in="skip"/></rule>
          <rule><area layer="30" type="INDEXED_TRIANGLE_STRIPS" fans="true" height-key="h" min-height-key="m"/></rule>
        </source>
        <source layer="r" geometry="line"><rule>
          <path layer="7" type="ROAD_PATH" width-table="w"/>
          <path layer="8" type="BRIDGE" width-table="w" width-scale="0.5"><when key="kind" in="big"/></path>
        </rule></source>
        <source layer="p" geometry="point"><rule><text layer="51"/><points layer="40"/></rule></source>
      </vector-tile-mapping>)");
    ASSERT_TRUE(load.mapping) << load.error << " at " << load.offset;
    EXPECT_EQ(load.mapping->layerNames().at(7), "roads");

    // Clockwise in tile coordinates (y down): an outer ring.
    const Coords square = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
    TestLayer b{"b", 4096, {"kind", "h", "m"}, {"skip", "12.5", "20", "house"}, {}};
    b.features.push_back({3, {0, 0}, geometry({square}, true)});        // dropped by rule 1
    b.features.push_back({3, {1, 1}, geometry({square}, true)});        // fan, height 12.5
    b.features.push_back({3, {1, 1, 2, 2}, geometry({square}, true)});  // starts above its top
    TestLayer r{"r", 4096, {"kind"}, {"big", "small"}, {}};
    r.features.push_back({2, {0, 0}, geometry({{{0, 0}, {4096, 4096}}}, false)});
    r.features.push_back({2, {0, 1}, geometry({{{0, 0}, {0, 4096}}}, false)});
    TestLayer p{"p", 4096, {"name", "name_de"}, {"Ort", "Ort", "Platz"}, {}};
    p.features.push_back(
        {1, {0, 0, 1, 0}, geometry({{{10, 10}}}, false)});               // same name: no variant 4
    p.features.push_back({1, {0, 2}, geometry({{{5000, 10}}}, false)});  // outside the tile
    const std::string data = writeTile({b, r, p});

    S_VectorTileRecords out;
    S_TilePlacement placement{0, 0, 409.6, 65537, 100};
    vectorTileRecords(bytesOf(data), placement, *load.mapping, out);
    ASSERT_TRUE(out.ok) << out.error;
    const std::vector<Blob> blobs = blobsOf(out.records, out.recordCount);
    std::vector<std::tuple<int32_t, int32_t>> kinds;
    for (const Blob& blob : blobs) {
        kinds.emplace_back(blob.type, blob.layer);
        EXPECT_EQ(blob.cell, 65537);
    }
    EXPECT_EQ(kinds, (std::vector<std::tuple<int32_t, int32_t>>{
                         {blob_geometry::ON_POLYGON_TRIANGLE_FAN, 30},
                         {blob_geometry::ROAD_PATH, 7},
                         {blob_geometry::BRIDGE, 8},
                         {blob_geometry::ROAD_PATH, 7},
                         {blob_geometry::TEXT_DATA, 51},
                         {blob_geometry::POINTS, 40}}));
    EXPECT_EQ(blobs[0].id, 100u);
    EXPECT_EQ(out.nextId, 106u);
    EXPECT_EQ(blobs[0].payload[0] | blobs[0].payload[1] << 8, 125);  // height in tenths
    EXPECT_EQ(blobs[1].payload[0], 10);                              // table width
    EXPECT_EQ(blobs[2].payload[0], 5);                               // half of it
    EXPECT_EQ(blobs[3].payload[0], 3);                               // the table's default
    EXPECT_EQ(blobs[4].payload.size(), 8u + 1 + 3);                  // anchor, "Ort" alone
    EXPECT_EQ(blobs[5].payload.size(), 1u + 8);  // one point, the other lies outside
    ASSERT_EQ(out.requests.size(), 6u);
    EXPECT_EQ(out.requests[1].firstRecord, 1u);
    EXPECT_EQ(out.requests[0].x, 0.0);
}

TEST(VectorTileMapping, RefusesBadDocumentsWithTheirOffset) {
    struct Case {
        const char* document;
        const char* error;
    };
    const Case cases[] = {
        {"<vector-tile-mapping><source", "well-formed"},
        {"<mapping/>", "root"},
        {"<vector-tile-mapping><colour/></vector-tile-mapping>", "unknown element"},
        {R"(<vector-tile-mapping><source layer="r" geometry="line"><rule>
            <area layer="1" type="INDEXED_TRIANGLE_STRIPS"/></rule></source></vector-tile-mapping>)",
         "polygons"},
        {R"(<vector-tile-mapping><source layer="r" geometry="line"><rule>
            <path layer="1" type="ROAD_PATH" width-table="none"/></rule></source></vector-tile-mapping>)",
         "no table"},
        {R"(<vector-tile-mapping><source layer="b" geometry="polygon"><rule>
            <area layer="1" type="INDEXED_TRIANGLE_STRIPS" clip-edges="none"/></rule></source></vector-tile-mapping>)",
         "whole ring"},
        {R"(<vector-tile-mapping><source layer="r" geometry="line"><rule>
            <path layer="1" type="ROAD_PATH" width="300"/></rule></source></vector-tile-mapping>)",
         "0..255"},
        {R"(<vector-tile-mapping><cell layer="x"/></vector-tile-mapping>)", "whole number"},
        {R"(<vector-tile-mapping><source layer="r" geometry="area"/></vector-tile-mapping>)",
         "point, line or polygon"},
    };
    for (const Case& c : cases) {
        const S_MappingLoad load = loadMapping(c.document);
        EXPECT_EQ(load.mapping, nullptr) << c.document;
        EXPECT_NE(load.error.find(c.error), std::string::npos) << c.document << ": " << load.error;
        EXPECT_LE(load.offset, std::strlen(c.document));
    }
    EXPECT_FALSE(loadMappingFile(kExamples + "/missing.xml").mapping);
    const S_MappingLoad shipped = loadMappingFile(kExamples + "/sanfrancisco.mapping.xml");
    ASSERT_TRUE(shipped.mapping) << shipped.error;
    EXPECT_EQ(shipped.mapping->layerNames(), defaultMapping().layerNames());
    EXPECT_EQ(defaultMapping().layerNames().size(), 12u);

    // The example of the format's documentation loads as it stands.
    const std::vector<uint8_t> doc = readFile(kExamples + "/../docs/vector-tile-mapping.md");
    const std::string text(doc.begin(), doc.end());
    const size_t start = text.find("```xml\n"), end = text.find("```", start + 7);
    ASSERT_NE(start, std::string::npos);
    const S_MappingLoad example = loadMapping(text.substr(start + 7, end - start - 7));
    ASSERT_TRUE(example.mapping) << example.error;
    EXPECT_EQ(example.mapping->layerNames().at(12), "water");
}

// Triangles cover the polygon exactly, counter-clockwise, for rings with
// holes, concave rings and a ring big enough for the z-order index.
TEST(VectorTileShapes, TrianglesCoverTheirPolygon) {
    std::vector<Polygon> shapes;
    shapes.push_back({{{0, 0}, {30, 0}, {30, 30}, {0, 30}},
                      {{{10, 10}, {10, 20}, {20, 20}, {20, 10}}, {{22, 22}, {22, 25}, {25, 25}}}});
    shapes.push_back(
        {{{0, 0}, {30, 0}, {30, 30}, {20, 30}, {20, 10}, {10, 10}, {10, 30}, {0, 30}}, {}});
    Ring star;
    for (int i = 0; i < 300; ++i) {
        const double angle = 2 * M_PI * i / 300, radius = i % 2 ? 100 : 60 + i % 7;
        star.emplace_back(radius * std::cos(angle), radius * std::sin(angle));
    }
    shapes.push_back({star, {}});
    for (const Polygon& polygon : shapes) {
        std::vector<Point> vertices;
        const auto triangles = triangulatePolygon(polygon, vertices);
        double expected = signedArea(polygon.outer), area = 0;
        for (const Ring& hole : polygon.holes) expected += signedArea(hole);
        for (const auto& [a, b, c] : triangles) {
            ASSERT_LT(std::max({a, b, c}), vertices.size());
            const double twice = cross(vertices[a], vertices[b], vertices[c]);
            ASSERT_GT(twice, 0);
            area += twice / 2;
        }
        EXPECT_NEAR(area, expected, 1e-9 * std::abs(expected)) << polygon.outer.size();
    }
}

}  // namespace
}  // namespace quorvan::vectortile
