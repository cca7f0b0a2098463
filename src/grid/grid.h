#pragma once

// The process-wide tile grid: square cells over one map extent, each keyed
// by a 32-bit cell index = column << 16 | row.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include <meshory/export.h>

namespace quorvan {

struct MESHORY_API Bounds {
    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;

    Bounds() = default;
    Bounds(double x1, double y1, double x2, double y2) : x1(x1), y1(y1), x2(x2), y2(y2) {}

    double width() const { return x2 >= x1 ? x2 - x1 : x1 - x2; }
    double height() const { return y2 >= y1 ? y2 - y1 : y1 - y2; }
};

// Inclusive range of cell indices, first <= last. Building a reversed range
// is a programming error: it is logged and std::logic_error is thrown.
struct MESHORY_API StrictRange {
    int32_t first;
    int32_t last;

    StrictRange(int first, int last);
    StrictRange(unsigned int first, unsigned int last);
};

class MESHORY_API Grid {
public:
    static Grid& instance();

    Grid(const Grid&) = delete;
    Grid& operator=(const Grid&) = delete;

    // Rows and columns are 16-bit fields of the cell index.
    static constexpr int kMaxCells = 65536;

    // Setters store their values unchecked; the host configures the grid
    // once before any thread queries it.
    void cellsAmount(int cellsInRow, int cellsInCol);
    void gridCoordinates(const Bounds& bounds);

    // What makes counts and bounds unfit for a grid, or "" when they fit:
    // both counts from 1 to kMaxCells, bounds finite with a finite, non-zero
    // width and height (their corners in any order).
    static std::string setupProblem(int cellsInRow, int cellsInCol, const Bounds& bounds);
    // The checked set-up: both setters in one once setupProblem finds
    // nothing; otherwise changes nothing and throws std::invalid_argument
    // with the problem. The bounds are stored with their corners ordered
    // (x1 <= x2, y1 <= y2): cells count from the first corner.
    void setUp(int cellsInRow, int cellsInCol, const Bounds& bounds);
    // True when `index` names a cell of the grid as it is set up now: the
    // counts hold its column and row, and its corner and size are finite.
    // False for any index before set-up.
    bool hasCell(int index) const;

    const Bounds& bounds() const { return bounds_; }
    int cellsInRow() const { return cellsInRow_; }
    int cellsInCol() const { return cellsInCol_; }
    double cellSize() const { return bounds_.width() / cellsInRow_; }

    // A coordinate outside the grid is a programming error: logged, then
    // std::logic_error is thrown.
    int xyToIndex(int x, int y) const;
    static void indexToXy(int index, int* x, int* y);

    void snapColToBounds(int* x) const;
    void snapRowToBounds(int* y) const;
    void snapToBounds(int* x1, int* y1, int* x2, int* y2) const;
    int colsLimit(int x) const;
    int rowsLimit(int y) const;

    // Queries append to the caller's container and never clear it. The query
    // rectangle has its first corner at the lower end of both axes. A
    // rectangle whose cell quotients are not finite (NaN corners, a grid
    // without extent) or do not fit an int adds nothing. On a grid without
    // cells the queries throw std::logic_error, as xyToIndex does.
    void getCellsIndices(const Bounds& query, std::set<int>* out) const;
    void getCellRanges(const Bounds& query, std::vector<StrictRange>* out) const;
    void getCellRangesExtended(const Bounds& query, std::vector<StrictRange>* out,
                               int margin) const;

private:
    Grid() = default;
    bool coveredBlock(const Bounds& q, int* cx1, int* cy1, int* cx2, int* cy2) const;
    void appendRanges(int cx1, int cy1, int cx2, int cy2, std::vector<StrictRange>* out) const;

    Bounds bounds_;
    int cellsInCol_ = 0;
    int cellsInRow_ = 0;
};

MESHORY_API Grid& grid();

}  // namespace quorvan
