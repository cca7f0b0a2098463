#pragma once

// Geometry toolkit: layout conversions between strips, fans and lists,
// flat normals, joins; planar intersections, angles, polygon tests and the
// convex hull. All functions are pure (except where they write through an
// output argument) and never throw for bad values.

#include <algorithm>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <meshory/export.h>
#include <meshory/geometry/aabb2d.h>

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
MESHORY_API glm::vec3 getNormalizedNormal(const glm::vec3& p0, const glm::vec3& p1,
                                          const glm::vec3& p2);
// One flat normal per vertex of a triangle list (counter-clockwise side). A
// trailing remainder of one or two vertices gets no normal.
MESHORY_API std::vector<glm::vec3> calculateTriangleNormals(
    const std::vector<glm::vec3>& triangles);

// Exact componentwise equality, as the fan and outline rules need it; a NaN
// component never compares equal.
MESHORY_API bool isSameVertex(const glm::vec3& a, const glm::vec3& b);

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

// Appending forms of the conversions: the result is written after what
// `out` holds, sized once (amortised growth) and written through a pointer;
// the by-value forms above are these applied to an empty vector. The input
// must not lie in `out` itself.
MESHORY_API void appendTriangleNormals(std::vector<glm::vec3>& out,
                                       std::span<const glm::vec3> triangles);
MESHORY_API void appendLineStripLines(std::vector<glm::vec3>& out,
                                      std::span<const glm::vec3> strip);
MESHORY_API void appendLineStripLines(std::vector<glm::vec3>& out, const std::vector<glm::vec3>& v,
                                      const std::vector<uint16_t>& idx);
// The line-strip rule on points of the plane, lifted to height z.
MESHORY_API void appendLineStripLines(std::vector<glm::vec3>& out, std::span<const glm::vec2> strip,
                                      float z);
MESHORY_API void appendTriangleStripTriangles(std::vector<glm::vec3>& out,
                                              std::span<const glm::vec3> strip);
MESHORY_API void appendTriangleStripTriangles(std::vector<glm::vec3>& out,
                                              const std::vector<glm::vec3>& v,
                                              const std::vector<uint16_t>& idx);
MESHORY_API void appendTriangleFanTriangles(std::vector<glm::vec3>& out,
                                            std::span<const glm::vec3> fan);
// `v = triangleStripToTriangles(v)`, in the storage `v` already has when it
// is large enough (the model maker reserves it for the whole request).
MESHORY_API void triangleStripToTrianglesInPlace(std::vector<glm::vec3>& v);

