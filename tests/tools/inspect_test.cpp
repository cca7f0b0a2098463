#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <glm/geometric.hpp>
#include <pugixml.hpp>
#include <sstream>

#include "geometry/mathglm.h"
#include "inspect/gltf_writer.h"
#include "inspect/labels.h"
#include "inspect/offset_bands.h"
#include "inspect/page_writer.h"
#include "inspect/replay.h"
#include "inspect/svg_writer.h"
#include "inspect/tables.h"
#include "model/decode/utf8.h"
#include "model/meshory.h"
#include "model/model_conversions.h"
#include "support/payload_writer.h"

namespace quorvan::inspect {
namespace {

using namespace meshory_test;
using namespace blob_geometry;
using glm::vec2;

enum : int32_t {
    kCell = 1,
    kRoad = 20,
    kBridge = 23,
    kBuilding = 30,
    kPoi = 40,
    kRoadName = 50,
    kPlace = 51
};

// A small tile at (1000.3, 2000) in a 2 x 2 grid of 100-unit cells, with one
// request per kind of geometry the converter writes, and two requests that
// give no model.
pack::BlobPack tilePack() {
    pack::BlobPack p;
    p.grid = {2, 2, Bounds(1000.0, 2000.0, 1200.0, 2200.0)};
    p.layerNames = {{kCell, "cell"},         {kRoad, "road"}, {kBridge, "bridge"},
                    {kBuilding, "building"}, {kPoi, "poi"},   {kRoadName, "road-name"},
                    {kPlace, "place"}};
    const int cell = 1 << 16;
    auto request = [&](std::vector<S_BlobData> blobs) {
        p.requests.push_back({1000.3, 2000.0, std::move(blobs)});
    };
    request({S_BlobData(1, CELL_POLYGON, kCell, cell, {})});
    request({S_BlobData(2, ROAD_PATH, kRoad, cell,
                        withU8Prefix(6, plainStream({{1010, 2010}, {1050, 2010}})))});
    request({S_BlobData(3, BRIDGE, kBridge, cell,
                        withU8Prefix(2, plainStream({{1010, 2020}, {1050, 2020}})))});
    // Buildings as fans around a centre: a square 2.5 high (4 roof triangles,
    // the last closing the open ring, and 4 walls of 2) and a triangle 12 high.
    request({S_BlobData(
        4, TRIANGLE_FAN, kBuilding, cell,
        withU16Prefix(
            25,
            plainStream({{1030, 2050}, {1020, 2040}, {1040, 2040}, {1040, 2060}, {1020, 2060}})))});
    request({S_BlobData(
        5, TRIANGLE_FAN, kBuilding, cell,
        withU16Prefix(120,
                      plainStream({{1080, 2050}, {1070, 2040}, {1090, 2040}, {1080, 2060}})))});
    request({S_BlobData(6, POINTS, kPoi, cell, plainStream({{1001.3f, 2001}, {1002.3f, 2002}}))});
    request({S_BlobData(7, TEXT_DATA, kPlace, cell,
                        labelBlock({1050, 2050}, {{0, "Mission"}, {1, "La Misión"}}))});
    SegmentSpec segment;
    segment.kind = 1;
    segment.text = "Market St";
    segment.points = {{1000.3f, 2000}, {1010.3f, 2010}, {1020.3f, 2020}};
    request({S_BlobData(8, LABEL_STYLE_SEGMENTS, kRoadName, cell, labelSegments({{segment}}))});
    request({S_BlobData(9, 19, kRoad, cell, {1, 2, 3})});  // no builder for 19
    request({});
    return p;
}

class InspectTest : public ::testing::Test {
protected:
    void SetUp() override {
        pack = tilePack();
        inspection = inspectPack(pack, [&](size_t done, size_t total) {
            EXPECT_EQ(total, pack.requests.size());
            EXPECT_EQ(done, ++calls);
        });
        dir = ::testing::TempDir() + "/inspect_test";
        std::filesystem::create_directories(dir);
    }

