#pragma once

// Outlines and walls of areas, shared by the flat and the extruded builders.
// The ground point of a vertex v is (v.x, v.y, 0). Outline vertices are
// compared exactly, component by component (a NaN never equals anything), to
// tell a closed ring (last vertex repeats the first) from an open one.
//
// With hasCentre the fan's first vertex is an inner centre and not part of
// the outline; a fan that holds only its centre (or nothing) has no outline
// and gives an empty result. Nothing is read past the end of the fan.

#include <glm/vec3.hpp>
#include <vector>

#include "export.h"

namespace quorvan {

// Appends the segment a-b to `out`. When a stands above the ground (a.z > 0)
// also appends the vertical ground(a)-a and the ground segment
// ground(a)-ground(b); b's vertical comes from the neighbouring edge.
MESHORY_API void makeStrokeFromLine(std::vector<glm::vec3>& out, const glm::vec3& a,
                                    const glm::vec3& b);

// Line list of the fan's outline: the closing edge (first outline vertex to
// last) first unless the ring is closed, then each edge current vertex first.
// 2 vertices per edge at ground level, 6 above it.
MESHORY_API std::vector<glm::vec3> makeStrokeLinesFromTrianglesFan(
    const std::vector<glm::vec3>& fan, bool hasCentre);

// Triangle list of the walls that join the fan's outline to the ground, two
// triangles (c, p, ground(p)), (c, ground(p), ground(c)) per edge from p to c,
// closing wall first unless the ring is closed. Makes no height test: the
// caller builds walls only for a positive height. A counter-clockwise
// outline (seen from +z) gives outward-facing walls.
MESHORY_API std::vector<glm::vec3> getWallsTrianglesFromTriangleFan(
    const std::vector<glm::vec3>& fan, bool hasCentre);

// Appending forms of the two above: the same entries, written after what
// `out` holds (the builders append straight into the model's lists).
MESHORY_API void appendStrokeLinesFromTrianglesFan(std::vector<glm::vec3>& out,
                                                   const std::vector<glm::vec3>& fan,
                                                   bool hasCentre);
MESHORY_API void appendWallsTrianglesFromTriangleFan(std::vector<glm::vec3>& out,
                                                     const std::vector<glm::vec3>& fan,
                                                     bool hasCentre);

}  // namespace quorvan
