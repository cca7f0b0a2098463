#include <algorithm>

#include "model/builder_fixture.h"
#include "support/short_names.h"

namespace quorvan {
namespace {

// Every order of a mix of line and area blobs keeps the layouts whole: line
// pairs, whole triangles once a list, finite vertices, and the same outline
// whatever the order (lines are only ever appended).
TEST(MixedModels, EveryOrderKeepsLayoutsWhole) {
    const std::vector<vec2> ring{{0, 0}, {4, 0}, {4, 4}, {0, 4}};
    const Blobs blobs{
        {LINES, plainStream({{0, 0}, {1, 1}, {2, 2}})},
        {FLAT_LINE_STRIP, withU8Prefix(2, deltaStream({{0, 0}, {1, 0}, {1, 1}}))},
        {FLAT_TRIANGLE_STRIP, plainStream({{0, 0}, {1, 0}, {0, 1}, {1, 1}, {2, 1}})},
        {TRIANGLE_STRIPS, plainStream({{0, 0}, {1, 0}, {0, 1}, {1, 1}})},
        {INDEXED_FLAT_TRIANGLE_STRIPS,
         indexedBlock<vec2>(ring, {0, 1, 3, 2}, {0, 1, 2, 3, 0}, 0, 0)},
        {ON_POLYGON_FLAT_TRIANGLE_FAN, plainStream(ring)},
        {TRIANGLE_FAN, withU16Prefix(15, plainStream({{2, 2}, {0, 0}, {4, 0}, {4, 4}}))},
        {INDEXED_TRIANGLE_STRIPS,
         indexedBlock<vec2>(ring, {0, 1, 3, 2}, {0, 1, 2, 3}, 30, kDeltaVertices)},
    };
    std::vector<size_t> order(blobs.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    size_t lineCount = 0;
    size_t orders = 0;
    size_t seen = 0;
    do {
        // One order in 16 is enough to vary which blobs come first and last.
        if (seen++ % 16 != 0) continue;
        Blobs shuffled;
        for (size_t i : order) shuffled.push_back(blobs[i]);
        C_Meshory maker;
        const auto& m = build(maker, shuffled);
        ASSERT_EQ(m.lines.vertices.size() % 2, 0u);
        if (lineCount == 0) lineCount = m.lines.vertices.size();
        ASSERT_EQ(m.lines.vertices.size(), lineCount);
        ASSERT_TRUE(m.polygons.mode == 4 || m.polygons.mode == 5);
        if (m.polygons.mode == 4) {
            ASSERT_EQ(m.polygons.vertices.size() % 3, 0u);
        }
        ASSERT_LE(m.polygons.normals.size(), m.polygons.vertices.size());
        ASSERT_TRUE(allFinite(m.polygons.vertices) && allFinite(m.lines.vertices));
        ++orders;
    } while (std::next_permutation(order.begin(), order.end()));
    EXPECT_EQ(orders, 40320u / 16);
    EXPECT_EQ(lineCount, 2u + 4u + 8u + 8u + 18u + 24u);
}

// The strip stays a strip until a blob needs a list; labels of both kinds
// share the model's one label, the last builder winning.
TEST(MixedModels, StripJoinsThenConvertsAndLabelsShareOneText) {
    C_Meshory maker;
    SegmentSpec point;
    point.kind = 2;
    point.text = "segment";
    point.points = {{7, 8}};
    const auto strip = plainStream({{0, 0}, {1, 0}, {0, 1}});
    const auto& m =
        build(maker,
              {{FLAT_TRIANGLE_STRIP, strip},
               {TEXT_DATA, labelBlock({3, 4}, {{0, "text"}})},
               {FLAT_TRIANGLE_STRIP, strip},
               {LABEL_STYLE_SEGMENTS, labelSegments({{point}})},
               {ON_POLYGON_TRIANGLE_FAN, withU16Prefix(20, plainStream({{0, 0}, {1, 0}, {0, 1}}))}},
              {0, 0, 1});
    // Joined strip of 3 + 3 vertices and 3 join vertices: 7 triangles; then
    // the open fan: roof 2 triangles, walls 3 x 2.
    EXPECT_EQ(m.polygons.vertices.size(), 21u + 6u + 18u);
    EXPECT_EQ(m.polygons.normals.size(), m.polygons.vertices.size());
    EXPECT_EQ(m.label, "segment");
    EXPECT_EQ(m.labelPosition, vec3(7, 8, 0));
}

}  // namespace
}  // namespace quorvan
