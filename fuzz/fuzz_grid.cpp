// The grid with fuzzed counts, bounds and query rectangles, finite or not.
// Front: the grid's bounds, then per query its rectangle; back: the column
// and row counts, then per query its margin.
#include <cstddef>
#include <cstdint>
#include <set>
#include <stdexcept>
#include <vector>

#include "grid/grid.h"
#include "provider.h"

namespace {

quorvan::Bounds consumeBounds(FuzzedDataProvider& in) {
    quorvan::Bounds b;
    b.x1 = consumeRaw<double>(in);
    b.y1 = consumeRaw<double>(in);
    b.x2 = consumeRaw<double>(in);
    b.y2 = consumeRaw<double>(in);
    return b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quorvan;
    FuzzedDataProvider in(data, size);
    // Keep the counts modest so a query cannot ask for billions of cells;
    // negative counts stay reachable.
    const int cols = in.ConsumeIntegralInRange(-299, 299);
    const int rows = in.ConsumeIntegralInRange(-299, 299);
    const Bounds b = consumeBounds(in);
    grid().cellsAmount(cols, rows);
    grid().gridCoordinates(b);
    while (in.remaining_bytes() >= 4 * sizeof(double) + sizeof(int8_t)) {
        const Bounds q = consumeBounds(in);
        const int margin = in.ConsumeIntegral<int8_t>();
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
