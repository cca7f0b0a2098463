#include "geometry/mathglm.h"

#include <cmath>

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

}  // namespace quorvan
