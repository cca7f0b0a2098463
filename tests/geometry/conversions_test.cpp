#include "geometry/mathglm.h"
#include "model/model_conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace quorvan {
namespace {

using glm::vec3;
using V = std::vector<vec3>;
using I = std::vector<uint16_t>;

const vec3 A(0, 0, 0), B(1, 0, 0), C(0, 1, 0), D(1, 1, 0), E(2, 0, 0);

TEST(Conversions, LineStrips) {
    EXPECT_TRUE(lineStripToLines(V{A}).empty());
    EXPECT_EQ(lineStripToLines(V{A, B}), (V{A, B}));
    EXPECT_EQ(lineStripToLines(V{A, B, C, D}), (V{A, B, C, B, D, C}));
    EXPECT_EQ(lineStripToLines(V{A, B, C}, I{2, 0}), (V{C, A}));
    EXPECT_TRUE(lineStripToLines(V{A, B, C}, I{2}).empty());
}

TEST(Conversions, TriangleStripsKeepWindingAndStartWithTheNewestVertex) {
    EXPECT_TRUE(triangleStripToTriangles(V{A, B}).empty());
    EXPECT_EQ(triangleStripToTriangles(V{A, B, C, D, E}), (V{A, B, C, D, C, B, E, C, D}));
    // Every triangle of a strip over a consistently wound quad strip faces +z.
    V strip;
    for (int i = 0; i < 20; ++i) strip.push_back(vec3(float(i / 2), float(i % 2), 0));
    for (const auto& n : calculateTriangleNormals(triangleStripToTriangles(strip))) {
        EXPECT_FLOAT_EQ(std::abs(n.z), 1.0f);
    }
}

TEST(Conversions, FansCloseUnlessTheyRepeatTheirFirstVertex) {
    const vec3 c(0.5f, 0.5f, 0), p1(0, 0, 0), p2(1, 0, 0), p3(1, 1, 0);
    EXPECT_EQ(triangleFanToTriangles(V{c, p1, p2}), (V{c, p1, p2, c, p2, p1}));
    EXPECT_EQ(triangleFanToTriangles(V{c, p1, p2, p3}), (V{c, p1, p2, c, p2, p3, c, p3, p1}));
    EXPECT_EQ(triangleFanToTriangles(V{p1, p2, p3, p1}), (V{p1, p2, p3, p1, p3, p1}));
    EXPECT_TRUE(triangleFanToTriangles(V{c, p1}).empty());
    // NaN compares unequal: the fan is closed.
    const vec3 nan(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(triangleFanToTriangles(V{nan, p1, p2, nan}).size(), 9u);
}

TEST(Conversions, IndexedOverloadsEqualGatherThenConvert) {
    std::mt19937 rng(7);
    V v;
    for (int i = 0; i < 16; ++i)
        v.push_back(vec3(float(rng() % 100), float(rng() % 100), float(rng() % 5)));
    for (int trial = 0; trial < 50; ++trial) {
        I idx(rng() % 12);
        for (auto& i : idx) i = static_cast<uint16_t>(rng() % v.size());
        const V gathered = triangleStripUnindexed(v, idx);
        ASSERT_EQ(gathered.size(), idx.size());
        EXPECT_EQ(gathered, indexedLinesToLines(v, idx));
        EXPECT_EQ(triangleStripToTriangles(v, idx), triangleStripToTriangles(gathered));
        EXPECT_EQ(lineStripToLines(v, idx), lineStripToLines(gathered));
    }
    EXPECT_TRUE(triangleStripToTriangles(v, I{0, 1}).empty());
    EXPECT_EQ(lineStripToLines(v, I{0, 1}).size(), 2u);
}

TEST(Conversions, OutOfRangeIndexMakesTheWholeListMalformed) {
    const V v = {A, B, C};
    for (const I& idx : {I{0, 1, 3}, I{65535}, I{2, 1, 0, 0, 1, 7}}) {
        EXPECT_TRUE(triangleStripUnindexed(v, idx).empty());
        EXPECT_TRUE(indexedLinesToLines(v, idx).empty());
        EXPECT_TRUE(lineStripToLines(v, idx).empty());
        EXPECT_TRUE(triangleStripToTriangles(v, idx).empty());
    }
    EXPECT_TRUE(triangleStripToTriangles(V{}, I{0, 0, 0}).empty());
    EXPECT_FALSE(indicesInRange(I{0}, 0));
    EXPECT_TRUE(indicesInRange(I{}, 0));
}

TEST(Conversions, NormalsFollowTheCounterClockwiseSide) {
    EXPECT_EQ(calculateTriangleNormals(V{A, B, C}),
              (V{vec3(0, 0, 1), vec3(0, 0, 1), vec3(0, 0, 1)}));
    EXPECT_EQ(calculateTriangleNormals(V{A, C, B}),
              (V{vec3(0, 0, -1), vec3(0, 0, -1), vec3(0, 0, -1)}));
    EXPECT_EQ(getNormal(A, B, C), vec3(0, 0, -1));  // the (p0, p2, p1) winding
    EXPECT_TRUE(calculateTriangleNormals(V{}).empty());
    EXPECT_EQ(calculateTriangleNormals(V{A, B, C, D}).size(), 3u);  // remainder gets none
    const vec3 degenerate = calculateTriangleNormals(V{A, A, B})[0];
    EXPECT_FALSE(std::isfinite(degenerate.x));
}

TEST(Conversions, GeometryRecordsToLists) {
    S_GeometryPolygons p;
    p.vertices = {A, B, C, D};
    p.mode = 4;
    EXPECT_EQ(geometryPolygonsToTriangles(p), p.vertices);
    p.mode = 5;
    EXPECT_EQ(geometryPolygonsToTriangles(p).size(), 6u);
    S_GeometryLines l;
    l.vertices = {A, B};
    l.mode = 5;
    EXPECT_EQ(geometryLinesToLines(l), l.vertices);
}

TEST(Conversions, StripJoinsKeepTheSecondStripsWinding) {
    const V a4 = {A, B, C, D}, a3 = {A, B, C}, b = {D, E, C};
    EXPECT_EQ(mergeTriangleStrips(a4, b), (V{A, B, C, D, D, D, D, E, C}));
    EXPECT_EQ(mergeTriangleStrips(a3, b), (V{A, B, C, C, C, D, D, E, C}));
    EXPECT_EQ(mergeTriangleStrips(V{}, b), b);
    EXPECT_EQ(mergeTriangleStrips(a3, V{}), a3);
    EXPECT_EQ(mergeTriangles(a3, b), (V{A, B, C, D, E, C}));

    // Joined triangles: the originals plus only degenerate ones, same facing.
    const V joined = mergeTriangleStrips(a3, V{vec3(5, 0, 0), vec3(6, 0, 0), vec3(5, 1, 0)});
    int facingUp = 0;
    const V tris = triangleStripToTriangles(joined);
    for (size_t k = 0; k + 2 < tris.size(); k += 3) {
        const vec3 n = getNormal(tris[k + 2], tris[k + 1], tris[k]);
        if (n.z > 0) ++facingUp;
        EXPECT_GE(n.z, 0.0f) << "triangle " << k / 3 << " flipped";
    }
    EXPECT_EQ(facingUp, 2);

    V inPlace = a3;
    mergeTriangleStripsInPlace(inPlace, b);
    EXPECT_EQ(inPlace, mergeTriangleStrips(a3, b));
}

}  // namespace
}  // namespace quorvan

