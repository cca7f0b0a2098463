#include "geometry/aabb2d.h"
#include "geometry/mathglm.h"

#include <gtest/gtest.h>

#include <limits>

namespace quorvan {
namespace {

using glm::vec2;
using glm::vec3;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(AABB2d, CreateFormsAndBorderRules) {
    EXPECT_EQ(C_AABB2d(vec2(0, 0), vec2(4, 2)).getCenter(), vec2(2, 1));
    const C_AABB2d box(vec2(2, 1), 4.0f, 2.0f);
    EXPECT_EQ(box.getRect(), (std::vector<vec2>{{0, 0}, {4, 0}, {4, 2}, {0, 2}}));
    EXPECT_FALSE(box.isPointInside(vec2(4, 1)));                      // border is outside
    EXPECT_TRUE(box.intersection(C_AABB2d(vec2(4, 0), vec2(5, 2))));  // but a shared edge meets
    EXPECT_TRUE(box.isInside(box));
}

TEST(Intersections, SegmentRangesExclusionsAndCircles) {
    const auto touch = intersectionLines(vec2(0, 0), vec2(2, 0), vec2(2, 0), vec2(3, 1));
    EXPECT_TRUE(touch.intersects);
    EXPECT_EQ(touch.point, vec2(2, 0));
    EXPECT_FALSE(
        intersectionLines(vec2(1, 0), vec2(1, 5), vec2(0, 0), vec2(2, 0)).intersects);  // a1 on b
    EXPECT_FALSE(
        intersectionLines(vec2(0, 0), vec2(4, 0), vec2(1, 0), vec2(3, 0)).intersects);  // overlap
    EXPECT_FALSE(intersectionLines(vec2(kNaN, 0), vec2(2, 0), vec2(1, -1), vec2(1, 1)).intersects);

    std::vector<vec2> out{vec2(9, 9)};
    intersectionLinePolygon(vec2(-1, 0.5f), vec2(2, 0.5f), {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, out);
    EXPECT_EQ(out, (std::vector<vec2>{{9, 9}, {1, 0.5f}, {0, 0.5f}}));  // appended in edge order

    const auto hits = lineCircleIntersection(vec2(0, 0), 1.0f, vec2(-0.5f, 0), vec2(0.5f, 0));
    ASSERT_EQ(hits.size(), 2u);  // one segment length either side of the midpoint
    EXPECT_NEAR(hits[0].x, 1.0f, 1e-6f);
    EXPECT_TRUE(lineCircleIntersection(vec2(0, 0), 1.0f, vec2(0.5f, 0), vec2(0.5f, 0)).empty());
}

TEST(Angles, WrapAngleAndPlaneCrossing) {
    EXPECT_EQ(wrapAngle(-90), 270);
    EXPECT_EQ(wrapAngle(360), 0);
    EXPECT_EQ(wrapAngle(720), 0);
    const vec3 up(0, 0, 1);
    EXPECT_EQ(getIntersectLinePlane(vec3(0), vec3(1, 1, 1), vec3(2, 2, 2), up), vec3(2, 2, 2));
    EXPECT_EQ(getIntersectLinePlane(vec3(0), vec3(1, 1, 0), vec3(2, 2, 2), up), vec3(2, 2, 2));
    const vec3 hit = getIntersectLinePlane(vec3(0, 0, 1), vec3(0, 0, 3), vec3(2, 0, -1), up);
    EXPECT_NEAR(hit.x, 1.0f, 1e-5);
    EXPECT_NEAR(hit.z, 1.0f, 1e-5);
}

TEST(AnglesAndNumbers, EdgesAndGuards) {
    EXPECT_NEAR(anglesDifference(0.1f, 6.2f), 0.1831853f, 1e-5f);
    EXPECT_EQ(floatToByte(0.5f), 128);
    EXPECT_EQ(floatToByte(7.0f), 255);  // saturates instead of wrapping
    EXPECT_EQ(floatToByte(kNaN), 0);
    EXPECT_FALSE(isPowerOfTwo(0));
    rotatePoint(nullptr, 0.0f, 1.0f);
    EXPECT_FLOAT_EQ(distanceToSegment(vec2(0, 0), vec2(4, 0), vec2(7, 4)), 5.0f);  // beyond b
    EXPECT_FLOAT_EQ(distanceToSegment(vec2(1, 1), vec2(1, 1), vec2(4, 5)), 5.0f);  // a == b
}

}  // namespace
}  // namespace quorvan
