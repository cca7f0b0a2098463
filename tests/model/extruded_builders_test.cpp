#include <glm/geometric.hpp>

#include "model/builder_fixture.h"
#include "support/short_names.h"

namespace quorvan {
namespace {

const vec2 kC{0, 0}, kP1{1, 0}, kP2{0, 1}, kP3{-1, -1};  // counter-clockwise ring around kC
const std::vector<vec2> kSquare{{0, 0}, {1, 0}, {0, 1}, {1, 1}};  // strip order; ring 0 1 3 2

// Every vertical (wall) triangle faces away from `inside`.
void expectWallsFaceOutward(const S_GeometryPolygons& p, vec2 inside) {
    ASSERT_EQ(p.normals.size(), p.vertices.size());
    ASSERT_TRUE(allFinite(p.vertices) && allFinite(p.normals));
    for (size_t k = 0; k + 2 < p.vertices.size(); k += 3) {
        const vec3 mid = (p.vertices[k] + p.vertices[k + 1] + p.vertices[k + 2]) / 3.0f;
        if (p.normals[k].z != 0.0f) continue;  // roof
        EXPECT_GT(glm::dot(vec2(p.normals[k]), vec2(mid) - inside), 0.0f) << k;
    }
}

// Outline segments that stand vertically over one ground point.
size_t verticalEdges(const V3& lines) {
    size_t count = 0;
    for (size_t i = 0; i + 1 < lines.size(); i += 2) {
        count += vec2(lines[i]) == vec2(lines[i + 1]) && lines[i].z != lines[i + 1].z;
    }
    return count;
}

TEST(ExtrudedBuilders, RaisedFanHasRoofThenWallsAndAnEdgeUpEveryVertex) {
    C_Meshory maker;
    const auto& m =
        build(maker, {{TRIANGLE_FAN, withU16Prefix(25, plainStream({kC, kP1, kP2, kP3}))}});
    EXPECT_EQ(m.height, 2.5f);
    ASSERT_EQ(m.polygons.vertices.size(), 9u + 18u);
    const vec3 p1{kP1, 2.5f}, p3{kP3, 2.5f};
    const V3 closingWall(m.polygons.vertices.begin() + 9, m.polygons.vertices.begin() + 15);
    EXPECT_EQ(closingWall, (V3{p1, p3, {kP3, 0}, p1, {kP3, 0}, {kP1, 0}}));
    expectWallsFaceOutward(m.polygons, kC);
    EXPECT_EQ(m.lines.vertices.size(), 18u);
    EXPECT_EQ(verticalEdges(m.lines.vertices), 3u);
}

TEST(ExtrudedBuilders, GroundFanAndClosedRingBuildNoExtraWallsOrEdges) {
    C_Meshory maker;
    const auto& ground =
        build(maker, {{TRIANGLE_FAN, withU16Prefix(0, plainStream({kC, kP1, kP2, kP3}))}});
    EXPECT_EQ(ground.polygons.normals, V3(9, vec3(0, 0, 1)));
    EXPECT_EQ(ground.lines.vertices.size(), 6u);
    for (const auto& v : ground.lines.vertices) EXPECT_EQ(v.z, 0.0f);

    const auto& closed = build(
        maker, {{ON_POLYGON_TRIANGLE_FAN, withU16Prefix(10, plainStream({kP1, kP2, kP3, kP1}))}});
    EXPECT_EQ(closed.polygons.vertices.size(), 6u + 3u * 6u);
    EXPECT_EQ(closed.lines.vertices.size(), 3u * 6u);
}

TEST(ExtrudedBuilders, IndexedStripsBuildOneWallAndEdgeUpPerOutlineVertex) {
    for (const std::vector<uint16_t>& ring : {std::vector<uint16_t>{0, 1, 3, 2}, {0, 1, 3, 2, 0}}) {
        C_Meshory maker;
        const auto& m = build(
            maker,
            {{INDEXED_TRIANGLE_STRIPS, indexedBlock<vec2>(kSquare, {0, 1, 2, 3}, ring, 20, 0)}},
            {0, 0, 7});
        EXPECT_EQ(m.height, 2.0f);
        EXPECT_EQ(m.polygons.vertices.size(), 6u + 24u)
            << ring.size();  // closing pair only when open
        expectWallsFaceOutward(m.polygons, {0.5f, 0.5f});
        EXPECT_EQ(m.lines.vertices.size(), 4u * 6u);
        EXPECT_EQ(verticalEdges(m.lines.vertices), 4u);
    }
}

TEST(ExtrudedBuilders, LaterBlobsConvertTheStripAndKeepEarlierOutlines) {
    C_Meshory maker;
    const auto& m = build(
        maker,
        {{FLAT_TRIANGLE_STRIP, plainStream({{5, 5}, {6, 5}, {5, 6}, {6, 6}})},
         {TRIANGLE_FAN, withU16Prefix(10, plainStream({kC, kP1, kP2, kP3}))},
         {INDEXED_TRIANGLE_STRIPS, indexedBlock<vec2>(kSquare, {0, 1, 2, 3}, {0, 1, 3, 2}, 0, 0)}});
    EXPECT_EQ(m.height, 0.0f);  // last blob wins
    EXPECT_EQ(m.polygons.vertices.size(), 6u + 27u + 6u);
    EXPECT_EQ(m.polygons.normals.size(), m.polygons.vertices.size());
    ASSERT_EQ(m.lines.vertices.size(), 18u + 8u);
    EXPECT_EQ(m.lines.vertices[0], vec3(kP1, 1.0f));  // the fan's closing edge first
    EXPECT_EQ(m.lines.vertices[18], vec3(0, 1, 0));   // then the block's, 2 -> 0
}

}  // namespace
}  // namespace quorvan