namespace quorvan {
namespace {

// The appending and in-place forms write what the by-value forms return,
// after whatever the output already holds, for every length from empty up
// (both parities of the strip rule, the fan's open and closed rings).
TEST(ConversionForms, AppendingAndInPlaceMatchByValue) {
    using V = std::vector<glm::vec3>;
    const V prefix{{9, 9, 9}, {8, 8, 8}};
    for (size_t n = 0; n < 12; ++n) {
        V s;
        for (size_t i = 0; i < n; ++i) s.emplace_back(float(i), float(i * i % 7), float(i % 3));
        if (n > 3 && n % 4 == 0) s.back() = s.front();
        const auto appended = [&](auto append, const V& whole) {
            V out = prefix;
            append(out);
            EXPECT_EQ(V(out.begin(), out.begin() + 2), prefix);
            EXPECT_EQ(V(out.begin() + 2, out.end()), whole) << n;
        };
        V strip;  // the line-strip rule, spelled out
        for (size_t i = 1; i < n; ++i) {
            strip.push_back(s[i == 1 ? 0 : i]);
            strip.push_back(s[i == 1 ? 1 : i - 1]);
        }
        appended([&](V& o) { appendLineStripLines(o, s); }, strip);
        EXPECT_EQ(lineStripToLines(s), strip);
        const std::vector<glm::vec2> plane(s.begin(), s.end());
        V lifted;
        for (const auto& p : plane) lifted.emplace_back(p, 5.0f);
        appended([&](V& o) { appendLineStripLines(o, plane, 5.0f); }, lineStripToLines(lifted));
        appended([&](V& o) { appendTriangleStripTriangles(o, s); }, triangleStripToTriangles(s));
        appended([&](V& o) { appendTriangleFanTriangles(o, s); }, triangleFanToTriangles(s));
        appended([&](V& o) { appendTriangleNormals(o, s); }, calculateTriangleNormals(s));

        for (const size_t room : {size_t(0), 3 * n}) {
            V inPlace = s;
            inPlace.reserve(room);
            triangleStripToTrianglesInPlace(inPlace);
            EXPECT_EQ(inPlace, triangleStripToTriangles(s)) << n << " with room " << room;
        }
    }
}

}  // namespace
}  // namespace quorvan

namespace quorvan {
namespace {

// Normals are computed four triangles at a time where the processor allows;
// every one must be bit for bit what the scalar rule gives (any NaN for a
// degenerate triangle), whatever the count's remainder.
TEST(ConversionForms, BatchedNormalsMatchTheScalarRuleExactly) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> pick(0, 9);
    std::uniform_real_distribution<float> value(-1e4f, 1e4f);
    for (size_t triangles = 0; triangles < 40; ++triangles) {
        std::vector<glm::vec3> t(3 * triangles);
        for (auto& v : t) {
            const int kind = pick(rng);
            v = kind == 0   ? glm::vec3(1.0f)
                : kind == 1 ? glm::vec3(value(rng) * 1e-30f)
                            : glm::vec3(value(rng), value(rng), value(rng));
        }
        const auto normals = calculateTriangleNormals(t);
        ASSERT_EQ(normals.size(), t.size());
        for (size_t i = 0; i < t.size(); ++i) {
            const glm::vec3 n =
                getNormalizedNormal(t[i / 3 * 3 + 2], t[i / 3 * 3 + 1], t[i / 3 * 3]);
            for (int c = 0; c < 3; ++c) {
                const bool same = std::memcmp(&n[c], &normals[i][c], sizeof(float)) == 0 ||
                                  (std::isnan(n[c]) && std::isnan(normals[i][c]));
                ASSERT_TRUE(same) << triangles << " triangles, entry " << i;
            }
        }
    }
}

}  // namespace
}  // namespace quorvan