// a followed by b.
template <typename T>
std::vector<T> mergeTriangles(const std::vector<T>& a, const std::vector<T>& b) {
    std::vector<T> out;
    out.reserve(a.size() + b.size());
    out.insert(out.end(), a.begin(), a.end());
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

// Room for `extra` more elements, growing geometrically: reserving exactly
// size + extra before every append would reallocate, and copy the whole
// list, at every blob.
template <typename T>
void reserveToAppend(std::vector<T>& v, size_t extra) {
    const size_t needed = v.size() + extra;
    if (needed > v.capacity()) v.reserve(std::max(needed, 2 * v.capacity()));
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
    reserveToAppend(a, b.size() + joins);
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

// ---- Intersections -------------------------------------------------------
//
// Polygons are vertex lists in order and implicitly closed (the edge from the
// last vertex back to the first belongs to them). cross(O, A, B) is the 2D
// cross product of A - O and B - O; positive is a left (counter-clockwise)
// turn with y up. Degenerate input (coincident points, zero lengths) gives
// what the formulas give, non-finite values included, but never an access
// outside the inputs.

struct MESHORY_API S_IntersectResult {
    bool intersects = false;
    glm::vec2 point{0.0f, 0.0f};  // (0, 0) when they do not meet
};

// Segments a1-a2 and b1-b2, both ends of both included. Parallel or
// coincident segments never meet, nor do segments whose meeting point is a1
// (a1 on the line through b1, b2). A NaN anywhere gives no intersection.
MESHORY_API S_IntersectResult intersectionLines(const glm::vec2& a1, const glm::vec2& a2,
                                                const glm::vec2& b1, const glm::vec2& b2);
// The infinite lines through a1, a2 and through b1, b2; the same exclusions
// for parallel lines and for a1 on the second line. Nearly parallel lines
// give far-away or non-finite points.
MESHORY_API S_IntersectResult intersectionRays(const glm::vec2& a1, const glm::vec2& a2,
                                               const glm::vec2& b1, const glm::vec2& b2);
// Appends to `out` the crossing of segment a-b with each polygon edge it
// crosses, in edge order. Nothing is cleared.
MESHORY_API void intersectionLinePolygon(const glm::vec2& a, const glm::vec2& b,
                                         const std::vector<glm::vec2>& polygon,
                                         std::vector<glm::vec2>& out);
// Crossings of the line through a and b with a sphere: 0, 1 or 2 points, the
// one towards b first. Points up to one full segment length from the midpoint
// on either side are accepted; a tangent gives the same point twice. a == b
// gives none.
MESHORY_API std::vector<glm::vec3> lineSphereIntersection(const glm::vec3& center, float radius,
                                                          const glm::vec3& a, const glm::vec3& b);
// lineSphereIntersection in the plane z = 0.
MESHORY_API std::vector<glm::vec2> lineCircleIntersection(const glm::vec2& center, float radius,
                                                          const glm::vec2& a, const glm::vec2& b);

// ---- Angles and numbers --------------------------------------------------

// Difference of two angles in radians, going the short way round for inputs
// in [0, 2 pi).
MESHORY_API float anglesDifference(float a, float b);
// -1 when v lies clockwise of u, else +1 (collinear gives +1).
MESHORY_API float angleSignBetweenVectors2d(const glm::vec2& u, const glm::vec2& v);
// The same on x and y only.
MESHORY_API float angleSignBetweenVectors3d(const glm::vec3& u, const glm::vec3& v);
// f * 255 + 0.5 truncated, for f in [0, 1]. Values outside saturate to 0 or
// 255, and NaN gives 0, so the result always fits a byte.
MESHORY_API uint8_t floatToByte(float f);
// Exactly one bit set (0 is not a power of two).
MESHORY_API bool isPowerOfTwo(unsigned int n);
// Rotates *p in place by the angle of cosine c and sine s. Null does nothing.
MESHORY_API void rotatePoint(glm::vec2* p, float c, float s);
// Distance from p to the segment a-b (to a when a == b).
MESHORY_API float distanceToSegment(const glm::vec2& a, const glm::vec2& b, const glm::vec2& p);

// ---- Polygon tests and convex hull ----------------------------------------

// Even-odd crossing rule; valid for any simple polygon. Empty gives false.
MESHORY_API bool pointInsideConvexPolygon(const glm::vec2& p,
                                          const std::vector<glm::vec2>& polygon);
// Same-side test for a planar convex polygon of at least 3 vertices: every
// edge must turn the way the closing edge turns. A point on an edge or its
// line is outside.
MESHORY_API bool pointInsideConvexPolygon(const glm::vec3& p,
                                          const std::vector<glm::vec3>& polygon);
// False for fewer than 3 vertices and for vertices that all lie on one line.
MESHORY_API bool isConvex(const std::vector<glm::vec2>& polygon);
// Signed area <= 0: empty and zero-area polygons count as clockwise.
MESHORY_API bool isClockWise(const std::vector<glm::vec2>& polygon);
// Area centroid and a validity flag: true when the centroid is not NaN and
// the counter-clockwise area exceeds 0.0001. Clockwise polygons get the same
// centroid flagged invalid; an empty polygon gives (0, 0) and false.
MESHORY_API std::pair<glm::vec2, bool> findCentroid(const std::vector<glm::vec2>& polygon);
// A vertex in the box (borders included), a box corner strictly inside the
// polygon, or crossing edges.
MESHORY_API bool overlapsConvexPolygonAABB(const std::vector<glm::vec2>& polygon,
                                           const C_AABB2d& box);
// A vertex of either strictly inside the other, or crossing edges.
MESHORY_API bool overlapsConvexPolygons(const std::vector<glm::vec2>& a,
                                        const std::vector<glm::vec2>& b);
// Monotone chain hull, counter-clockwise, collinear points dropped. For two
// or more points the ring is closed (the last point repeats the
// first); one point gives itself, none an empty list. Points with a NaN
// coordinate are not points of the plane and are ignored.
MESHORY_API std::vector<glm::vec2> convexHull(std::vector<glm::vec2> points);
// The part of convex polygon a inside convex polygon b, as a hull built from
// a's vertices inside b, the edge crossings, and the start vertices of b's
// crossed edges that lie inside a. Empty when no edges cross and no vertex of
// a lies inside b (so b wholly inside a gives an empty result).
MESHORY_API std::vector<glm::vec2> cutConvexPolygonAInsideB(const std::vector<glm::vec2>& a,
                                                            const std::vector<glm::vec2>& b);

}  // namespace quorvan
