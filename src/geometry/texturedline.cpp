#include "geometry/texturedline.h"

#include <algorithm>
#include <cmath>

#include <glm/geometric.hpp>

#include "geometry/mathglm.h"

namespace quorvan {

namespace {

// Single-precision angle constants; n2 = rotate(n1, PI) is -n1 up to rounding.
constexpr float PI = 3.14159265f;
constexpr float HALF_PI = 1.57079633f;

// Rotation about +z, counter-clockwise for positive angles seen from above.
glm::vec3 rotateZ(const glm::vec3& v, float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return {v.x * c - v.y * s, v.x * s + v.y * c, v.z};
}

// Unit vector along a non-zero planar vector. Scaling by the largest
// component first keeps the squared length from underflowing, which would
// turn a tiny but real segment into non-finite offsets.
glm::vec3 unitDirection(const glm::vec2& v) {
    const float scale = std::max(std::fabs(v.x), std::fabs(v.y));
    return glm::vec3(glm::normalize(v / scale), 0.0f);
}

// End offset on one side of joint b: where the offset line of a-b meets the
// offset line of b-c. The plain offset `n` when they are parallel or the
// miter is too long (a long one also sets `rejected`; so does a non-finite one).
glm::vec3 miterOffset(const glm::vec2& a, const glm::vec2& b, const glm::vec2& c,
                      const glm::vec3& n, const glm::vec3& m, bool& rejected) {
    const glm::vec2 n2(n);
    const glm::vec2 m2(m);
    const S_IntersectResult x = intersectionRays(a + n2, b + n2, b + m2, c + m2);
    if (!x.intersects) return n;
    const glm::vec2 offset = x.point - b;
    if (!(glm::length(offset) < textured_line::MITER_LIMIT)) {
        rejected = true;
        return n;
    }
    return glm::vec3(offset, 0.0f);
}

}  // namespace

void C_TexturedLine::createLine(const std::vector<glm::vec2>& points, float textureLength,
                                unsigned long capSegments) {
    createLine(std::span<const glm::vec2>(points), textureLength, capSegments);
}

void C_TexturedLine::createLine(std::span<const glm::vec2> points, float textureLength,
                                unsigned long capSegments) {
    vertexes.clear();
    normals.clear();
    texCoords.clear();
    if (points.size() < 2) return;

    // Relative to the first point, to keep single-precision arithmetic near
    // the origin; repeats are dropped after the translation, since rounding
    // there can make distinct points equal.
    const glm::vec2 origin = points.front();
    work.clear();
    for (const glm::vec2& p : points) {
        const glm::vec2 q = p - origin;
        if (work.empty() || q.x != work.back().x || q.y != work.back().y) work.push_back(q);
    }
    const size_t n = work.size();
    if (n < 2) return;

    const size_t caps = static_cast<size_t>(std::min(capSegments, textured_line::MAX_CAP_SEGMENTS));
    const size_t startCap = caps > 0 ? 2 * caps + 4 : 0;
    const size_t endCap = caps > 0 ? 2 * caps + 3 : 0;
    const size_t total = startCap + 4 * (n - 1) + endCap;
    vertexes.reserve(total);
    normals.reserve(total);
    texCoords.reserve(total);
    // The start cap's entries come first; they are filled once the first
    // segment's offsets are known.
    vertexes.resize(startCap, glm::vec3(0.0f));
    normals.resize(startCap, glm::vec3(0.0f));
    texCoords.resize(startCap, glm::vec2(0.0f));

    float u = 0.0f;
    bool carry = false;
    glm::vec3 prevEndLeft(0.0f), prevEndRight(0.0f);
    for (size_t k = 0; k + 1 < n; ++k) {
        const glm::vec2& a = work[k];
        const glm::vec2& b = work[k + 1];
        const glm::vec3 a3(a, 0.0f), b3(b, 0.0f);
        vertexes.insert(vertexes.end(), {a3, a3, b3, b3});

        const glm::vec3 n1 = rotateZ(unitDirection(a - b), -HALF_PI);
        const glm::vec3 n2 = rotateZ(n1, PI);
        glm::vec3 startLeft = n1, startRight = n2, endLeft = n1, endRight = n2;
        bool rejected = false;
        if (k + 2 < n) {
            const glm::vec2& c = work[k + 2];
            const glm::vec3 m1 = rotateZ(unitDirection(b - c), -HALF_PI);
            const glm::vec3 m2 = rotateZ(m1, PI);
            endLeft = miterOffset(a, b, c, n1, m1, rejected);
            endRight = miterOffset(a, b, c, n2, m2, rejected);
        }
        // A segment shares its start offsets with the previous segment's end
        // unless a miter was rejected at either of its joints; the
        // rejection at the start joint is carried for one segment only.
        if (k >= 1 && !rejected && !carry) {
            startLeft = prevEndLeft;
            startRight = prevEndRight;
        }
        normals.insert(normals.end(), {startLeft, startRight, endLeft, endRight});

        texCoords.emplace_back(u, 0.0f);
        texCoords.emplace_back(u, 1.0f);
        u += glm::length(b - a) / textureLength;
        texCoords.emplace_back(u, 0.0f);
        texCoords.emplace_back(u, 1.0f);

        carry = rejected && !carry;
        prevEndLeft = endLeft;
        prevEndRight = endRight;
    }

    if (caps > 0) {
        addStartCap(caps);
        addEndCap(caps);
    }

    const glm::vec3 shift(origin, 0.0f);
    for (glm::vec3& v : vertexes) v += shift;
}

// Fills entries 0 .. 2a+3 (vertexes and texture coordinates stay zero, at the
// first point): a fan of offsets swept counter-clockwise from the first
// segment's start-left offset, interleaved so that the strip closes the end.
void C_TexturedLine::addStartCap(size_t a) {
    const size_t h = 2 * a + 2;
    const float step = PI / static_cast<float>(2 * a + 1);
    const glm::vec3 left = normals[h + 2];
    const glm::vec3 right = normals[h + 3];
    normals[h + 1] = right;
    normals[h - 1] = right;
    glm::vec3 r = left;
    for (size_t s = h + 2; s >= 2;) {
        s -= 2;
        r = rotateZ(r, step);
        normals[s] = r;
    }
    for (size_t s = 1; s <= 2 * a - 1; s += 2) {
        r = rotateZ(r, step);
        normals[s] = r;
    }
}

// Appends 2a + 3 entries at the last point: the last segment's end offsets,
// then a clockwise sweep from its end-left offset round to the right side.
void C_TexturedLine::addEndCap(size_t a) {
    const size_t h = 2 * a + 2;
    const float step = PI / static_cast<float>(2 * a + 1);
    const size_t b = normals.size();
    const glm::vec3 endLeft = normals[b - 2];
    const glm::vec3 endRight = normals[b - 1];
    const glm::vec3 last = vertexes.back();
    vertexes.resize(b + h + 1, last);
    texCoords.resize(b + h + 1, glm::vec2(0.0f));
    normals.resize(b + h + 1, glm::vec3(0.0f));
    normals[b] = endRight;
    normals[b + 1] = endLeft;
    glm::vec3 r = endLeft;
    for (size_t e = 2; e <= h; e += 2) {
        r = rotateZ(r, -step);
        normals[b + e] = r;
    }
    for (size_t e = h - 1; e >= 3; e -= 2) {
        r = rotateZ(r, -step);
        normals[b + e] = r;
    }
}

}  // namespace quorvan
