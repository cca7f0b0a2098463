#include "grid/grid.h"
#include "model/builder_fixture.h"
#include "support/short_names.h"

namespace quorvan {
namespace {

const vec2 kC{0, 0}, kP1{1, 0}, kP2{0, 1}, kP3{-1, -1};  // counter-clockwise ring around kC
const Bytes kStrip4 = plainStream({{0, 0}, {1, 0}, {0, 1}, {1, 1}});
const Bytes kStrip3 = plainStream({{5, 5}, {6, 5}, {5, 6}});

TEST(AreaBuilders, StripsJoinUntilABlobNeedsATriangleList) {
    const struct {
        Blobs blobs;
        uint32_t mode;
        size_t vertices, normals;
    } cases[] = {
        {{{FLAT_TRIANGLE_STRIP, kStrip4}, {FLAT_TRIANGLE_STRIP, kStrip3}}, 5, 4 + 2 + 3, 0},
        // The joined strip becomes 7 triangles with fresh normals.
        {{{FLAT_TRIANGLE_STRIP, kStrip4},
          {FLAT_TRIANGLE_STRIP, kStrip3},
          {TRIANGLE_STRIPS, kStrip3}},
         4,
         21 + 3,
         24},
        // Once a list, flat blobs append triangles without normals.
        {{{TRIANGLE_STRIPS, kStrip3}, {FLAT_TRIANGLE_STRIP, kStrip4}}, 4, 3 + 6, 3},
        {{{FLAT_TRIANGLE_STRIP, kStrip4}, {FLAT_TRIANGLE_FAN, plainStream({kC, kP1, kP2})}},
         4,
         6 + 6,
         0},
    };
    for (const auto& c : cases) {
        C_Meshory maker;
        const auto& m = build(maker, c.blobs);
        EXPECT_EQ(m.polygons.mode, c.mode);
        EXPECT_EQ(m.polygons.vertices.size(), c.vertices);
        EXPECT_EQ(m.polygons.normals.size(), c.normals);
    }
}

TEST(AreaBuilders, FlatFansGiveTrianglesAndOutlineClosingEdgeFirst) {
    C_Meshory maker;
    const vec3 c{kC, 0}, p1{kP1, 0}, p2{kP2, 0}, p3{kP3, 0};
    const auto& centred = build(maker, {{FLAT_TRIANGLE_FAN, plainStream({kC, kP1, kP2, kP3})}});
    EXPECT_EQ(centred.polygons.vertices, (V3{c, p1, p2, c, p2, p3, c, p3, p1}));
    EXPECT_EQ(centred.lines.vertices, (V3{p1, p3, p2, p1, p3, p2}));
    EXPECT_EQ(centred.lines.mode, 1u);

    const auto& onPolygon =
        build(maker, {{ON_POLYGON_FLAT_TRIANGLE_FAN, plainStream({kP1, kP2, kP3, kP1})}});
    EXPECT_EQ(onPolygon.polygons.vertices, (V3{p1, p2, p3, p1, p3, p1}));
    EXPECT_EQ(onPolygon.lines.vertices, (V3{p2, p1, p3, p2, p1, p3}));
}

TEST(AreaBuilders, IndexedFlatStripJoinsGroundVerticesAndOutline) {
    C_Meshory maker;
    const auto& m = build(maker,
                          {{INDEXED_FLAT_TRIANGLE_STRIPS,
                            indexedBlock<vec2>({{1, 1}, {2, 1}, {1, 2}, {2, 2}}, {0, 1, 2, 3},
                                               {0, 1, 3}, 30, kByteSecond | kDeltaVertices)}},
                          {1, 1, 9});
    EXPECT_EQ(m.polygons.vertices, (V3{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}));
    EXPECT_EQ(m.polygons.mode, 5u);
    EXPECT_EQ(m.lines.vertices, (V3{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 0, 0}}));
    EXPECT_EQ(m.height, 3.0f);  // stored, not applied
}

TEST(AreaBuilders, CellPolygonReplacesVerticesWithTheCellSquare) {
    grid().cellsAmount(4, 3);
    grid().gridCoordinates(Bounds(0, 0, 400, 300));
    C_Meshory maker;
    const std::vector<S_BlobData> blobs{{1, FLAT_TRIANGLE_STRIP, 0, 0, kStrip4},
                                        {2, CELL_POLYGON, 0, grid().xyToIndex(2, 1), {}}};
    const S_Model* m = maker.makeModel(blobs, vec3(0, 0, 2), LoadFilter());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->polygons.vertices,
              (V3{{195, 95, -2}, {305, 95, -2}, {195, 205, -2}, {305, 205, -2}}));
    EXPECT_EQ(m->polygons.mode, 5u);
    // A checked set-up with its corners reversed draws the very same square.
    grid().setUp(4, 3, Bounds(400, 300, 0, 0));
    const S_Model* r = maker.makeModel(blobs, vec3(0, 0, 2), LoadFilter());
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->polygons.vertices, m->polygons.vertices);
}

}  // namespace
}  // namespace quorvan
