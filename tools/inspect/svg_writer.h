#pragma once

// Writes a top view of an inspection as SVG: north up, layers drawn in
// ascending layer id (so a converter that numbers its layers in drawing order
// gets a map), areas filled per layer, lines stroked with the model's width,
// points as dots, label texts on top (placed as selectLabels keeps them:
// no overlaps, one of a name per tile), the grid's cells dashed, and a legend.
//
// The view covers the grid's bounds, or the extent of the geometry when the
// pack sets up no grid. Triangles are projected onto the ground; those with
// no area there (walls, strip joins) are left out, as is anything with a
// non-finite coordinate.

#include <string>

#include "inspect/replay.h"

namespace quorvan::inspect {

struct SvgOptions {
    int widthPx = 1600;
};

struct SvgSummary {
    size_t labelCandidates = 0;  // models with a label that has a finite place
    size_t labelsDrawn = 0;      // after overlaps and repeats are left out
};

// The SVG document; texts go through displayText, so it is well-formed
// UTF-8 XML whatever bytes the pack holds.
std::string svgDocument(const Inspection& inspection, const pack::PackGrid& grid,
                        const SvgOptions& options, SvgSummary& summary);

// False with `error` set when the file cannot be written.
bool writeSvg(const Inspection& inspection, const pack::PackGrid& grid, const std::string& path,
              const SvgOptions& options, SvgSummary& summary, std::string& error);

}  // namespace quorvan::inspect
