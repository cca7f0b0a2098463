#include "model/builder_fixture.h"
#include "support/short_names.h"

namespace quorvan {
namespace {

TEST(LineBuilders, LinesAppendPairsInBlobOrderAndDropADanglingPoint) {
    C_Meshory maker;
    const auto& m =
        build(maker,
              {{LINES, plainStream({{11, 21}, {12, 22}, {13, 23}, {14, 24}})},
               {LINES, deltaStream({{10, 20}, {11, 20}, {12, 20}})}},  // odd: last dropped
              {10, 20, 5});
    EXPECT_EQ(m.lines.vertices,
              (V3{{1, 1, 0}, {2, 2, 0}, {3, 3, 0}, {4, 4, 0}, {0, 0, 0}, {1, 0, 0}}));
    EXPECT_EQ(m.lines.mode, 1u);
    EXPECT_EQ(m.lines.width, 0.0f);
}

TEST(LineBuilders, FlatLineStripConvertsAndTheLastWidthWins) {
    C_Meshory maker;
    const vec2 a{0, 0}, b{1, 0}, c{1, 1};
    const auto& m = build(maker, {{FLAT_LINE_STRIP, withU8Prefix(5, plainStream({a, b, c}))},
                                  {FLAT_LINE_STRIP, withU8Prefix(3, plainStream({a}))}});
    EXPECT_EQ(m.lines.vertices, (V3{{a, 0}, {b, 0}, {c, 0}, {b, 0}}));
    EXPECT_EQ(m.lines.width, 3.0f);  // one point: no segment, but the width is set
}

TEST(LineBuilders, IndexedLinesKeepZReportHeightAndDropADanglingIndex) {
    C_Meshory maker;
    const std::vector<vec3> v{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    const auto& m = build(
        maker, {{INDEXED_LINES, indexedBlock<vec3>(v, {0, 1, 1, 2, 0}, {}, 25, kByteIndices)}},
        {1, 1, 1});
    EXPECT_EQ(m.lines.vertices, (V3{{0, 1, 2}, {3, 4, 5}, {3, 4, 5}, {6, 7, 8}}));
    EXPECT_EQ(m.height, 2.5f);
}

}  // namespace
}  // namespace quorvan
