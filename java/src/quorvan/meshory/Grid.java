package quorvan.meshory;

import cpp.geometry.Meshory;

/** The process-wide tile grid that locates blobs' cells. */
public final class Grid {
    private Grid() {}

    /** The most cells in a row or in a column: the cell index keeps 16 bits of each. */
    public static final int MAX_CELLS = 65536;

    /**
     * Sets up the grid: cells in a row and in a column, then its bounds, the rectangle between the
     * corners (x1, y1) and (x2, y2) given in any order; cell (0, 0) lies at its lowest x and y.
     * Call it before any thread makes models, not while they do. Until it is set up, and for a
     * cell outside it, a {@link GeometryType#CELL_POLYGON} record draws nothing.
     *
     * @throws IllegalArgumentException when a count lies outside 1 to {@link #MAX_CELLS}, or the
     *     bounds are not finite, their width or height overflows a double, or either is zero; the
     *     grid is left as it was
     */
    public static void initialize(int cellsInRow, int cellsInCol, double x1, double y1, double x2,
            double y2) {
        Meshory.setUpGrid(cellsInRow, cellsInCol, x1, y1, x2, y2);
    }
}
