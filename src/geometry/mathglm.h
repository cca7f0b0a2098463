#pragma once

// Geometry toolkit: layout conversions between strips, fans and lists,
// flat normals, joins; planar tests and angles.

#include <cstdint>
#include <vector>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include "export.h"
#include "model/glmodel.h"

namespace quorvan {

// ---- Mesh conversions ----------------------------------------------------
//
// Index-based conversions take indices into `v`. The blob encoding hands
// them indices unchecked, so an index list that holds any index >= v.size()
// is treated as malformed as a whole: the conversion returns an empty result
// and reads no vertex. (Skipping single primitives would shift the winding of
// every later strip triangle.)

// (p2 - p0) x (p1 - p0): the normal of (p0, p2, p1) by the right-hand rule. Not normalised.
MESHORY_API glm::vec3 getNormal(const glm::vec3& p0, const glm::vec3& p1, const glm::vec3& p2);
// getNormal scaled to unit length; a zero-area triangle gives non-finite components.
MESHORY_API glm::vec3 getNormalizedNormal(const glm::vec3& p0, const glm::vec3& p1, const glm::vec3& p2);
// One flat normal per vertex of a triangle list (counter-clockwise side). A
// trailing remainder of one or two vertices gets no normal.
MESHORY_API std::vector<glm::vec3> calculateTriangleNormals(const std::vector<glm::vec3>& triangles);

// True when every index is below `count`.
MESHORY_API bool indicesInRange(const std::vector<uint16_t>& indices, size_t count);

// v[idx[0]], v[idx[1]], ...
MESHORY_API std::vector<glm::vec3> triangleStripUnindexed(const std::vector<glm::vec3>& v,
                                                          const std::vector<uint16_t>& idx);
MESHORY_API std::vector<glm::vec3> indexedLinesToLines(const std::vector<glm::vec3>& v,
                                                       const std::vector<uint16_t>& idx);
// Line strip to line list: (s0, s1), then (s[i], s[i-1]) newest first.
MESHORY_API std::vector<glm::vec3> lineStripToLines(const std::vector<glm::vec3>& strip);
MESHORY_API std::vector<glm::vec3> lineStripToLines(const std::vector<glm::vec3>& v,
                                                    const std::vector<uint16_t>& idx);
// Triangle strip to triangle list, each triangle starting with its newest vertex.
MESHORY_API std::vector<glm::vec3> triangleStripToTriangles(const std::vector<glm::vec3>& strip);
MESHORY_API std::vector<glm::vec3> triangleStripToTriangles(const std::vector<glm::vec3>& v,
                                                            const std::vector<uint16_t>& idx);
// Fan to triangle list, closed back to f[1] unless the last vertex repeats f[0].
MESHORY_API std::vector<glm::vec3> triangleFanToTriangles(const std::vector<glm::vec3>& fan);

MESHORY_API std::vector<glm::vec3> geometryLinesToLines(const S_GeometryLines& g);
// A triangle list: converted when the record holds a strip (mode 5), else a copy.
MESHORY_API std::vector<glm::vec3> geometryPolygonsToTriangles(const S_GeometryPolygons& g);

// a followed by b.
template <typename T>
std::vector<T> mergeTriangles(const std::vector<T>& a, const std::vector<T>& b) {
    std::vector<T> out;
    out.reserve(a.size() + b.size());
    out.insert(out.end(), a.begin(), a.end());
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

// In-place form of `a = mergeTriangles(a, b)`, with amortised growth: the
// builders use it so that a model of many blobs costs linear time.
template <typename T>
void appendInPlace(std::vector<T>& a, const std::vector<T>& b) {
    a.insert(a.end(), b.begin(), b.end());
}

// Joins two strips with degenerate triangles so that b keeps its winding:
// a, a.back() (twice when a.size() is odd), b.front(), b. Plain
// concatenation when either is empty.
template <typename T>
void mergeTriangleStripsInPlace(std::vector<T>& a, const std::vector<T>& b) {
    if (a.empty() || b.empty()) {
        appendInPlace(a, b);
        return;
    }
    const size_t joins = a.size() % 2 == 0 ? 2 : 3;
    a.reserve(a.size() + b.size() + joins);
    const T last = a.back();
    a.push_back(last);
    if (joins == 3) a.push_back(last);
    a.push_back(b.front());
    a.insert(a.end(), b.begin(), b.end());
}

template <typename T>
std::vector<T> mergeTriangleStrips(const std::vector<T>& a, const std::vector<T>& b) {
    std::vector<T> out = a;
    mergeTriangleStripsInPlace(out, b);
    return out;
}

// ---- Angles and planes ---------------------------------------------------

// degrees - 360 * floor(degrees / 360), in [0, 360).
MESHORY_API float wrapAngle(float degrees);

// Crossing of segment a-b with the plane through planePoint with `normal`.
// Both ends on one side, or either end on the plane: b. A segment parallel to
// the plane: a.
MESHORY_API glm::vec3 getIntersectLinePlane(const glm::vec3& planePoint, const glm::vec3& a,
                                            const glm::vec3& b, const glm::vec3& normal);

}  // namespace quorvan
