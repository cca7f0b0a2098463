#include "model/builder_fixture.h"
#include "model/builders/outlines.h"
#include "support/short_names.h"

namespace quorvan {
namespace {

const std::vector<vec2> kSquare{{0, 0}, {1, 0}, {0, 1}, {1, 1}};

// An index list with any index beyond the vertices is dropped as a whole;
// the block's other list still counts.
TEST(BadInput, IndexListLeavingItsVerticesAddsNothingOfItsOwn) {
    const struct {
        int32_t type;
        Bytes payload;
        size_t polygons, lines;
    } cases[] = {
        {INDEXED_LINES, indexedBlock<vec3>({{0, 0, 0}, {1, 1, 1}}, {0, 1, 1, 2}, {}, 0, 0), 0, 0},
        {INDEXED_FLAT_TRIANGLE_STRIPS,
         indexedBlock<vec2>(kSquare, {0, 1, 2, 4}, {0, 1, 3}, 0, kByteSecond), 0, 4},
        {INDEXED_FLAT_TRIANGLE_STRIPS, indexedBlock<vec2>(kSquare, {0, 1, 2}, {0, 1, 9}, 0, 0), 3,
         0},
        {INDEXED_TRIANGLE_STRIPS, indexedBlock<vec2>(kSquare, {0, 1, 2, 3}, {0, 1, 4}, 20, 0), 6,
         0},  // no walls
        {INDEXED_TRIANGLE_STRIPS, indexedBlock<vec2>(kSquare, {0, 1, 2, 300}, {0, 1, 3, 2}, 20, 0),
         24, 24},
    };
    for (const auto& c : cases) {
        C_Meshory maker;
        const auto& m = build(maker, {{c.type, c.payload}});
        EXPECT_EQ(m.polygons.vertices.size(), c.polygons) << c.type;
        EXPECT_EQ(m.lines.vertices.size(), c.lines) << c.type;
        EXPECT_EQ(m.lines.mode, 1u);
    }
}

// No width or height could be read: the model stays as the earlier blobs left it.
TEST(BadInput, PrefixLongerThanPayloadChangesNothing) {
    const Blobs seed{{TRIANGLE_FAN, withU16Prefix(25, plainStream({{0, 0}, {1, 0}, {0, 1}}))},
                     {FLAT_LINE_STRIP, withU8Prefix(4, plainStream({{0, 0}, {1, 0}}))}};
    Blobs withBad = seed;
    withBad.insert(withBad.end(),
                   {{FLAT_LINE_STRIP, {}}, {TRIANGLE_FAN, {9}}, {ON_POLYGON_TRIANGLE_FAN, {}}});
    C_Meshory maker;
    const auto& expected = build(maker, seed);
    const auto& m = build(maker, withBad);
    EXPECT_EQ(m.height, expected.height);
    EXPECT_EQ(m.polygons.vertices, expected.polygons.vertices);
    EXPECT_EQ(m.polygons.normals.size(), expected.polygons.normals.size());
    EXPECT_EQ(m.lines.vertices, expected.lines.vertices);
    EXPECT_EQ(m.lines.width, 4.0f);

    const auto& alone = build(maker, {{TRIANGLE_FAN, {1}}, {FLAT_LINE_STRIP, {}}});
    EXPECT_EQ(alone.polygons.mode, 0u);
    EXPECT_EQ(alone.lines.mode, 0u);
}

TEST(BadInput, FanOfOnlyItsCentreHasNoOutlineNoWalls) {
    for (const V3& fan : {V3{}, V3{{1, 2, 3}}}) {
        EXPECT_TRUE(makeStrokeLinesFromTrianglesFan(fan, true).empty());
        EXPECT_TRUE(getWallsTrianglesFromTriangleFan(fan, true).empty());
    }
    C_Meshory maker;
    const auto& m = build(maker, {{FLAT_TRIANGLE_FAN, plainStream({{1, 1}})},
                                  {TRIANGLE_FAN, withU16Prefix(30, plainStream({{1, 1}}))}});
    EXPECT_TRUE(m.polygons.vertices.empty());
    EXPECT_TRUE(m.lines.vertices.empty());
    EXPECT_EQ(m.height, 3.0f);
}

}  // namespace
}  // namespace quorvan
