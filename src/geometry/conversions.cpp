// Mesh conversions: strips, fans and indexed lists to plain lists, and flat
// normals (four triangles at a time where SSE2 is there).

#include <algorithm>
#include <cmath>

#include "geometry/mathglm.h"
#include "geometry/strip_rules.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quorvan {

namespace {

// The normal rule, inline for the loops below: (p2 - p0) x (p1 - p0).
inline glm::vec3 normalOf(const glm::vec3& p0, const glm::vec3& p1, const glm::vec3& p2) {
    const glm::vec3 u = p1 - p0;
    const glm::vec3 v = p2 - p0;
    return {v.y * u.z - v.z * u.y, v.z * u.x - v.x * u.z, v.x * u.y - v.y * u.x};
}

inline glm::vec3 unitNormalOf(const glm::vec3& p0, const glm::vec3& p1, const glm::vec3& p2) {
    const glm::vec3 n = normalOf(p0, p1, p2);
    const float r = 1.0f / std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    return {n.x * r, n.y * r, n.z * r};
}

// Grows `out` by `extra` entries (geometrically, so appends stay amortised
// linear) and returns where they start; the caller writes every one of them.
// Writing through the pointer keeps the loops to plain stores: push_back
// stores its end pointer and a spilled temporary at every entry. The new
// entries are first copied from a block of zeros, which the library's memcpy
// does several times faster than resize()'s element-by-element fill.
glm::vec3* grow(std::vector<glm::vec3>& out, size_t extra) {
    static const glm::vec3 zeros[1024] = {};
    reserveToAppend(out, extra);
    const size_t old = out.size();
    for (size_t left = extra; left > 0;) {
        const size_t n = std::min<size_t>(left, std::size(zeros));
        out.insert(out.end(), zeros, zeros + n);
        left -= n;
    }
    return out.data() + old;
}

// The by-value form of an appending conversion: `append` applied to an empty list.
template <typename Append>
std::vector<glm::vec3> appended(Append append) {
    std::vector<glm::vec3> out;
    append(out);
    return out;
}

// The line-strip and triangle-strip rules over any random-access sequence
// `at(i)` of n vertices, written through a pointer into storage sized once.
// Where the vertices are stored, `at` returns a reference: a stored vertex
// returned by value goes through a stack temporary that the compiler does
// not remove, doubling the stores.
template <typename At>
void appendLineStripRule(std::vector<glm::vec3>& out, size_t n, At at) {
    if (n < 2) return;
    glm::vec3* d = grow(out, 2 * (n - 1));
    // The first segment in strip order, every later one newest point first.
    d[0] = at(0);
    d[1] = at(1);
    for (size_t i = 2; i < n; ++i) {
        d[2 * i - 2] = at(i);
        d[2 * i - 1] = at(i - 1);
    }
}

template <typename At>
void appendTriangleStripRule(std::vector<glm::vec3>& out, size_t n, At at) {
    if (n < 3) return;
    glm::vec3* d = grow(out, 3 * (n - 2));
    forEachStripTriangle(n, at, [&d](const glm::vec3& a, const glm::vec3& b, const glm::vec3& c) {
        d[0] = a;
        d[1] = b;
        d[2] = c;
        d += 3;
    });
}

}  // namespace

glm::vec3 getNormal(const glm::vec3& p0, const glm::vec3& p1, const glm::vec3& p2) {
    return normalOf(p0, p1, p2);
}

glm::vec3 getNormalizedNormal(const glm::vec3& p0, const glm::vec3& p1, const glm::vec3& p2) {
    return unitNormalOf(p0, p1, p2);
}

