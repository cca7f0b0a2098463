#pragma once

// The one owner of the rule that switches a model's polygon record between a
// triangle strip and a triangle list. Internal to the model maker; readers
// test a record with isTriangleStrip (model/glmodel.h).
//
// The mode is the state carried from blob to blob of one model: a strip
// keeps growing by degenerate joins until some blob needs a triangle list,
// which converts it once (in the storage the request reserved); after that
// everything appends triangles. Builders that write normals recompute them
// for a converted strip, so that vertices and normals stay parallel; the
// flat builders write none and leave them as they were, so `normals` may end
// up shorter than `vertices`. A few builders replace the whole record with a
// strip of their own (a cell's square, a bridge's bands) and mark it so.

#include <cstddef>
#include <vector>

#include <glm/vec3.hpp>

#include "model/glmodel.h"

namespace quorvan::builders {

// Triangles appended to a polygon record. Opening one converts a strip the
// record holds to a triangle list; close() marks the record a list and, with
// Normals::Flat, gives the triangles appended since opening their flat
// normals (and the converted strip fresh ones).
class TriangleAppend {
public:
    enum class Normals { Kept, Flat };

    TriangleAppend(S_GeometryPolygons& polygons, Normals normals);
    TriangleAppend(const TriangleAppend&) = delete;
    TriangleAppend& operator=(const TriangleAppend&) = delete;

    // Where the triangles go: after what the record holds.
    std::vector<glm::vec3>& vertices() { return polygons.vertices; }
    void close();

private:
    S_GeometryPolygons& polygons;
    Normals normals;
    size_t first;
};

// Adds a strip without normals: joined to the strip the record holds (or
// starting one), or as triangles once the record holds a triangle list.
void appendFlatStrip(S_GeometryPolygons& polygons, const std::vector<glm::vec3>& strip);

// For builders that replace the record's vertices with one strip of their own.
inline void markTriangleStrip(S_GeometryPolygons& polygons) {
    polygons.mode = MODE_TRIANGLE_STRIP;
}

// For builders that leave the polygons untouched but must give an empty
// record a mode: a strip, while the record holds no vertex, so that another
// builder's triangle list keeps reading as such.
inline void claimTriangleStripIfEmpty(S_GeometryPolygons& polygons) {
    if (polygons.vertices.empty()) markTriangleStrip(polygons);
}

}  // namespace quorvan::builders
