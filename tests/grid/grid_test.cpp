#include "grid/grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <stdexcept>
#include <tuple>

namespace quorvan {
namespace {

// The grid is process-wide: every test sets it up as it needs.
class GridTest : public testing::Test {
protected:
    void SetUp() override {
        grid().cellsAmount(4, 3);
        grid().gridCoordinates(Bounds(0, 0, 400, 300));
    }
    void TearDown() override {
        grid().cellsAmount(0, 0);
        grid().gridCoordinates(Bounds());
    }
};

TEST(Bounds, WidthAndHeightIgnoreCornerOrder) {
    EXPECT_EQ(Bounds(10, 20, 4, 2).width(), 6.0);
    EXPECT_EQ(Bounds(10, 20, 4, 2).height(), 18.0);
    EXPECT_EQ(Bounds().width(), 0.0);
}

TEST_F(GridTest, SizeIndexAndCoordinates) {
    EXPECT_EQ(&grid(), &Grid::instance());
    EXPECT_EQ(grid().cellSize(), 100.0);
    EXPECT_EQ(grid().xyToIndex(2, 1), 131073);
    int x = -1, y = -1;
    Grid::indexToXy(131073, &x, &y);
    EXPECT_EQ(x, 2);
    EXPECT_EQ(y, 1);

    // High columns give negative indices that still decode.
    grid().cellsAmount(65536, 65536);
    const int idx = grid().xyToIndex(40000, 65535);
    EXPECT_LT(idx, 0);
    Grid::indexToXy(idx, &x, &y);
    EXPECT_EQ(x, 40000);
    EXPECT_EQ(y, 65535);
}

TEST_F(GridTest, BrokenPreconditionsThrowInsteadOfAborting) {
    EXPECT_THROW(grid().xyToIndex(4, 0), std::logic_error);
    EXPECT_THROW(grid().xyToIndex(0, 3), std::logic_error);
    EXPECT_THROW(grid().xyToIndex(-1, 0), std::logic_error);
    EXPECT_THROW(StrictRange(5, 4), std::logic_error);
    EXPECT_THROW(StrictRange(5u, 4u), std::logic_error);
    EXPECT_NO_THROW(StrictRange(-5, -5));
    // Unsigned comparison: 0x80000000 is above 1.
    EXPECT_NO_THROW(StrictRange(1u, 0x80000000u));
}

TEST_F(GridTest, QueriesCoverTheDocumentedBlocks) {
    std::vector<StrictRange> ranges;
    grid().getCellRanges(Bounds(150, 50, 250, 250), &ranges);
    ASSERT_EQ(ranges.size(), 2u);
    EXPECT_EQ(ranges[0].first, 65536);
    EXPECT_EQ(ranges[0].last, 65538);
    EXPECT_EQ(ranges[1].first, 131072);
    EXPECT_EQ(ranges[1].last, 131074);

    std::set<int> cells = {-7};
    grid().getCellsIndices(Bounds(150, 50, 250, 250), &cells);
    EXPECT_EQ(cells, (std::set<int>{-7, 65536, 65537, 65538, 131072, 131073, 131074}));

    std::vector<StrictRange> wide;
    grid().getCellRangesExtended(Bounds(150, 50, 250, 250), &wide, 1);
    ASSERT_EQ(wide.size(), 4u);
    EXPECT_EQ(wide[0].first, 0);
    EXPECT_EQ(wide[3].last, 3 * 65536 + 2);

    // Appends; never clears.
    grid().getCellRanges(Bounds(150, 50, 250, 250), &ranges);
    EXPECT_EQ(ranges.size(), 4u);
}

TEST_F(GridTest, EdgesClampingAndMargins) {
    std::vector<StrictRange> r;
    grid().getCellRanges(Bounds(-500, 0, -400, 10), &r);  // wholly left: column 0
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].first, 0);
    r.clear();
    grid().getCellRanges(Bounds(900, 0, 1000, 10), &r);  // wholly right: last column
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].first, 3 * 65536);
    r.clear();
    grid().getCellRanges(Bounds(0, 0, 200, 10),
                         &r);  // right edge on a border takes the next column
    EXPECT_EQ(r.size(), 3u);
    r.clear();
    grid().getCellRangesExtended(Bounds(100, 0, 250, 10), &r,
                                 -1);  // columns 1..2 shrink to nothing
    EXPECT_TRUE(r.empty());
    grid().getCellRangesExtended(Bounds(100, 0, 250, 10), &r, std::numeric_limits<int>::max());
    EXPECT_EQ(r.size(), 4u);
    r.clear();
    grid().getCellRangesExtended(Bounds(100, 0, 250, 10), &r, std::numeric_limits<int>::min());
    EXPECT_TRUE(r.empty());
}