namespace {

#if defined(__SSE2__)
// Normals of four triangles at a time, one triangle per SSE lane: the same
// single-precision operations in the same order as unitNormalOf (packed
// sqrt and division round exactly as the scalar ones), so the results are
// bit for bit those of the scalar rule. Returns the triangles done.
size_t normalsFourAtATime(const glm::vec3* p, size_t triangles, glm::vec3* d) {
    size_t k = 0;
    for (; k + 4 <= triangles; k += 4, p += 12, d += 12) {
        // Triangle j is the nine floats A B C from p + 3j: two unaligned
        // loads of four (Ax Ay Az Bx, By Bz Cx Cy) and Cz. Transposing the
        // four triangles' loads puts one component of one vertex in each
        // register, triangle j in lane j.
        const float* f = &p[0].x;
        __m128 ax = _mm_loadu_ps(f), ay = _mm_loadu_ps(f + 9), az = _mm_loadu_ps(f + 18),
               bx = _mm_loadu_ps(f + 27);
        __m128 by = _mm_loadu_ps(f + 4), bz = _mm_loadu_ps(f + 13), cx = _mm_loadu_ps(f + 22),
               cy = _mm_loadu_ps(f + 31);
        _MM_TRANSPOSE4_PS(ax, ay, az, bx);
        _MM_TRANSPOSE4_PS(by, bz, cx, cy);
        const __m128 cz = _mm_setr_ps(f[8], f[17], f[26], f[35]);
        // unitNormalOf(C, B, A): u = B - C, v = A - C.
        const __m128 ux = _mm_sub_ps(bx, cx), uy = _mm_sub_ps(by, cy), uz = _mm_sub_ps(bz, cz);
        const __m128 vx = _mm_sub_ps(ax, cx), vy = _mm_sub_ps(ay, cy), vz = _mm_sub_ps(az, cz);
        const __m128 nx = _mm_sub_ps(_mm_mul_ps(vy, uz), _mm_mul_ps(vz, uy));
        const __m128 ny = _mm_sub_ps(_mm_mul_ps(vz, ux), _mm_mul_ps(vx, uz));
        const __m128 nz = _mm_sub_ps(_mm_mul_ps(vx, uy), _mm_mul_ps(vy, ux));
        const __m128 length2 =
            _mm_add_ps(_mm_add_ps(_mm_mul_ps(nx, nx), _mm_mul_ps(ny, ny)), _mm_mul_ps(nz, nz));
        const __m128 r = _mm_div_ps(_mm_set1_ps(1.0f), _mm_sqrt_ps(length2));
        // One normal per lane to one normal per register (x y z -), then
        // each written three times: x y z x | y z x y | z.
        __m128 n0 = _mm_mul_ps(nx, r), n1 = _mm_mul_ps(ny, r), n2 = _mm_mul_ps(nz, r),
               n3 = _mm_setzero_ps();
        _MM_TRANSPOSE4_PS(n0, n1, n2, n3);
        float* out = &d[0].x;
        for (const __m128 n : {n0, n1, n2, n3}) {
            _mm_storeu_ps(out, _mm_shuffle_ps(n, n, _MM_SHUFFLE(0, 2, 1, 0)));
            _mm_storeu_ps(out + 4, _mm_shuffle_ps(n, n, _MM_SHUFFLE(1, 0, 2, 1)));
            _mm_store_ss(out + 8, _mm_shuffle_ps(n, n, _MM_SHUFFLE(2, 2, 2, 2)));
            out += 9;
        }
    }
    return k;
}
#else
size_t normalsFourAtATime(const glm::vec3*, size_t, glm::vec3*) {
    return 0;
}
#endif

}  // namespace

void appendTriangleNormals(std::vector<glm::vec3>& out, std::span<const glm::vec3> t) {
    const size_t triangles = t.size() / 3;
    glm::vec3* d = grow(out, 3 * triangles);
    const glm::vec3* p = t.data();
    const size_t done = normalsFourAtATime(p, triangles, d);
    p += 3 * done;
    d += 3 * done;
    for (size_t k = done; k < triangles; ++k, p += 3, d += 3) {
        const glm::vec3 n = unitNormalOf(p[2], p[1], p[0]);
        d[0] = n;
        d[1] = n;
        d[2] = n;
    }
}

std::vector<glm::vec3> calculateTriangleNormals(const std::vector<glm::vec3>& t) {
    return appended([&](auto& out) { appendTriangleNormals(out, t); });
}

