#pragma once

// Plane geometry of the vector-tile mapping, in world space (x east, y
// north, double precision until a payload rounds to tenths). Rings are open:
// the last point is no copy of the first. Internal to the mapping.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include <glm/ext/vector_double2.hpp>

namespace quorvan::vectortile {

using Point = glm::dvec2;
using Ring = std::vector<Point>;
using Box = std::array<double, 4>;  // x1, y1, x2, y2

// Rounds half up, as the payloads round (x.5 goes to x + 1, -x.5 to -x,
// and what rounds to zero keeps the sign of v).
double roundHalfUp(double v);
// v rounded to tenths of a unit: what a payload keeps.
double quantise(double v);

// Twice the signed area of a, b, c: positive for a left turn.
double cross(const Point& a, const Point& b, const Point& c);
double signedArea(std::span<const Point> ring);

// Ring clipped to the box (Sutherland-Hodgman): concave rings may keep
// zero-width spurs along the box's edges, which add no area.
Ring clipRing(std::span<const Point> ring, const Box& box);
// The pieces of a line inside the box (Liang-Barsky per segment).
std::vector<Ring> clipLine(std::span<const Point> line, const Box& box);
// Rounded to tenths, repeated points dropped; a ring also loses the closing
// copy of its first point.
Ring cleanRing(std::span<const Point> points);
Ring cleanLine(std::span<const Point> points);

struct Polygon {
    Ring outer;
    std::vector<Ring> holes;
};
// A ring with positive area starts a polygon, one with negative area is a
// hole of the polygon before it; rings without area and holes before any
// outer ring are dropped.
std::vector<Polygon> classifyRings(std::vector<Ring> rings);

// Counter-clockwise triangles of a polygon as index triples into its
// vertices (outer ring, then each hole); triangles without area left out.
std::vector<std::array<uint32_t, 3>> triangulatePolygon(const Polygon& polygon,
                                                        std::vector<Point>& vertices);
// One strip of counter-clockwise triangles that keeps their winding: a
// triangle that continues the strip costs one index, any other is joined by
// degenerate triangles as the library joins strips.
std::vector<uint32_t> stripFromTriangles(std::span<const std::array<uint32_t, 3>> triangles);

// A counter-clockwise ring that turns left (or runs straight) at every
// corner and winds once around.
bool isConvex(std::span<const Point> ring);
// The area centroid, rounded to tenths, when the fan around it covers the
// ring exactly (every fan triangle counter-clockwise with area).
std::optional<Point> fanCentre(std::span<const Point> ring);

// Edge i of a ring runs from point i to point i + 1 (the last to the first).
// True when it lies along one of the box's sides: the edge where the tile
// cut the feature, not an edge the feature has.
bool onClipEdge(const Point& a, const Point& b, const Box& quantisedBox);
// The box with its sides rounded to tenths, as clipped and cleaned rings have them.
Box quantiseBox(const Box& box);

}  // namespace quorvan::vectortile