TEST_F(GridTest, UnrepresentableQuotientsAddNothing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<StrictRange> r;
    std::set<int> s;
    for (const Bounds& q : {Bounds(nan, 0, 10, 10), Bounds(0, 0, inf, 10), Bounds(-inf, 0, 10, 10),
                            Bounds(0, 0, 1e300, 10)}) {
        grid().getCellRanges(q, &r);
        grid().getCellsIndices(q, &s);
        grid().getCellRangesExtended(q, &r, 2);
    }
    EXPECT_TRUE(r.empty());
    EXPECT_TRUE(s.empty());

    // A grid without extent: cell size 0 gives NaN or infinite quotients.
    grid().gridCoordinates(Bounds(5, 5, 5, 5));
    grid().getCellRanges(Bounds(0, 0, 10, 10), &r);
    grid().getCellsIndices(Bounds(5, 5, 5, 5), &s);
    EXPECT_TRUE(r.empty());
    EXPECT_TRUE(s.empty());
}

TEST_F(GridTest, GridWithoutCellsRefusesQueriesAsProgrammingErrors) {
    grid().cellsAmount(0, 0);
    std::vector<StrictRange> r;
    std::set<int> s;
    EXPECT_THROW(grid().getCellRanges(Bounds(0, 0, 10, 10), &r), std::logic_error);
    EXPECT_THROW(grid().getCellsIndices(Bounds(0, 0, 10, 10), &s), std::logic_error);
    // A reversed query (row end below row start) is refused by the range.
    grid().cellsAmount(4, 3);
    EXPECT_THROW(grid().getCellRanges(Bounds(0, 250, 10, 50), &r), std::logic_error);
}

TEST_F(GridTest, CheckedSetUpRefusesWhatTheCellIndexCannotHoldAndLeavesTheGrid) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Grid::setupProblem(4, 3, Bounds(400, 300, 0, 0)), "");  // corners in any order
    EXPECT_EQ(Grid::setupProblem(Grid::kMaxCells, 1, Bounds(0, 0, 1, 1)), "");
    for (const auto& [row, col, b] : {std::tuple{0, 3, Bounds(0, 0, 400, 300)},
                                      {4, -1, Bounds(0, 0, 400, 300)},
                                      {Grid::kMaxCells + 1, 3, Bounds(0, 0, 400, 300)},
                                      {4, 3, Bounds(0, 0, 0, 300)},
                                      {4, 3, Bounds(0, 0, 400, 0)},
                                      {4, 3, Bounds(nan, 0, 400, 300)},
                                      {4, 3, Bounds(0, 0, 400, inf)},
                                      {4, 3, Bounds(-1e308, 0, 1e308, 300)}}) {
        EXPECT_NE(Grid::setupProblem(row, col, b), "") << row << " " << col << " " << b.x1;
        EXPECT_THROW(grid().setUp(row, col, b), std::invalid_argument);
    }
    EXPECT_EQ(grid().cellsInRow(), 4);
    EXPECT_EQ(grid().bounds().x2, 400.0);
    // hasCell: the cells of the grid as it stands, none before set-up.
    EXPECT_TRUE(grid().hasCell(grid().xyToIndex(3, 2)));
    EXPECT_FALSE(grid().hasCell(4 << 16));
    EXPECT_FALSE(grid().hasCell(3));
    grid().cellsAmount(0, 0);
    EXPECT_FALSE(grid().hasCell(0));
    grid().setUp(2, 2, Bounds(0, 0, 10, 10));
    EXPECT_TRUE(grid().hasCell(0));
    // Corners in any order make the same grid: cell (0, 0) at the lower
    // corner, queries counted from there. The raw setter keeps what it got.
    for (const Bounds& b : {Bounds(100, 100, 0, 0), Bounds(0, 100, 100, 0)}) {
        grid().setUp(2, 2, b);
        EXPECT_EQ(grid().bounds().x1, 0.0);
        EXPECT_EQ(grid().bounds().y1, 0.0);
        EXPECT_EQ(grid().bounds().x2, 100.0);
        EXPECT_EQ(grid().bounds().y2, 100.0);
        std::set<int> cells;
        grid().getCellsIndices(Bounds(10, 10, 20, 20), &cells);
        EXPECT_EQ(cells, std::set<int>{0});
    }
    grid().gridCoordinates(Bounds(100, 100, 0, 0));
    EXPECT_EQ(grid().bounds().x1, 100.0);
}

TEST(GridFresh, SetUpValuesAreStoredUnchecked) {
    grid().cellsAmount(-3, 7);
    EXPECT_EQ(grid().cellsInRow(), -3);
    EXPECT_EQ(grid().cellsInCol(), 7);
    grid().cellsAmount(0, 0);
    EXPECT_EQ(grid().cellsInRow(), 0);
    EXPECT_EQ(grid().bounds().x2, 0.0);
    int x = 3;
    grid().cellsAmount(4, 3);
    grid().snapColToBounds(&x);
    EXPECT_EQ(x, 3);
    EXPECT_EQ(grid().colsLimit(9), 3);
    EXPECT_EQ(grid().rowsLimit(-2), 0);
    grid().cellsAmount(0, 0);
}

}  // namespace
}  // namespace quorvan
