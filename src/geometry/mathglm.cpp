#include "geometry/mathglm.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include <glm/geometric.hpp>

namespace quorvan {

glm::vec3 getNormal(const glm::vec3& p0, const glm::vec3& p1, const glm::vec3& p2) {
    const glm::vec3 u = p1 - p0;
    const glm::vec3 v = p2 - p0;
    return {v.y * u.z - v.z * u.y, v.z * u.x - v.x * u.z, v.x * u.y - v.y * u.x};
}

glm::vec3 getNormalizedNormal(const glm::vec3& p0, const glm::vec3& p1, const glm::vec3& p2) {
    const glm::vec3 n = getNormal(p0, p1, p2);
    const float r = 1.0f / std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    return {n.x * r, n.y * r, n.z * r};
}

std::vector<glm::vec3> calculateTriangleNormals(const std::vector<glm::vec3>& t) {
    std::vector<glm::vec3> out;
    const size_t triangles = t.size() / 3;
    out.reserve(triangles * 3);
    for (size_t k = 0; k < triangles; ++k) {
        const glm::vec3 n = getNormalizedNormal(t[3 * k + 2], t[3 * k + 1], t[3 * k]);
        out.push_back(n);
        out.push_back(n);
        out.push_back(n);
    }
    return out;
}

bool indicesInRange(const std::vector<uint16_t>& indices, size_t count) {
    for (const uint16_t i : indices) {
        if (i >= count) return false;
    }
    return true;
}

std::vector<glm::vec3> triangleStripUnindexed(const std::vector<glm::vec3>& v, const std::vector<uint16_t>& idx) {
    std::vector<glm::vec3> out;
    if (!indicesInRange(idx, v.size())) return out;
    out.resize(idx.size());
    for (size_t i = 0; i < idx.size(); ++i) out[i] = v[idx[i]];
    return out;
}

std::vector<glm::vec3> indexedLinesToLines(const std::vector<glm::vec3>& v, const std::vector<uint16_t>& idx) {
    return triangleStripUnindexed(v, idx);
}

namespace {

// The strip and line-strip rules over any random-access sequence `at(i)`.
template <typename At>
std::vector<glm::vec3> lineStripRule(size_t n, At at) {
    std::vector<glm::vec3> out;
    if (n < 2) return out;
    out.reserve(2 * (n - 1));
    out.push_back(at(0));
    out.push_back(at(1));
    for (size_t i = 2; i < n; ++i) {
        out.push_back(at(i));
        out.push_back(at(i - 1));
    }
    return out;
}

template <typename At>
std::vector<glm::vec3> triangleStripRule(size_t n, At at) {
    std::vector<glm::vec3> out;
    if (n < 3) return out;
    out.reserve(3 * (n - 2));
    out.push_back(at(0));
    out.push_back(at(1));
    out.push_back(at(2));
    for (size_t i = 3; i < n; ++i) {
        out.push_back(at(i));
        if (i % 2 == 1) {
            out.push_back(at(i - 1));
            out.push_back(at(i - 2));
        } else {
            out.push_back(at(i - 2));
            out.push_back(at(i - 1));
        }
    }
    return out;
}

// Exact componentwise equality; NaN compares unequal.
bool sameVertex(const glm::vec3& a, const glm::vec3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

}  // namespace

std::vector<glm::vec3> lineStripToLines(const std::vector<glm::vec3>& s) {
    return lineStripRule(s.size(), [&](size_t i) { return s[i]; });
}

std::vector<glm::vec3> lineStripToLines(const std::vector<glm::vec3>& v, const std::vector<uint16_t>& idx) {
    if (!indicesInRange(idx, v.size())) return {};
    return lineStripRule(idx.size(), [&](size_t i) { return v[idx[i]]; });
}

std::vector<glm::vec3> triangleStripToTriangles(const std::vector<glm::vec3>& s) {
    return triangleStripRule(s.size(), [&](size_t i) { return s[i]; });
}

std::vector<glm::vec3> triangleStripToTriangles(const std::vector<glm::vec3>& v, const std::vector<uint16_t>& idx) {
    if (!indicesInRange(idx, v.size())) return {};
    return triangleStripRule(idx.size(), [&](size_t i) { return v[idx[i]]; });
}

std::vector<glm::vec3> triangleFanToTriangles(const std::vector<glm::vec3>& f) {
    std::vector<glm::vec3> out;
    const size_t n = f.size();
    if (n < 3) return out;
    const bool close = !sameVertex(f[0], f[n - 1]);
    out.reserve(3 * (close ? n - 1 : n - 2));
    out.push_back(f[0]);
    out.push_back(f[1]);
    out.push_back(f[2]);
    for (size_t i = 3; i < n; ++i) {
        out.push_back(f[0]);
        out.push_back(f[i - 1]);
        out.push_back(f[i]);
    }
    if (close) {
        out.push_back(f[0]);
        out.push_back(f[n - 1]);
        out.push_back(f[1]);
    }
    return out;
}

std::vector<glm::vec3> geometryLinesToLines(const S_GeometryLines& g) { return g.vertices; }

std::vector<glm::vec3> geometryPolygonsToTriangles(const S_GeometryPolygons& g) {
    if (g.mode == 5) return triangleStripToTriangles(g.vertices);
    return g.vertices;
}

float wrapAngle(float degrees) { return degrees - 360.0f * std::floor(degrees / 360.0f); }

glm::vec3 getIntersectLinePlane(const glm::vec3& p0, const glm::vec3& a, const glm::vec3& b, const glm::vec3& n) {
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
bool lineParameters(const glm::vec2& a1, const glm::vec2& a2, const glm::vec2& b1, const glm::vec2& b2,
                    float& denom, float& numA) {
    denom = (b2.y - b1.y) * (a2.x - a1.x) - (b2.x - b1.x) * (a2.y - a1.y);
    if (denom == 0.0f) return false;
    numA = (b2.x - b1.x) * (a1.y - b1.y) - (b2.y - b1.y) * (a1.x - b1.x);
    return numA != 0.0f;
}

// Both comparisons fail for NaN, so a NaN parameter lies outside.
bool inUnitRange(float t) { return t >= 0.0f && t <= 1.0f; }

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

void intersectionLinePolygon(const glm::vec2& a, const glm::vec2& b, const std::vector<glm::vec2>& polygon,
                             std::vector<glm::vec2>& out) {
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

bool isPowerOfTwo(unsigned int n) { return n != 0 && (n & (n - 1)) == 0; }

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

// ---- Polygon tests and convex hull ----------------------------------------

namespace {

float cross(const glm::vec2& o, const glm::vec2& a, const glm::vec2& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Lexicographic, x first. Only ever given points without NaN, for which this
// is a strict weak ordering (std::sort needs one to stay inside the range).
bool sortPointsLexicographically(const glm::vec2& a, const glm::vec2& b) {
    return std::tie(a.x, a.y) < std::tie(b.x, b.y);
}

bool isAnyPointInsidePolygon(const std::vector<glm::vec2>& points, const std::vector<glm::vec2>& polygon) {
    std::vector<glm::vec3> flat;
    flat.reserve(polygon.size());
    for (const auto& v : polygon) flat.emplace_back(v, 0.0f);
    for (const auto& p : points) {
        if (pointInsideConvexPolygon(glm::vec3(p, 0.0f), flat)) return true;
    }
    return false;
}

// Any edge of closed polyline a crossing any edge of closed polyline b.
bool intersectLineStrips(const std::vector<glm::vec2>& a, const std::vector<glm::vec2>& b) {
    const size_t na = a.size();
    const size_t nb = b.size();
    for (size_t i = 0; i < na; ++i) {
        for (size_t j = 0; j < nb; ++j) {
            if (intersectionLines(a[i], a[(i + 1) % na], b[j], b[(j + 1) % nb]).intersects) return true;
        }
    }
    return false;
}

}  // namespace

bool pointInsideConvexPolygon(const glm::vec2& p, const std::vector<glm::vec2>& v) {
    const size_t n = v.size();
    bool inside = false;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        // The y tests differ only when v[i].y != v[j].y, so the division is safe.
        if ((p.y < v[i].y) != (p.y < v[j].y)) {
            const float x = (p.y - v[i].y) * (v[j].x - v[i].x) / (v[j].y - v[i].y) + v[i].x;
            if (x > p.x) inside = !inside;
        }
    }
    return inside;
}

bool pointInsideConvexPolygon(const glm::vec3& p, const std::vector<glm::vec3>& polygon) {
    const size_t n = polygon.size();
    if (n < 3) return false;
    const glm::vec3 reference = glm::cross(polygon[0] - p, polygon[n - 1] - p);
    for (size_t i = 1; i < n; ++i) {
        const glm::vec3 turn = glm::cross(polygon[i - 1] - p, polygon[i] - p);
        // Written so that NaN fails the test as well.
        if (!(glm::dot(turn, reference) < 0.0f)) return false;
    }
    return true;
}

bool isConvex(const std::vector<glm::vec2>& v) {
    const size_t n = v.size();
    if (n < 3) return false;
    bool right = false;
    bool left = false;
    for (size_t i = 0; i < n; ++i) {
        const glm::vec2& a = v[i];
        const glm::vec2& b = v[(i + 1) % n];
        const glm::vec2& c = v[(i + 2) % n];
        const float t = (c.y - b.y) * (b.x - a.x) - (c.x - b.x) * (b.y - a.y);
        if (t < 0.0f) right = true;
        if (t > 0.0f) left = true;
        if (right && left) return false;
    }
    return right || left;
}

bool isClockWise(const std::vector<glm::vec2>& v) {
    const size_t n = v.size();
    float sum = 0.0f;
    for (size_t i = 0; i < n; ++i) {
        const glm::vec2& a = v[i];
        const glm::vec2& b = v[(i + 1) % n];
        sum += a.x * b.y - a.y * b.x;
    }
    return sum <= 0.0f;
}

std::pair<glm::vec2, bool> findCentroid(const std::vector<glm::vec2>& v) {
    const size_t n = v.size();
    if (n == 0) return {glm::vec2(0.0f), false};
    float area2 = 0.0f, sx = 0.0f, sy = 0.0f;
    for (size_t i = 0; i < n; ++i) {
        const glm::vec2& a = v[i];
        const glm::vec2& b = v[(i + 1) % n];
        const float c = a.x * b.y - b.x * a.y;
        area2 += c;
        sx += (a.x + b.x) * c;
        sy += (a.y + b.y) * c;
    }
    const float area = area2 * 0.5f;
    const glm::vec2 centroid(sx / (6.0f * area), sy / (6.0f * area));
    const bool valid = !std::isnan(centroid.x) && !std::isnan(centroid.y) && static_cast<double>(area) > 0.0001;
    return {centroid, valid};
}

bool overlapsConvexPolygonAABB(const std::vector<glm::vec2>& polygon, const C_AABB2d& box) {
    const glm::vec2& lo = box.getMin();
    const glm::vec2& hi = box.getMax();
    for (const auto& v : polygon) {
        if (lo.x <= v.x && v.x <= hi.x && lo.y <= v.y && v.y <= hi.y) return true;
    }
    const std::vector<glm::vec2> rect = box.getRect();
    return isAnyPointInsidePolygon(rect, polygon) || intersectLineStrips(rect, polygon);
}

bool overlapsConvexPolygons(const std::vector<glm::vec2>& a, const std::vector<glm::vec2>& b) {
    return isAnyPointInsidePolygon(a, b) || isAnyPointInsidePolygon(b, a) || intersectLineStrips(a, b);
}

std::vector<glm::vec2> convexHull(std::vector<glm::vec2> points) {
    // A NaN coordinate would break the ordering that std::sort relies on.
    std::erase_if(points, [](const glm::vec2& p) { return std::isnan(p.x) || std::isnan(p.y); });
    const size_t n = points.size();
    if (n == 0) return points;
    // Sorting on x alone, with ties in any order, can lose an extreme point
    // of a vertical run; ties are broken on y.
    std::sort(points.begin(), points.end(), sortPointsLexicographically);

    // The lower chain pushes at most n points and the upper at most n - 1,
    // so k stays below 2n whatever the cross products say.
    std::vector<glm::vec2> hull(2 * n);
    size_t k = 0;
    for (size_t i = 0; i < n; ++i) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], points[i]) <= 0.0f) --k;
        hull[k++] = points[i];
    }
    const size_t lower = k;
    for (size_t i = n - 1; i-- > 0;) {
        while (k > lower && cross(hull[k - 2], hull[k - 1], points[i]) <= 0.0f) --k;
        hull[k++] = points[i];
    }
    hull.resize(k);
    return hull;
}

std::vector<glm::vec2> cutConvexPolygonAInsideB(const std::vector<glm::vec2>& a, const std::vector<glm::vec2>& b) {
    std::vector<glm::vec2> kept;
    const size_t na = a.size();
    const size_t nb = b.size();
    for (size_t i = 0; i < na; ++i) {
        if (pointInsideConvexPolygon(a[i], b)) kept.push_back(a[i]);
        for (size_t j = 0; j < nb; ++j) {
            const S_IntersectResult r = intersectionLines(a[i], a[(i + 1) % na], b[j], b[(j + 1) % nb]);
            if (!r.intersects) continue;
            kept.push_back(r.point);
            if (pointInsideConvexPolygon(b[j], a)) kept.push_back(b[j]);
        }
    }
    return convexHull(std::move(kept));
}

}  // namespace quorvan
