#include "grid/grid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>

#include "debug/debuglog.h"

namespace quorvan {

namespace {

[[noreturn]] void brokenPrecondition(const char* what) {
    log() << what;
    throw std::logic_error(what);
}

// floor(v) as an int, or false when v is not finite or out of int range.
bool floorToInt(double v, int* out) {
    const double f = std::floor(v);
    if (!(f >= static_cast<double>(std::numeric_limits<int>::min()) &&
          f <= static_cast<double>(std::numeric_limits<int>::max()))) {
        return false;
    }
    *out = static_cast<int>(f);
    return true;
}

// Narrows with saturation, so that a margin cannot overflow a coordinate.
int saturate(int64_t v) {
    if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

}  // namespace

StrictRange::StrictRange(int first, int last) : first(first), last(last) {
    if (last < first) brokenPrecondition("StrictRange: end before start");
}

StrictRange::StrictRange(unsigned int first, unsigned int last)
    : first(static_cast<int32_t>(first)), last(static_cast<int32_t>(last)) {
    if (last < first) brokenPrecondition("StrictRange: end before start");
}

Grid& Grid::instance() {
    static Grid instance;
    return instance;
}

Grid& grid() {
    return Grid::instance();
}

void Grid::cellsAmount(int cellsInRow, int cellsInCol) {
    cellsInRow_ = cellsInRow;
    cellsInCol_ = cellsInCol;
}

void Grid::gridCoordinates(const Bounds& bounds) {
    bounds_ = bounds;
}

std::string Grid::setupProblem(int cellsInRow, int cellsInCol, const Bounds& bounds) {
    if (cellsInRow < 1 || cellsInCol < 1 || cellsInRow > kMaxCells || cellsInCol > kMaxCells) {
        return "grid counts " + std::to_string(cellsInRow) + " x " + std::to_string(cellsInCol) +
               " outside 1.." + std::to_string(kMaxCells) +
               " (the cell index keeps 16 bits of each)";
    }
    char corners[160];
    std::snprintf(corners, sizeof corners, "grid bounds (%g, %g)..(%g, %g)", bounds.x1, bounds.y1,
                  bounds.x2, bounds.y2);
    // Finite corners can still be an infinite width: 1e308 - (-1e308).
    if (!std::isfinite(bounds.width()) || !std::isfinite(bounds.height())) {
        return std::string(corners) + " not finite, or their extent overflows";
    }
    if (bounds.width() == 0.0 || bounds.height() == 0.0) {
        return std::string(corners) + " are empty: zero width or height";
    }
    return "";
}

void Grid::setUp(int cellsInRow, int cellsInCol, const Bounds& bounds) {
    const std::string problem = setupProblem(cellsInRow, cellsInCol, bounds);
    if (!problem.empty()) {
        log() << problem;
        throw std::invalid_argument(problem);
    }
    cellsAmount(cellsInRow, cellsInCol);
    // Cell polygons and queries count cells from (x1, y1): a grid given by
    // its corners in any order must start at its lower ones to lie where it
    // was checked.
    gridCoordinates(Bounds(std::min(bounds.x1, bounds.x2), std::min(bounds.y1, bounds.y2),
                           std::max(bounds.x1, bounds.x2), std::max(bounds.y1, bounds.y2)));
}

bool Grid::hasCell(int index) const {
    int x = 0;
    int y = 0;
    indexToXy(index, &x, &y);
    if (x >= cellsInRow_ || y >= cellsInCol_) return false;  // also no cells at all
    const double s = cellSize();
    return std::isfinite(s) && s > 0.0 && std::isfinite(bounds_.x1) && std::isfinite(bounds_.y1);
}

int Grid::xyToIndex(int x, int y) const {
    if (x < 0 || y < 0 || x >= cellsInRow_ || y >= cellsInCol_) {
        brokenPrecondition("Grid::xyToIndex: cell outside the grid");
    }
    return static_cast<int>((static_cast<uint32_t>(x) << 16) |
                            (static_cast<uint32_t>(y) & 0xFFFFu));
}

void Grid::indexToXy(int index, int* x, int* y) {
    *x = static_cast<int>(static_cast<uint32_t>(index) >> 16);
    *y = index & 0xFFFF;
}

void Grid::snapColToBounds(int* x) const {
    if (*x < 0) *x = 0;
    if (*x >= cellsInRow_) *x = cellsInRow_ - 1;
}

void Grid::snapRowToBounds(int* y) const {
    if (*y < 0) *y = 0;
    if (*y >= cellsInCol_) *y = cellsInCol_ - 1;
}

void Grid::snapToBounds(int* x1, int* y1, int* x2, int* y2) const {
    snapColToBounds(x1);
    snapColToBounds(x2);
    snapRowToBounds(y1);
    snapRowToBounds(y2);
}

int Grid::colsLimit(int x) const {
    if (x < 0) return 0;
    return x < cellsInRow_ ? x : cellsInRow_ - 1;
}

int Grid::rowsLimit(int y) const {
    if (y < 0) return 0;
    return y < cellsInCol_ ? y : cellsInCol_ - 1;
}

bool Grid::coveredBlock(const Bounds& q, int* cx1, int* cy1, int* cx2, int* cy2) const {
    const double s = cellSize();
    if (!floorToInt((q.x1 - bounds_.x1) / s, cx1) || !floorToInt((q.y1 - bounds_.y1) / s, cy1) ||
        !floorToInt((q.x2 - bounds_.x1) / s, cx2) || !floorToInt((q.y2 - bounds_.y1) / s, cy2)) {
        log() << "Grid: query quotient not representable";
        return false;
    }
    snapToBounds(cx1, cy1, cx2, cy2);
    return true;
}

void Grid::getCellsIndices(const Bounds& query, std::set<int>* out) const {
    int cx1, cy1, cx2, cy2;
    if (!coveredBlock(query, &cx1, &cy1, &cx2, &cy2)) return;
    for (int cy = cy1; cy <= cy2; ++cy) {
        for (int cx = cx1; cx <= cx2; ++cx) out->insert(xyToIndex(cx, cy));
    }
}

void Grid::appendRanges(int cx1, int cy1, int cx2, int cy2, std::vector<StrictRange>* out) const {
    for (int cx = cx1; cx <= cx2; ++cx) out->emplace_back(xyToIndex(cx, cy1), xyToIndex(cx, cy2));
}

void Grid::getCellRanges(const Bounds& query, std::vector<StrictRange>* out) const {
    int cx1, cy1, cx2, cy2;
    if (!coveredBlock(query, &cx1, &cy1, &cx2, &cy2)) return;
    appendRanges(cx1, cy1, cx2, cy2, out);
}

void Grid::getCellRangesExtended(const Bounds& query, std::vector<StrictRange>* out,
                                 int margin) const {
    int cx1, cy1, cx2, cy2;
    if (!coveredBlock(query, &cx1, &cy1, &cx2, &cy2)) return;
    const int64_t m = margin;
    cx1 = colsLimit(saturate(cx1 - m));
    cy1 = rowsLimit(saturate(cy1 - m));
    cx2 = colsLimit(saturate(cx2 + m));
    cy2 = rowsLimit(saturate(cy2 + m));
    appendRanges(cx1, cy1, cx2, cy2, out);
}

}  // namespace quorvan
