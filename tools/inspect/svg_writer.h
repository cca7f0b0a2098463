#pragma once

// Writes a top view of an inspection as SVG: north up, layers drawn in
// ascending layer id (so a converter that numbers its layers in drawing order
// gets a map), areas filled per layer, lines stroked with the model's width,
// points as dots, label texts on top, the grid's cells dashed, and a legend.
//
// The view covers the grid's bounds, or the extent of the geometry when the
// pack sets up no grid. Triangles are projected onto the ground; those with
// no area there (walls, strip joins) are left out, as is anything with a
// non-finite coordinate.

#include <string>

#include "inspect/inspect.h"

namespace quorvan::inspect {

struct SvgOptions {
    int widthPx = 1600;
};

// False with `error` set when the file cannot be written.
bool writeSvg(const Inspection& inspection, const pack::PackGrid& grid, const std::string& path,
              const SvgOptions& options, std::string& error);

}  // namespace quorvan::inspect
