// Angles, planes, intersections and small numeric helpers.

#include <cmath>
#include <glm/geometric.hpp>

#include "geometry/mathglm.h"

namespace quorvan {

float wrapAngle(float degrees) {
    return degrees - 360.0f * std::floor(degrees / 360.0f);
}

glm::vec3 getIntersectLinePlane(const glm::vec3& p0, const glm::vec3& a, const glm::vec3& b,
                                const glm::vec3& n) {
    const float d = glm::dot(n, p0);
    const float sa = glm::dot(n, a) - d;
    const float sb = glm::dot(n, b) - d;
    if (sb * sa >= 0.0f) return b;
    const glm::vec3 dir = glm::normalize(b - a);
    const float den = glm::dot(n, dir);
    if (den == 0.0f) return a;
    const float t = -sa / den;
    return a + dir * t;
}

// ---- Intersections -------------------------------------------------------

namespace {

// Shared head of the segment and line tests: the denominator and the
// numerator of a's parameter, or false when the lines are parallel or a1
// lies on the second line.
bool lineParameters(const glm::vec2& a1, const glm::vec2& a2, const glm::vec2& b1,
                    const glm::vec2& b2, float& denom, float& numA) {
    denom = (b2.y - b1.y) * (a2.x - a1.x) - (b2.x - b1.x) * (a2.y - a1.y);
    if (denom == 0.0f) return false;
    numA = (b2.x - b1.x) * (a1.y - b1.y) - (b2.y - b1.y) * (a1.x - b1.x);
    return numA != 0.0f;
}

// Both comparisons fail for NaN, so a NaN parameter lies outside.
bool inUnitRange(float t) {
    return t >= 0.0f && t <= 1.0f;
}

}  // namespace

S_IntersectResult intersectionLines(const glm::vec2& a1, const glm::vec2& a2, const glm::vec2& b1,
                                    const glm::vec2& b2) {
    S_IntersectResult result;
    float denom = 0.0f, numA = 0.0f;
    if (!lineParameters(a1, a2, b1, b2, denom, numA)) return result;
    const float ua = numA / denom;
    if (!inUnitRange(ua)) return result;
    const float ub = ((a2.x - a1.x) * (a1.y - b1.y) - (a2.y - a1.y) * (a1.x - b1.x)) / denom;
    if (!inUnitRange(ub)) return result;
    result.intersects = true;
    result.point = a1 + (a2 - a1) * ua;
    return result;
}

S_IntersectResult intersectionRays(const glm::vec2& a1, const glm::vec2& a2, const glm::vec2& b1,
                                   const glm::vec2& b2) {
    S_IntersectResult result;
    float denom = 0.0f, numA = 0.0f;
    if (!lineParameters(a1, a2, b1, b2, denom, numA)) return result;
    result.intersects = true;
    result.point = a1 + (a2 - a1) * (numA / denom);
    return result;
}

void intersectionLinePolygon(const glm::vec2& a, const glm::vec2& b,
                             const std::vector<glm::vec2>& polygon, std::vector<glm::vec2>& out) {
    const size_t n = polygon.size();
    for (size_t i = 0; i < n; ++i) {
        const S_IntersectResult r = intersectionLines(a, b, polygon[i], polygon[(i + 1) % n]);
        if (r.intersects) out.push_back(r.point);
    }
}

std::vector<glm::vec3> lineSphereIntersection(const glm::vec3& c, float radius, const glm::vec3& a,
                                              const glm::vec3& b) {
    std::vector<glm::vec3> out;
    const glm::vec3 mid = (a + b) * 0.5f;
    const glm::vec3 dir = glm::normalize(a - b);
    const glm::vec3 w = mid - c;
    const float k = glm::dot(dir, w);
    const float disc = k * k - glm::dot(w, w) + radius * radius;
    if (disc < 0.0f) return out;
    const float len = glm::length(b - a);
    const float g = std::sqrt(disc);
    const float t1 = -k - g;
    const float t2 = g - k;
    // A zero-length segment leaves dir, and so t1 and t2, NaN: nothing passes.
    if (-len <= t1 && t1 <= len) out.push_back(mid + dir * t1);
    if (-len <= t2 && t2 <= len) out.push_back(mid + dir * t2);
    return out;
}

std::vector<glm::vec2> lineCircleIntersection(const glm::vec2& c, float radius, const glm::vec2& a,
                                              const glm::vec2& b) {
    const auto hits =
        lineSphereIntersection(glm::vec3(c, 0.0f), radius, glm::vec3(a, 0.0f), glm::vec3(b, 0.0f));
    std::vector<glm::vec2> out;
    out.reserve(hits.size());
    for (const auto& h : hits) out.emplace_back(h.x, h.y);
    return out;
}

// ---- Angles and numbers --------------------------------------------------

float anglesDifference(float a, float b) {
    const float d = std::fabs(a - b);
    if (d <= 3.1415927f) return d;
    return b >= a ? a + 6.2831855f - b : b + 6.2831855f - a;
}

float angleSignBetweenVectors2d(const glm::vec2& u, const glm::vec2& v) {
    return u.x * v.y - v.x * u.y < 0.0f ? -1.0f : 1.0f;
}

float angleSignBetweenVectors3d(const glm::vec3& u, const glm::vec3& v) {
    return angleSignBetweenVectors2d(glm::vec2(u), glm::vec2(v));
}

uint8_t floatToByte(float f) {
    const float v = f * 255.0f + 0.5f;
    // Converting a float outside the target range is undefined, so saturate
    // first; inside [0, 1] the result is the plain truncation.
    if (!(v >= 0.0f)) return 0;
    if (v >= 255.0f) return 255;
    return static_cast<uint8_t>(v);
}

bool isPowerOfTwo(unsigned int n) {
    return n != 0 && (n & (n - 1)) == 0;
}

void rotatePoint(glm::vec2* p, float c, float s) {
    if (!p) return;
    const float x = p->x;
    const float y = p->y;
    p->x = x * c - y * s;
    p->y = y * c + x * s;
}

float distanceToSegment(const glm::vec2& a, const glm::vec2& b, const glm::vec2& p) {
    const glm::vec2 d = b - a;
    const float o = glm::dot(p - a, d);
    if (o <= 0.0f) return glm::length(a - p);
    const float len2 = glm::dot(d, d);
    if (o >= len2) return glm::length(b - p);
    if (len2 == 0.0f) return 0.0f;
    return glm::length(a + d * (o / len2) - p);
}

}  // namespace quorvan
