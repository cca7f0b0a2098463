#pragma once

// The frame of a top view, north up: the world rectangle it shows and its
// pixels per world unit. The SVG is drawn in it, and labels are chosen in it
// (their sizes are given in pixels).

#include <glm/vec2.hpp>

#include "inspect/replay.h"
#include "pack/blob_pack.h"

namespace quorvan::inspect {

struct TopView {
    double minX = 0, minY = 0, maxX = 1, maxY = 1;
    double scale = 1;  // pixels per unit

    double widthPx() const { return scale * (maxX - minX); }
    double heightPx() const { return (maxY - minY) * scale; }
    glm::dvec2 toPx(const glm::vec2& world) const {
        return {(world.x - minX) * scale, (maxY - world.y) * scale};
    }
    glm::dvec2 toWorld(const glm::dvec2& px) const {
        return {minX + px.x / scale, maxY - px.y / scale};
    }
};

// A grid the top view can frame and draw: cells, and corners whose extent
// is finite and non-zero, all of it within float range, where the drawing is
// done (corners beyond it would be written as inf).
bool drawableGrid(const pack::PackGrid& grid);

// The grid's bounds when drawable, else the extent of the geometry (with a
// margin), `widthPx` wide.
TopView chooseTopView(const Inspection& inspection, const pack::PackGrid& grid, int widthPx);

}  // namespace quorvan::inspect
