#include "geometry/mathglm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <tuple>

namespace quorvan {
namespace {

using glm::vec2;
using Ring = std::vector<vec2>;

const Ring kSquare{{0, 0}, {1, 0}, {1, 1}, {0, 1}};  // counter-clockwise

bool lexLess(vec2 a, vec2 b) {
    return std::tie(a.x, a.y) < std::tie(b.x, b.y);
}

// Closed (last point repeats the first) and every corner a strict left turn.
void expectClosedConvexCcw(const Ring& hull) {
    ASSERT_GE(hull.size(), 4u);
    EXPECT_EQ(hull.front(), hull.back());
    const size_t n = hull.size() - 1;
    for (size_t i = 0; i < n; ++i) {
        const vec2 a = hull[(i + 1) % n] - hull[i], b = hull[(i + 2) % n] - hull[i];
        EXPECT_GT(a.x * b.y - a.y * b.x, 0.0f) << "corner " << i;
    }
}

TEST(PolygonTests, WindingConvexityCentroidAndInside) {
    EXPECT_FALSE(isConvex({{0, 0}, {1, 1}, {2, 2}}));
    EXPECT_TRUE(isConvex(kSquare));
    EXPECT_TRUE(isClockWise({}));
    const Ring clockwise(kSquare.rbegin(), kSquare.rend());
    EXPECT_TRUE(isClockWise(clockwise));
    EXPECT_EQ(findCentroid(kSquare), std::make_pair(vec2(0.5f, 0.5f), true));
    EXPECT_EQ(findCentroid(clockwise), std::make_pair(vec2(0.5f, 0.5f), false));
    EXPECT_FALSE(findCentroid({{3, 4}}).second);
    EXPECT_FALSE(findCentroid({}).second);

    // Reported inside means really inside; the 3D test excludes the border.
    const Ring triangle{{0, 0}, {4, 0}, {0, 4}};
    const std::vector<glm::vec3> flat{{0, 0, 0}, {4, 0, 0}, {0, 4, 0}};
    for (float x = -1.0f; x <= 5.0f; x += 0.25f) {
        for (float y = -1.0f; y <= 5.0f; y += 0.25f) {
            if (pointInsideConvexPolygon(vec2(x, y), triangle)) {
                EXPECT_TRUE(x >= 0 && y >= 0 && x + y <= 4);
            }
            EXPECT_EQ(pointInsideConvexPolygon(glm::vec3(x, y, 0), flat),
                      x > 0 && y > 0 && x + y < 4);
        }
    }
}

TEST(PolygonTests, Overlaps) {
    EXPECT_TRUE(
        overlapsConvexPolygonAABB({{-5, -5}, {5, -5}, {0, 5}}, C_AABB2d(vec2(0, 0), 1.0f, 1.0f)));
    EXPECT_TRUE(overlapsConvexPolygons({{-1, 0.4f}, {2, 0.4f}, {2, 0.6f}, {-1, 0.6f}},
                                       kSquare));  // edges only
    EXPECT_FALSE(overlapsConvexPolygons(kSquare, {{3, 3}, {4, 3}, {4, 4}}));
}

TEST(ConvexHull, ClosedCounterClockwiseRingWhateverTheInputOrder) {
    Ring squareAndCentre = kSquare;
    squareAndCentre.emplace_back(0.5f, 0.5f);
    const Ring hull = convexHull(squareAndCentre);
    EXPECT_EQ(hull.size(), 5u);
    expectClosedConvexCcw(hull);

    // Vertical runs at both ends: ordering on x alone can drop a corner.
    Ring points{{0, 0}, {0, 1}, {0, 2}, {3, 0}, {3, 1}, {3, 2}};
    do {
        const Ring h = convexHull(points);
        ASSERT_EQ(h.size(), 5u);
        expectClosedConvexCcw(h);
        for (const vec2 c : {vec2(0, 0), vec2(0, 2), vec2(3, 0), vec2(3, 2)})
            EXPECT_NE(std::find(h.begin(), h.end(), c), h.end());
    } while (std::next_permutation(points.begin(), points.end(), lexLess));

    const float nan = std::numeric_limits<float>::quiet_NaN();
    Ring withNaN = squareAndCentre;
    withNaN.insert(withNaN.begin() + 2, {vec2(nan, 0), vec2(0.3f, nan)});
    EXPECT_EQ(convexHull(withNaN), hull);
}

TEST(ConvexHull, CutKeepsThePartOfAInsideB) {
    const Ring cut =
        cutConvexPolygonAInsideB(kSquare, {{0.5f, 0.5f}, {1.5f, 0.5f}, {1.5f, 1.5f}, {0.5f, 1.5f}});
    expectClosedConvexCcw(cut);
    for (const auto& p : cut) EXPECT_TRUE(p.x >= 0.5f && p.x <= 1.0f && p.y >= 0.5f && p.y <= 1.0f);
    const Ring small{{0.4f, 0.4f}, {0.6f, 0.4f}, {0.6f, 0.6f}};
    EXPECT_TRUE(cutConvexPolygonAInsideB(kSquare, small).empty());   // b inside a, nothing crosses
    EXPECT_EQ(cutConvexPolygonAInsideB(small, kSquare).size(), 4u);  // a inside b: a, closed
}

}  // namespace
}  // namespace quorvan
