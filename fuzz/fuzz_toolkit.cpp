// The geometry toolkit on fuzzed coordinates, NaN and infinity included:
// textured line, convex hull, polygon tests, intersections and line merging.
// Front: f32 texture length, f32 radius, then (x, y) pairs, which split into
// polygons a (first half) and b (second half); back: the cap segments.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <glm/geometric.hpp>
#include <vector>

#include "geometry/aabb2d.h"
#include "geometry/mathglm.h"
#include "geometry/texturedline.h"
#include "model/builders/merge_lines.h"
#include "provider.h"

namespace {

bool finite(const glm::vec2& v) {
    return std::isfinite(v.x) && std::isfinite(v.y);
}
bool finite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quorvan;
    if (size < 1 + 2 * sizeof(float)) return 0;
    FuzzedDataProvider in(data, size);
    const unsigned long caps = in.ConsumeIntegralInRange<unsigned long>(0, 7);
    const float textureLength = consumeRaw<float>(in);
    const float radius = consumeRaw<float>(in);
    // The polygon tests are quadratic; larger polygons only slow the search.
    std::vector<glm::vec2> points;
    while (points.size() < 64 && in.remaining_bytes() >= sizeof(glm::vec2))
        points.push_back(consumeRaw<glm::vec2>(in));
    const std::vector<glm::vec2> a(points.begin(), points.begin() + points.size() / 2);
    const std::vector<glm::vec2> b(points.begin() + points.size() / 2, points.end());

    // Moderate finite input must give a usable mesh: no offset longer than a miter may be.
    C_TexturedLine line;
    line.createLine(points, textureLength, caps);
    const auto& normals = line.getNormals();
    if (normals.size() != line.getVertexes().size() || normals.size() != line.getTexCoords().size())
        __builtin_trap();
    const bool moderate = std::all_of(points.begin(), points.end(), [](const glm::vec2& p) {
        return finite(p) && std::fabs(p.x) < 1e18f && std::fabs(p.y) < 1e18f;
    });
    if (moderate) {
        for (const glm::vec3& n : normals) {
            if (!finite(n) || glm::length(n) > 2.001f) __builtin_trap();
        }
    }

    // The hull keeps only input points, never a NaN.
    const std::vector<glm::vec2> hull = convexHull(points);
    for (const glm::vec2& h : hull) {
        if (std::isnan(h.x) || std::isnan(h.y)) __builtin_trap();
        if (std::find(points.begin(), points.end(), h) == points.end()) __builtin_trap();
    }

    const glm::vec2 p = points.empty() ? glm::vec2(0.0f) : points.back();
    const glm::vec2 q = points.size() < 2 ? glm::vec2(1.0f) : points[points.size() - 2];
    volatile bool sink =
        pointInsideConvexPolygon(p, a) ^ isConvex(a) ^ isClockWise(b) ^ findCentroid(a).second;
    std::vector<glm::vec3> a3;
    for (const glm::vec2& v : a) a3.emplace_back(v, radius);
    sink = sink ^ pointInsideConvexPolygon(glm::vec3(p, radius), a3);
    const C_AABB2d box(p, q);
    sink = sink ^ overlapsConvexPolygonAABB(b, box) ^ overlapsConvexPolygons(a, b) ^
           box.isPointInside(q);
    (void)cutConvexPolygonAInsideB(a, b);

    sink = sink ^
           intersectionLines(p, q, a.empty() ? p : a.front(), b.empty() ? q : b.front()).intersects;
    sink = sink ^
           intersectionRays(q, p, a.empty() ? q : a.back(), b.empty() ? p : b.back()).intersects;
    std::vector<glm::vec2> crossings;
    intersectionLinePolygon(p, q, b, crossings);
    if (crossings.size() > b.size()) __builtin_trap();
    if (lineCircleIntersection(q, radius, p, q).size() > 2) __builtin_trap();
    if (lineSphereIntersection(glm::vec3(q, 1.0f), radius, glm::vec3(p, 0.0f), glm::vec3(q, 2.0f))
            .size() > 2)
        __builtin_trap();
    (void)sink;

    // Merging keeps every point of both lines but at most the one they share.
    std::vector<glm::vec2> path = a;
    mergeLines(b, path, radius);
    if (path.size() > a.size() + b.size() ||
        (!a.empty() && !b.empty() && path.size() + 1 < a.size() + b.size())) {
        __builtin_trap();
    }
    mergeLines(path, path, radius);
    return 0;
}
