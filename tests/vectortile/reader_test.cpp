#include <gtest/gtest.h>

#include <protozero/pbf_writer.hpp>

#include "vectortile/reader.h"
#include "vectortile/tile_writer.h"

namespace quorvan::vectortile {
namespace {

using namespace testing;

TestLayer sampleLayer() {
    TestLayer layer{"water", 512, {"class", "name"}, {"lake", "Blue"}, {}};
    layer.features.push_back(
        {3, {0, 0, 1, 1}, geometry({{{0, 0}, {0, 10}, {10, 10}}, {{2, 2}, {4, 2}, {2, 4}}}, true)});
    layer.features.push_back({1, {}, geometry({{{5, -3}}}, false)});
    return layer;
}

TEST(VectorTileReader, ReadsLayersTagsAndGeometry) {
    const std::string data = writeTile({sampleLayer(), {"water", 4096, {}, {}, {}}});
    const S_VectorTile tile = readVectorTile(bytesOf(data));
    ASSERT_TRUE(tile.ok) << tile.error;
    ASSERT_EQ(tile.layers.size(), 2u);
    // A later layer of the same name hides the earlier one.
    EXPECT_EQ(tile.layer("water"), &tile.layers[1]);
    EXPECT_EQ(tile.layer("road"), nullptr);

    const S_Layer& layer = tile.layers[0];
    EXPECT_EQ(layer.extent, 512u);
    ASSERT_EQ(layer.features.size(), 2u);
    const S_Feature& area = layer.features[0];
    EXPECT_EQ(area.type, GeomType::POLYGON);
    ASSERT_NE(layer.find(area, "name"), nullptr);
    EXPECT_EQ(layer.find(area, "name")->toText(), "Blue");
    EXPECT_EQ(layer.find(area, "height"), nullptr);
    ASSERT_EQ(area.partCount, 2u);
    // ClosePath repeats the ring's first point.
    const auto ring = layer.part(area.firstPart + 1);
    ASSERT_EQ(ring.size(), 4u);
    EXPECT_EQ(ring[1].x, 4);
    EXPECT_EQ(ring[3].x, 2);
    EXPECT_EQ(ring[3].y, 2);
    const auto point = layer.part(layer.features[1].firstPart);
    ASSERT_EQ(point.size(), 1u);
    EXPECT_EQ(point[0].y, -3);
}

TEST(VectorTileReader, ValueKindsAsText) {
    std::string data;
    {
        protozero::pbf_writer tile(data);
        protozero::pbf_writer layer(tile, 3);
        layer.add_string(1, "l");
        const auto value = [&](auto add) {
            protozero::pbf_writer v(layer, 4);
            add(v);
        };
        value([](auto& v) { v.add_int64(4, -7); });
        value([](auto& v) { v.add_uint64(5, 18446744073709551615ull); });
        value([](auto& v) { v.add_sint64(6, -2); });
        value([](auto& v) { v.add_bool(7, true); });
        value([](auto& v) { v.add_double(3, 12.5); });
        value([](auto& v) { v.add_float(2, 0.25f); });
    }
    const S_VectorTile tile = readVectorTile(bytesOf(data));
    ASSERT_TRUE(tile.ok) << tile.error;
    std::vector<std::string> texts;
    for (const S_Value& v : tile.layers[0].values) texts.push_back(v.toText());
    EXPECT_EQ(texts, (std::vector<std::string>{"-7", "18446744073709551615", "-2", "true", "12.5",
                                               "0.25"}));
}

// Each malformed tile is refused as a whole, at the offset of the field
// that is wrong (inside the tile, never past it).
TEST(VectorTileReader, RefusesMalformedTilesWithTheirOffset) {
    struct Case {
        const char* name;
        std::string data;
        const char* error;
    };
    const auto withFeature = [](TestFeature f, std::vector<std::string> keys = {"k"},
                                std::vector<std::string> values = {"v"}) {
        return writeTile({{"l", 4096, keys, values, {f}}});
    };
    std::vector<Case> cases = {
        {"key index past the keys", withFeature({3, {1, 0}, geometry({{{0, 0}}}, false)}),
         "past the layer's tables"},
        {"value index past the values", withFeature({3, {0, 1}, geometry({{{0, 0}}}, false)}),
         "past the layer's tables"},
        {"odd tag list", withFeature({3, {0}, geometry({{{0, 0}}}, false)}), "odd length"},
        {"unknown command", withFeature({3, {}, {command(3, 1), 0, 0}}), "unknown geometry"},
        {"parameters past the end", withFeature({3, {}, {command(1, 2), 0, 0, 2}}), "runs past"},
        {"LineTo first", withFeature({2, {}, {command(2, 1), 2, 2}}), "before any MoveTo"},
        {"ClosePath first", withFeature({3, {}, {command(7, 1)}}), "before any MoveTo"},
        {"ClosePath twice over", withFeature({3, {}, {command(1, 1), 0, 0, command(7, 2)}}),
         "count other than 1"},
        {"extent 0", writeTile({{"l", 0, {}, {}, {}}}), "extent 0"},
        {"layer without name", std::string("\x1a\x02\x28\x01", 4), "without name"},
        {"layer as a varint", std::string("\x18\x05", 2), "wrong wire type"},
        {"length past the end", std::string("\x1a\x7f\x0a", 3), "malformed protobuf"},
        {"unfinished varint", std::string("\x1a\x03\x28\xff\xff", 5), "malformed protobuf"},
    };
    for (const Case& c : cases) {
        const S_VectorTile tile = readVectorTile(bytesOf(c.data));
        EXPECT_FALSE(tile.ok) << c.name;
        EXPECT_TRUE(tile.layers.empty()) << c.name;
        EXPECT_NE(tile.error.find(c.error), std::string::npos) << c.name << ": " << tile.error;
        EXPECT_LT(tile.errorOffset, c.data.size()) << c.name;
    }
}

// Every prefix of a tile, in a buffer of exactly its size (so ASan sees an
// overrun), is read or refused, and a refusal lies inside the prefix.
TEST(VectorTileReader, EveryTruncationIsReadOrRefused) {
    const std::string data = writeTile({sampleLayer()});
    size_t refused = 0;
    for (size_t n = 0; n < data.size(); ++n) {
        std::vector<uint8_t> prefix(data.begin(), data.begin() + static_cast<ptrdiff_t>(n));
        const S_VectorTile tile = readVectorTile(prefix);
        if (!tile.ok) {
            ++refused;
            EXPECT_LE(tile.errorOffset, n);
        }
    }
    EXPECT_GT(refused, data.size() / 2);
    EXPECT_TRUE(readVectorTile({}).ok);  // no layers is a tile
}

TEST(VectorTileReader, ReadsTheSampleTiles) {
    for (const char* name : {"15-5238-12666", "15-5239-12667"}) {
        const auto bytes = readFile(std::string(MESHORY_EXAMPLES) + "/tiles/" + name + ".mvt");
        ASSERT_FALSE(bytes.empty()) << name;
        const S_VectorTile tile = readVectorTile(bytes);
        ASSERT_TRUE(tile.ok) << name << ": " << tile.error << " at " << tile.errorOffset;
        ASSERT_NE(tile.layer("building"), nullptr);
        EXPECT_GT(tile.layer("building")->features.size(), 1000u);
    }
}

}  // namespace
}  // namespace quorvan::vectortile
