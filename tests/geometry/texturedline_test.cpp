#include "geometry/texturedline.h"

#include <gtest/gtest.h>

#include <cmath>

#include <glm/geometric.hpp>

namespace quorvan {
namespace {

using glm::vec2;
using glm::vec3;

bool finite(const vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Body of a line without caps over distinct consecutive points: four entries
// per segment on the centre line, every offset finite, below the miter limit
// and reaching exactly one unit to its own side of its own segment.
void expectSoundBody(const C_TexturedLine& line, const std::vector<vec2>& pts) {
    const auto& v = line.getVertexes();
    const auto& n = line.getNormals();
    ASSERT_EQ(v.size(), 4 * (pts.size() - 1));
    ASSERT_EQ(n.size(), v.size());
    ASSERT_EQ(line.getTexCoords().size(), v.size());
    for (size_t i = 0; i < v.size(); ++i) {
        const size_t k = i / 4;
        const vec2 dir = glm::normalize(pts[k + 1] - pts[k]);
        ASSERT_TRUE(finite(v[i]) && finite(n[i])) << i;
        EXPECT_EQ(vec2(v[i]), i % 4 < 2 ? pts[k] : pts[k + 1]);
        EXPECT_LT(glm::length(n[i]), textured_line::MITER_LIMIT) << i;
        EXPECT_NEAR(glm::dot(vec2(n[i]), vec2(-dir.y, dir.x)), i % 2 == 0 ? 1.0f : -1.0f, 1e-4f)
            << i;
    }
}

TEST(TexturedLine, OffsetsMitersAndTextureRun) {
    C_TexturedLine line;
    line.createLine({{0, 0}, {10, 0}}, 1.0f, 0);
    expectSoundBody(line, {{0, 0}, {10, 0}});
    EXPECT_EQ(line.getTexCoords(), (std::vector<vec2>{{0, 0}, {0, 1}, {10, 0}, {10, 1}}));
    line.createLine({{0, 0}, {10, 0}}, 2.0f, 0);
    EXPECT_FLOAT_EQ(line.getTexCoords()[2].x, 5.0f);

    const std::vector<vec2> corner{{0, 0}, {10, 0}, {10, 10}};
    line.createLine(corner, 1.0f, 0);
    expectSoundBody(line, corner);
    const auto& n = line.getNormals();
    EXPECT_NEAR(glm::distance(vec2(n[2]), vec2(-1, 1)), 0.0f, 1e-5f);
    EXPECT_EQ(n[4], n[2]);  // shared by the next segment's start

    // A turn of 150 degrees at (10, 0): that miter is rejected, so the
    // segments on both sides keep their own plain offsets at that joint and at
    // their other ends, where the sharing stops for one segment.
    const std::vector<vec2> sharp{{0, -10}, {0, 0}, {10, 0}, {10 - 8.66f, 5}, {-5, 20}};
    line.createLine(sharp, 1.0f, 0);
    expectSoundBody(line, sharp);
    const auto& m = line.getNormals();
    EXPECT_GT(glm::length(m[2]), 1.1f);           // joint 1 keeps its miter ...
    EXPECT_NEAR(glm::length(m[4]), 1.0f, 1e-5f);  // ... segment 1 does not take it over
    EXPECT_NEAR(glm::length(m[6]), 1.0f, 1e-5f);  // rejected
    EXPECT_NE(m[8], m[6]);
    EXPECT_EQ(m[12], m[10]);  // sharing resumes
}

TEST(TexturedLine, RepeatedAndTinySegmentsStayFinite) {
    C_TexturedLine line;
    line.createLine({{0, 0}, {5, 0}, {5, 0}, {10, 5}, {10, 5}}, 1.0f, 0);
    expectSoundBody(line, {{0, 0}, {5, 0}, {10, 5}});
    line.createLine({{3, 3}, {3, 3}, {3, 3}}, 1.0f, 1);
    EXPECT_TRUE(line.getVertexes().empty());
    line.createLine({{0, 0}, {1e-30f, 0}, {1e-30f, 10}}, 1.0f, 0);  // squared length underflows
    for (const auto& n : line.getNormals()) EXPECT_TRUE(finite(n));
}

TEST(TexturedLine, RoundCapsSurroundBothEnds) {
    C_TexturedLine line;
    line.createLine({{2, 1}, {12, 1}}, 1.0f, 1);
    const auto& v = line.getVertexes();
    const auto& n = line.getNormals();
    ASSERT_EQ(v.size(), 15u);  // 6 + 4 + 5
    for (size_t i = 0; i < v.size(); ++i) {
        EXPECT_EQ(vec2(v[i]), i < 8 ? vec2(2, 1) : vec2(12, 1)) << i;
        EXPECT_NEAR(glm::length(n[i]), 1.0f, 1e-5f) << i;
        // The start cap sweeps from the left side backwards, the end cap forwards.
        EXPECT_TRUE(i >= 6 || n[i].y < 0.0f || n[i].x < 0.0f) << i;
        EXPECT_TRUE(i < 10 || n[i].x > -1e-5f) << i;
    }

    line.createLine({{0, 0}, {1, 0}}, 1.0f, ~0ul);  // clamped, not overflowed
    EXPECT_EQ(line.getVertexes().size(), 4 * textured_line::MAX_CAP_SEGMENTS + 11);
}

}  // namespace
}  // namespace quorvan
