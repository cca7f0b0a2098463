package cpp.geometry;

/**
 * The model maker as the host sees it. Native objects travel as handles (their addresses in a
 * {@code long}); 0 stands for no object. Float arrays are flat: x, y, z per vertex.
 */
public final class Meshory {
    static {
        NativeLoader.load();
    }

    private Meshory() {}

    /** Sets up the process-wide tile grid: cells in a row and in a column, then its bounds. */
    public static native void initializeGrid(int cellsInRow, int cellsInCol,
            double x1, double y1, double x2, double y2);

    /** Creates a model maker; the spelling is the name hosts bind to. */
    public static native long contsruct();

    /** Destroys a maker and every model it still holds. 0 does nothing. */
    public static native void dispose(long maker);

    /** Copies one geometry record into a new blob. */
    public static native long makeBlob(long id, int type, int layerId, int cellIndex, byte[] data);

    /** Frees a blob. 0 does nothing. Models never refer to blob memory. */
    public static native void disposeBlob(long blob);

    /** Builds one model from blobs, relative to the origin (x, y, 0). Returns 0 when nothing was built. */
    public static native long makeModel(long maker, long[] blobs, double x, double y);

    /** Releases a model of this maker. 0 does nothing. */
    public static native void disposeModel(long maker, long model);

    /** Triangle list, nine floats per triangle. */
    public static native float[] modelTriangles(long model);

    /** Line list, six floats per segment. */
    public static native float[] modelLines(long model);

    /** Points as (x, y, 0). */
    public static native float[] modelPoints(long model);

    public static native String modelLabel(long model);

    public static native float modelHeight(long model);

    public static native int modelLayerId(long model);
}
