#pragma once

// Ear-clipping triangulation of a polygon with holes (rings joined by
// bridges, ears cut from a doubly linked ring, a z-order index over the
// points of larger rings so an ear test looks only near the ear): the
// algorithm of Mapbox's earcut (ISC licence), written anew for the library,
// so its triangles may differ from those of earcut's own releases.
// Internal to the vector-tile mapping.

#include <cstdint>
#include <span>
#include <vector>

#include <glm/ext/vector_double2.hpp>
#include <glm/vec2.hpp>

namespace quorvan::vectortile {

// `points` holds the outer ring, then each hole; holeStarts[k] is where hole
// k begins. Rings are open (no closing copy of the first point). Returns
// index triples into `points`, in no particular winding; together they
// cover the polygon. Bad rings (self-crossing, degenerate) give what a best
// effort finds, never an index out of range; recursion is bounded, so very
// tangled rings may come out partly covered.
std::vector<uint32_t> triangulate(std::span<const glm::dvec2> points,
                                  std::span<const uint32_t> holeStarts);

}  // namespace quorvan::vectortile