    const LayerStats& layer(int32_t id) { return inspection.layers.at(id); }

    pack::BlobPack pack;
    Inspection inspection;
    size_t calls = 0;
    std::string dir;
};

// No "nan" or "inf" number anywhere (a letter before it means a word:
// "dominant-baseline", "info").
void expectNoNonFiniteNumber(const std::string& text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    for (const char* bad : {"nan", "inf"}) {
        for (size_t at = lower.find(bad); at != std::string::npos; at = lower.find(bad, at + 1)) {
            EXPECT_TRUE(at > 0 && std::isalpha(static_cast<unsigned char>(lower[at - 1])))
                << "at " << at;
        }
    }
}

TEST_F(InspectTest, GridsBeyondFloatRangeLeaveNoNonFiniteNumberInTheTopView) {
    for (const Bounds& b : {Bounds(-1e308, 0, 1e308, 10), Bounds(-1e300, -1e300, 1e300, 1e300),
                            Bounds(1e39, 1e39, 2e39, 2e39)}) {
        pack::PackGrid grid = pack.grid;
        grid.bounds = b;
        SvgSummary labels;
        const std::string svg = svgDocument(inspection, grid, {800}, labels);
        SCOPED_TRACE(b.x1);
        expectNoNonFiniteNumber(svg);
    }
}

TEST_F(InspectTest, CountsWhatTheHostWouldReadBack) {
    EXPECT_EQ(calls, pack.requests.size());
    EXPECT_EQ(inspection.models.size(), 8u);

    EXPECT_EQ(layer(kCell).triangles, 2u);  // a 4-vertex strip
    const LayerStats& buildings = layer(kBuilding);
    EXPECT_EQ(buildings.models, 2u);
    EXPECT_EQ(buildings.triangles, 4u + 8u + 3u + 6u);  // roofs and walls
    EXPECT_EQ(buildings.segments, 4u * 3 + 3u * 3);     // edge, vertical, ground per outline edge
    EXPECT_FLOAT_EQ(buildings.minHeight, 2.5f);
    EXPECT_FLOAT_EQ(buildings.maxHeight, 12.0f);
    EXPECT_EQ(layer(kRoad).segments, 1u);
    EXPECT_EQ(layer(kRoad).skipped, 1u);
    EXPECT_EQ(layer(kPoi).points, 2u);
    EXPECT_EQ(layer(kPlace).labels, 1u);
    EXPECT_EQ(layer(kRoadName).labels, 1u);
    EXPECT_EQ(inspection.layers.at(0).skipped, 1u);  // the request without blobs

    // The bridge's filter wants variant 0, and the origin is narrowed to float.
    for (const BuiltModel& m : inspection.models) {
        if (m.model->layerId == kPlace) {
            EXPECT_EQ(m.model->label, "Mission");
        }
        if (m.model->layerId == kPoi) {
            EXPECT_EQ(m.origin, vec2(1000.3f, 2000.0f));
            EXPECT_EQ(m.model->points[0], vec2(1001.3f - 1000.3f, 1.0f));
        }
    }
}

TEST_F(InspectTest, TablesNameEveryLayerAndStayStable) {
    const std::string table = formatTable(inspection);
    for (const char* name :
         {"cell", "road", "bridge", "building", "poi", "road-name", "place", "total", "layer 0"}) {
        EXPECT_NE(table.find(name), std::string::npos) << name;
    }
    EXPECT_NE(table.find("2.5 .. 12.0"), std::string::npos) << table;
    EXPECT_EQ(formatCounts(inspection), formatCounts(inspectPack(pack)));
}

TEST_F(InspectTest, BridgeBandsAreWidenedForDrawing) {
    for (const BuiltModel& m : inspection.models) {
        const bool band = isOffsetBand(*m.model);
        EXPECT_EQ(band, m.model->layerId == kBridge);
        if (!band) continue;
        auto area = [](const std::vector<glm::vec3>& t) {
            float sum = 0;
            for (size_t i = 0; i + 2 < t.size(); i += 3)
                sum += glm::length(glm::cross(t[i + 1] - t[i], t[i + 2] - t[i])) / 2;
            return sum;
        };
        EXPECT_EQ(area(geometryPolygonsToTriangles(m.model->polygons)), 0.0f);
        // Two rails, each 2 units wide (half the line width each way) and
        // about 40 long, plus their caps.
        EXPECT_GT(area(drawableTriangles(*m.model)), 2 * 2 * 40.0f);
    }
}

TEST_F(InspectTest, RoadLabelsSitOnTheirLine) {
    for (const BuiltModel& m : inspection.models) {
        if (m.model->layerId != kRoadName) continue;
        LabelPlacement at;
        ASSERT_TRUE(placeLabel(*m.model, at));
        EXPECT_NEAR(at.at.x, 10.0f, 1e-3f);
        EXPECT_NEAR(at.at.y, 10.0f, 1e-3f);
        EXPECT_NEAR(at.angle, 45.0f, 1e-3f);
    }
}

TEST_F(InspectTest, GltfLoadsBackWithEveryModel) {
    GltfSummary summary;
    std::string error;
    const std::string path = dir + "/tile.gltf";
    ASSERT_TRUE(writeGltf(inspection, path, summary, error)) << error;

    tinygltf::Model model;
    tinygltf::TinyGLTF loader;
    std::string warning;
    ASSERT_TRUE(loader.LoadASCIIFromFile(&model, &error, &warning, path)) << error;
    EXPECT_EQ(model.meshes.size(), summary.meshes);
    EXPECT_EQ(summary.meshes, 6u);  // cell, road, bridge, two buildings, poi
    EXPECT_EQ(summary.points, 2u);
    EXPECT_GT(summary.droppedTriangles, 0u);  // the bridge strip's joins

    size_t triangles = 0;
    for (const auto& mesh : model.meshes) {
        for (const auto& primitive : mesh.primitives) {
            const auto& positions = model.accessors.at(primitive.attributes.at("POSITION"));
            ASSERT_EQ(positions.minValues.size(), 3u);
            for (double v : positions.minValues) EXPECT_TRUE(std::isfinite(v));
            if (primitive.mode != TINYGLTF_MODE_TRIANGLES) continue;
            triangles += positions.count / 3;
            const auto& normals = model.accessors.at(primitive.attributes.at("NORMAL"));
            const auto& view = model.bufferViews.at(normals.bufferView);
            const unsigned char* bytes =
                model.buffers[0].data.data() + view.byteOffset + normals.byteOffset;
            auto n = [&](size_t k) {  // little-endian, as glTF stores floats
                uint32_t bits = 0;
                for (size_t b = 0; b < 4; ++b) bits |= uint32_t{bytes[4 * k + b]} << (8 * b);
                return std::bit_cast<float>(bits);
            };
            for (size_t i = 0; i < normals.count; ++i) {
                EXPECT_NEAR(std::hypot(n(3 * i), n(3 * i + 1), n(3 * i + 2)), 1.0, 1e-5);
            }
        }
    }
    EXPECT_EQ(triangles, summary.triangles);

    // Labels without geometry become named nodes.
    bool found = false;
    for (const auto& node : model.nodes) found |= node.name == "Mission" && node.mesh < 0;
    EXPECT_TRUE(found);
}

// The 3D page's labels: kept by the SVG's rules in a top view kLabelViewPx
// wide (place names first), laid on the ground in glTF's axes.
TEST_F(InspectTest, GltfCarriesTheLabelsTheTopViewKeeps) {
    GltfSummary summary;
    const std::string json = encodeGltf(inspection, GltfEncoding::Json, summary);
    tinygltf::Model gltf;
    std::string error, warning;
    tinygltf::TinyGLTF reader;
    ASSERT_TRUE(reader.LoadASCIIFromString(&gltf, &error, &warning, json.data(),
                                           static_cast<unsigned>(json.size()), ""))
        << error;
    const tinygltf::Value& labels = gltf.scenes.at(0).extras.Get("labels");
    ASSERT_EQ(labels.ArrayLen(), 2u);
    EXPECT_EQ(summary.labels, 2u);
    const tinygltf::Value& place = labels.Get(0);
    EXPECT_EQ(place.Get("text").Get<std::string>(), "Mission");
    EXPECT_EQ(place.Get("kind").Get<std::string>(), "place");
    EXPECT_EQ(place.Get("layerId").GetNumberAsInt(), kPlace);

    const tinygltf::Value& road = labels.Get(1);
    EXPECT_EQ(road.Get("text").Get<std::string>(), "Market St");
    EXPECT_EQ(road.Get("kind").Get<std::string>(), "road");
    EXPECT_NEAR(road.Get("angle").GetNumberAsDouble(), 45.0, 1e-3);
    const tinygltf::Value& at = road.Get("position");
    EXPECT_NEAR(at.Get(0).GetNumberAsDouble(), 1010.3, 0.01);  // the middle of its line
    EXPECT_EQ(at.Get(1).GetNumberAsDouble(), 0.0);
    EXPECT_NEAR(at.Get(2).GetNumberAsDouble(), -2010.0, 0.01);
    // The grid is 200 units wide.
    const double pxPerUnit = kLabelViewPx / 200.0;
    EXPECT_NEAR(road.Get("fontSize").GetNumberAsDouble() * pxPerUnit, kRoadFontPx, 1e-6);
    EXPECT_GT(road.Get("size").Get(0).GetNumberAsDouble(),
              road.Get("size").Get(1).GetNumberAsDouble());
}

TEST_F(InspectTest, SvgDrawsEveryLayerAndLabel) {
    std::string error;
    const std::string path = dir + "/tile.svg";
    SvgSummary labels;
    ASSERT_TRUE(writeSvg(inspection, pack.grid, path, {800}, labels, error)) << error;
    EXPECT_EQ(labels.labelCandidates, 2u);
    EXPECT_EQ(labels.labelsDrawn, 2u);
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    const std::string svg = text.str();

    auto count = [&](const std::string& what) {
        size_t n = 0;
        for (size_t at = svg.find(what); at != std::string::npos; at = svg.find(what, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("<svg"), 1u);
    EXPECT_EQ(count("<g"), count("</g>"));
    EXPECT_EQ(count("<g id=\"layer-"), 7u);
    EXPECT_NE(svg.find(">Mission</text>"), std::string::npos);
    EXPECT_NE(svg.find(">Market St</text>"), std::string::npos);
    EXPECT_NE(svg.find("rotate("), std::string::npos);
    EXPECT_EQ(count("<circle"), 2u);
    expectNoNonFiniteNumber(svg);
}

TEST(Inspect, WritersReportUnwritablePaths) {
    pack::BlobPack pack = tilePack();
    const Inspection inspection = inspectPack(pack);
    std::string error;
    GltfSummary summary;
    EXPECT_FALSE(writeGltf(inspection, "/nonexistent-dir/x.gltf", summary, error));
    EXPECT_FALSE(error.empty());
    error.clear();
    SvgSummary labels;
    EXPECT_FALSE(writeSvg(inspection, pack.grid, "/nonexistent-dir/x.svg", {}, labels, error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(writePage(inspection, "x", "/nonexistent-dir/viewer.js",
                           ::testing::TempDir() + "/x.html", error));
    EXPECT_NE(error.find("viewer"), std::string::npos);
}

// Texts are raw bytes in packs: a layer name and a label-segment text that
// are not UTF-8 reach every writer as U+FFFD, and the outputs stay valid.
TEST(Inspect, WritersTurnIllFormedTextIntoReplacementCharacters) {
    pack::BlobPack pack = tilePack();
    pack.layerNames[kRoadName] = "road\xFF-name";
    SegmentSpec segment;
    segment.kind = 1;
    segment.text = "Mar\xC0\x80ket \xE2\x82";
    segment.points = {{1000.3f, 2000}, {1010.3f, 2010}};
    pack.requests.push_back(
        {1000.3,
         2000.0,
         {S_BlobData(10, LABEL_STYLE_SEGMENTS, kRoadName, 1 << 16, labelSegments({{segment}}))}});
    const Inspection inspection = inspectPack(pack);
    EXPECT_EQ(inspection.layers.at(kRoadName).name, "road\xEF\xBF\xBD-name");

    GltfSummary summary;
    const std::string json = encodeGltf(inspection, GltfEncoding::Json, summary);
    tinygltf::Model gltf;
    std::string error, warning;
    tinygltf::TinyGLTF reader;  // its JSON parser refuses ill-formed UTF-8
    ASSERT_TRUE(reader.LoadASCIIFromString(&gltf, &error, &warning, json.data(),
                                           static_cast<unsigned>(json.size()), ""))
        << error;
    bool found = false;
    for (const auto& node : gltf.nodes) {
        found |= node.name == "Mar\xEF\xBF\xBD\xEF\xBF\xBDket \xEF\xBF\xBD" &&
                 node.extras.Get("layer").Get<std::string>() == "road\xEF\xBF\xBD-name";
    }
    EXPECT_TRUE(found);

    SvgSummary labels;
    const std::string svg = svgDocument(inspection, pack.grid, {800}, labels);
    pugi::xml_document document;
    EXPECT_TRUE(document.load_string(svg.c_str())) << svg;
    EXPECT_TRUE(isValidUtf8(svg));
    EXPECT_NE(svg.find("data-name=\"road\xEF\xBF\xBD-name\""), std::string::npos);

    const std::string page =
        pageDocument(inspection, "t\xFF</title>", "var a = '</script>';", summary);
    EXPECT_TRUE(isValidUtf8(page));
    EXPECT_EQ(page.find("</script>';"), std::string::npos);  // the viewer cannot end its script
    EXPECT_NE(page.find("id=\"meshory-model\""), std::string::npos);
}

// Map renderers' rule: a label that overlaps one already placed is left
// out, place names go before road names and longer roads before shorter,
// and a text is kept once per tile.
TEST(Inspect, LabelsNeitherOverlapNorRepeatInATile) {
    auto label = [](int32_t cell, const char* text, glm::vec2 at, float angle, int priority,
                    float weight) {
        LabelCandidate c;
        c.cell = cell, c.text = text, c.centre = at, c.size = {40, 10};
        c.angle = angle, c.priority = priority, c.weight = weight;
        return c;
    };
    const std::vector<LabelCandidate> candidates = {
        label(1, "Oak St", {0, 0}, 0, 1, 10),       // 0: overlaps 1, a shorter road
        label(1, "Pine St", {30, 0}, 0, 1, 50),     // 1: kept first among roads
        label(1, "Park", {30, -10}, 0, 0, 0),       // 2: place name, before every road
        label(1, "Pine St", {200, 0}, 0, 1, 40),    // 3: repeats in its tile
        label(2, "Pine St", {400, 0}, 0, 1, 40),    // 4: another tile
        label(1, "Elm St", {0, 40}, 90, 1, 5),      // 5: upright, clear of the others
        label(1, "Ash St", {100, 100}, 45, 1, 5),   // 6 and 7: parallel and clear,
        label(1, "Birch St", {108, 92}, 45, 1, 5),  //   though their bounding boxes meet
        label(1, "Fir St", {30, -12}, 0, 1, 60),    // 8: under the place name
    };
    EXPECT_EQ(selectLabels(candidates), (std::vector<size_t>{2, 1, 4, 5, 6, 7}));
}

}  // namespace
}  // namespace quorvan::inspect
