// Polygon tests, overlaps and the convex hull.

#include <algorithm>
#include <cmath>
#include <glm/geometric.hpp>
#include <tuple>

#include "geometry/mathglm.h"

namespace quorvan {

namespace {

float cross(const glm::vec2& o, const glm::vec2& a, const glm::vec2& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Lexicographic, x first. Only ever given points without NaN, for which this
// is a strict weak ordering (std::sort needs one to stay inside the range).
bool sortPointsLexicographically(const glm::vec2& a, const glm::vec2& b) {
    return std::tie(a.x, a.y) < std::tie(b.x, b.y);
}

bool isAnyPointInsidePolygon(const std::vector<glm::vec2>& points,
                             const std::vector<glm::vec2>& polygon) {
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
            if (intersectionLines(a[i], a[(i + 1) % na], b[j], b[(j + 1) % nb]).intersects)
                return true;
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
    const bool valid =
        !std::isnan(centroid.x) && !std::isnan(centroid.y) && static_cast<double>(area) > 0.0001;
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
    return isAnyPointInsidePolygon(a, b) || isAnyPointInsidePolygon(b, a) ||
           intersectLineStrips(a, b);
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

std::vector<glm::vec2> cutConvexPolygonAInsideB(const std::vector<glm::vec2>& a,
                                                const std::vector<glm::vec2>& b) {
    std::vector<glm::vec2> kept;
    const size_t na = a.size();
    const size_t nb = b.size();
    for (size_t i = 0; i < na; ++i) {
        if (pointInsideConvexPolygon(a[i], b)) kept.push_back(a[i]);
        for (size_t j = 0; j < nb; ++j) {
            const S_IntersectResult r =
                intersectionLines(a[i], a[(i + 1) % na], b[j], b[(j + 1) % nb]);
            if (!r.intersects) continue;
            kept.push_back(r.point);
            if (pointInsideConvexPolygon(b[j], a)) kept.push_back(b[j]);
        }
    }
    return convexHull(std::move(kept));
}

}  // namespace quorvan
