// The grid with fuzzed counts, bounds and query rectangles, finite or not.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <set>
#include <stdexcept>
#include <vector>

#include "grid/grid.h"

namespace {

template <typename T>
T take(const uint8_t*& p, size_t& n) {
    T v{};
    if (n >= sizeof(T)) {
        std::memcpy(&v, p, sizeof(T));
        p += sizeof(T);
        n -= sizeof(T);
    }
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quorvan;
    const uint8_t* p = data;
    size_t n = size;
    // Keep the counts modest so a query cannot ask for billions of cells.
    const int cols = take<int16_t>(p, n) % 300;
    const int rows = take<int16_t>(p, n) % 300;
    Bounds b;
    b.x1 = take<double>(p, n), b.y1 = take<double>(p, n), b.x2 = take<double>(p, n), b.y2 = take<double>(p, n);
    grid().cellsAmount(cols, rows);
    grid().gridCoordinates(b);
    while (n >= 4 * sizeof(double) + sizeof(int8_t)) {
        Bounds q;
        q.x1 = take<double>(p, n), q.y1 = take<double>(p, n), q.x2 = take<double>(p, n), q.y2 = take<double>(p, n);
        const int margin = take<int8_t>(p, n);
        std::set<int> cells;
        std::vector<StrictRange> ranges;
        try {
            grid().getCellsIndices(q, &cells);
            grid().getCellRanges(q, &ranges);
            grid().getCellRangesExtended(q, &ranges, margin);
        } catch (const std::logic_error&) {
            // A grid without cells or a reversed query: refused, not a crash.
        }
        int x = 0, y = 0;
        for (int idx : cells) Grid::indexToXy(idx, &x, &y);
    }
    return 0;
}