bool isSameVertex(const glm::vec3& a, const glm::vec3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

bool indicesInRange(const std::vector<uint16_t>& indices, size_t count) {
    // No early exit: a branch-free scan vectorises, and lists are short or valid.
    uint16_t largest = 0;
    for (const uint16_t i : indices) largest = std::max(largest, i);
    return indices.empty() || largest < count;
}

std::vector<glm::vec3> triangleStripUnindexed(const std::vector<glm::vec3>& v,
                                              const std::vector<uint16_t>& idx) {
    std::vector<glm::vec3> out;
    if (!indicesInRange(idx, v.size())) return out;
    glm::vec3* d = grow(out, idx.size());
    for (size_t i = 0; i < idx.size(); ++i) d[i] = v[idx[i]];
    return out;
}

std::vector<glm::vec3> indexedLinesToLines(const std::vector<glm::vec3>& v,
                                           const std::vector<uint16_t>& idx) {
    return triangleStripUnindexed(v, idx);
}

void appendLineStripLines(std::vector<glm::vec3>& out, std::span<const glm::vec3> s) {
    const size_t n = s.size();
    if (n < 2) return;
    glm::vec3* d = grow(out, 2 * (n - 1));
    const glm::vec3* p = s.data();
    d[0] = p[0];
    d[1] = p[1];
    size_t i = 2;
#if defined(__SSE2__)
    // Entries 2i - 2 and 2i - 1 are p[i] and p[i - 1]: two adjacent vertices
    // swapped. Each is moved with one 16-byte load and store whose fourth
    // float spills into the entry after it, which the next store rewrites;
    // the last step is left to the plain loop, so nothing is written past
    // the output or read past the input.
    const float* src = &p[0].x;
    float* dst = &d[0].x;
    for (; i + 1 < n; ++i) {
        const __m128 current = _mm_loadu_ps(src + 3 * i);
        const __m128 previous = _mm_loadu_ps(src + 3 * i - 3);
        _mm_storeu_ps(dst + 6 * i - 6, current);
        _mm_storeu_ps(dst + 6 * i - 3, previous);
    }
#endif
    for (; i < n; ++i) {
        d[2 * i - 2] = p[i];
        d[2 * i - 1] = p[i - 1];
    }
}

void appendLineStripLines(std::vector<glm::vec3>& out, const std::vector<glm::vec3>& v,
                          const std::vector<uint16_t>& idx) {
    if (!indicesInRange(idx, v.size())) return;
    const glm::vec3* p = v.data();
    const uint16_t* x = idx.data();
    appendLineStripRule(out, idx.size(), [p, x](size_t i) -> const glm::vec3& { return p[x[i]]; });
}

void appendLineStripLines(std::vector<glm::vec3>& out, std::span<const glm::vec2> strip, float z) {
    const glm::vec2* p = strip.data();
    appendLineStripRule(out, strip.size(), [p, z](size_t i) { return glm::vec3(p[i], z); });
}

void appendTriangleStripTriangles(std::vector<glm::vec3>& out, std::span<const glm::vec3> s) {
    const glm::vec3* p = s.data();
    appendTriangleStripRule(out, s.size(), [p](size_t i) -> const glm::vec3& { return p[i]; });
}

void appendTriangleStripTriangles(std::vector<glm::vec3>& out, const std::vector<glm::vec3>& v,
                                  const std::vector<uint16_t>& idx) {
    if (!indicesInRange(idx, v.size())) return;
    const glm::vec3* p = v.data();
    const uint16_t* x = idx.data();
    appendTriangleStripRule(out, idx.size(),
                            [p, x](size_t i) -> const glm::vec3& { return p[x[i]]; });
}

void appendTriangleFanTriangles(std::vector<glm::vec3>& out, std::span<const glm::vec3> f) {
    const size_t n = f.size();
    if (n < 3) return;
    const bool close = !isSameVertex(f[0], f[n - 1]);
    glm::vec3* d = grow(out, 3 * (close ? n - 1 : n - 2));
    const glm::vec3 centre = f[0];
    d[0] = centre;
    d[1] = f[1];
    d[2] = f[2];
    d += 3;
    for (size_t i = 3; i < n; ++i, d += 3) {
        d[0] = centre;
        d[1] = f[i - 1];
        d[2] = f[i];
    }
    if (close) {
        d[0] = centre;
        d[1] = f[n - 1];
        d[2] = f[1];
    }
}

void triangleStripToTrianglesInPlace(std::vector<glm::vec3>& v) {
    const size_t n = v.size();
    if (n < 3) {
        v.clear();
        return;
    }
    const size_t count = 3 * (n - 2);
    if (count > v.capacity()) {
        std::vector<glm::vec3> out;
        out.reserve(count);
        appendTriangleStripTriangles(out, v);
        v.swap(out);
        return;
    }
    // Back to front: triangle i - 2 goes to 3(i - 2) .. 3(i - 2) + 2, at or
    // past i for i >= 3, so no vertex is overwritten before it is read. The
    // first triangle, s0 s1 s2, is already in place.
    v.resize(count);
    glm::vec3* d = v.data();
    for (size_t i = n - 1; i >= 3; --i) {
        const glm::vec3 a = d[i], b = d[i - 1], c = d[i - 2];
        glm::vec3* t = d + 3 * (i - 2);
        t[0] = a;
        t[1] = i % 2 == 1 ? b : c;
        t[2] = i % 2 == 1 ? c : b;
    }
}

std::vector<glm::vec3> lineStripToLines(const std::vector<glm::vec3>& s) {
    return appended([&](auto& out) { appendLineStripLines(out, s); });
}

std::vector<glm::vec3> lineStripToLines(const std::vector<glm::vec3>& v,
                                        const std::vector<uint16_t>& idx) {
    return appended([&](auto& out) { appendLineStripLines(out, v, idx); });
}

std::vector<glm::vec3> triangleStripToTriangles(const std::vector<glm::vec3>& s) {
    return appended([&](auto& out) { appendTriangleStripTriangles(out, s); });
}

std::vector<glm::vec3> triangleStripToTriangles(const std::vector<glm::vec3>& v,
                                                const std::vector<uint16_t>& idx) {
    return appended([&](auto& out) { appendTriangleStripTriangles(out, v, idx); });
}

std::vector<glm::vec3> triangleFanToTriangles(const std::vector<glm::vec3>& f) {
    return appended([&](auto& out) { appendTriangleFanTriangles(out, f); });
}

}  // namespace quorvan
