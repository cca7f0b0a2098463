#include "inspect/top_view.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quorvan::inspect {

bool drawableGrid(const pack::PackGrid& grid) {
    const Bounds& b = grid.bounds;
    if (grid.cellsInRow <= 0 || grid.cellsInCol <= 0) return false;
    const double size = b.width() / grid.cellsInRow;
    const double far = std::numeric_limits<float>::max();
    for (double v : {b.x1, b.y1, b.x2, b.y2, std::min(b.x1, b.x2) + grid.cellsInRow * size,
                     std::min(b.y1, b.y2) + grid.cellsInCol * size}) {
        if (!(std::abs(v) < far)) return false;
    }
    return b.width() > 0 && b.height() > 0;
}

TopView chooseTopView(const Inspection& inspection, const pack::PackGrid& grid, int widthPx) {
    TopView view;
    const Bounds& b = grid.bounds;
    if (drawableGrid(grid)) {
        view = {std::min(b.x1, b.x2), std::min(b.y1, b.y2), std::max(b.x1, b.x2),
                std::max(b.y1, b.y2), 1};
    } else {
        // No grid: the extent of whatever was built.
        double lo[2] = {std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
        double hi[2] = {std::numeric_limits<double>::lowest(),
                        std::numeric_limits<double>::lowest()};
        auto take = [&](const glm::vec2& p) {
            if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
            for (int i = 0; i < 2; ++i) {
                lo[i] = std::min(lo[i], static_cast<double>(p[i]));
                hi[i] = std::max(hi[i], static_cast<double>(p[i]));
            }
        };
        for (const BuiltModel& m : inspection.models) {
            for (const auto& v : m.model->polygons.vertices) take(m.origin + glm::vec2(v));
            for (const auto& v : m.model->lines.vertices) take(m.origin + glm::vec2(v));
            for (const auto& p : m.model->points) take(m.origin + p);
        }
        if (lo[0] <= hi[0]) view = {lo[0], lo[1], hi[0], hi[1], 1};
        const double pad = std::max({view.maxX - view.minX, view.maxY - view.minY, 1.0}) * 0.02;
        view.minX -= pad;
        view.minY -= pad;
        view.maxX += pad;
        view.maxY += pad;
    }
    view.scale = widthPx / std::max(view.maxX - view.minX, 1e-9);
    return view;
}

}  // namespace quorvan::inspect
