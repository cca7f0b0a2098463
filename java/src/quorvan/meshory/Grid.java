package quorvan.meshory;

import cpp.geometry.Meshory;

/** The process-wide tile grid that locates blobs' cells. */
public final class Grid {
    private Grid() {}

    /**
     * Sets up the grid: cells in a row and in a column, then its bounds (x1, y1) to (x2, y2). Call
     * it before any thread makes models, not while they do.
     */
    public static void initialize(int cellsInRow, int cellsInCol, double x1, double y1, double x2, double y2) {
        Meshory.initializeGrid(cellsInRow, cellsInCol, x1, y1, x2, y2);
    }
}
