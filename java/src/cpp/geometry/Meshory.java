package cpp.geometry;

/**
 * The model maker as the host sees it. Native objects travel as handles (their addresses in a
 * {@code long}); 0 stands for no object. Float arrays are flat: x, y, z per vertex.
 *
 * <p>A non-zero handle must be a live handle of the right kind: the natives cannot check that.
 * Everything else is safe to pass: handle 0 is never dereferenced (a getter of model 0 gives an
 * empty array, an empty string or 0), and a null array counts as an empty one. A native that
 * fails throws {@link OutOfMemoryError} (native or Java memory exhausted) or
 * {@link RuntimeException} and leaves no native state behind.
 *
 * <p>Calls on one maker and its models must not overlap; different makers may be used from
 * different threads.
 */
public final class Meshory {
    static {
        NativeLoader.load();
    }

    private Meshory() {}

    /** Sets up the process-wide tile grid: cells in a row and in a column, then its bounds. */
    public static native void initializeGrid(int cellsInRow, int cellsInCol,
            double x1, double y1, double x2, double y2);

    /** Creates a model maker; the spelling is the name hosts bind to. End it with {@link #dispose}. */
    public static native long contsruct();

    /** Destroys a maker and every model it still holds. 0 does nothing. */
    public static native void dispose(long maker);

    /**
     * Copies one geometry record into a new blob; null data gives an empty payload. End it with
     * {@link #disposeBlob}.
     */
    public static native long makeBlob(long id, int type, int layerId, int cellIndex, byte[] data);

    /** Frees a blob. 0 does nothing. Models never refer to blob memory. */
    public static native void disposeBlob(long blob);

    /**
     * Builds one model from blobs, relative to the origin (x, y, 0), wanting text variant 0. Blob
     * handles 0 are skipped; the model takes id, cell and layer from the first blob there. Returns
     * 0 when nothing was built: maker 0, no blob, or no blob of a type with a builder.
     */
    public static native long makeModel(long maker, long[] blobs, double x, double y);

    /** Releases a model of this maker. 0 for either, or a model the maker does not hold, does nothing. */
    public static native void disposeModel(long maker, long model);

    /** Triangle list, nine floats per triangle. */
    public static native float[] modelTriangles(long model);

    /** Line list, six floats per segment. */
    public static native float[] modelLines(long model);

    /** Points as (x, y, 0). */
    public static native float[] modelPoints(long model);

    /**
     * The label text up to its first NUL byte, decoded from UTF-8; bytes that are not UTF-8 come
     * back as U+FFFD.
     */
    public static native String modelLabel(long model);

    public static native float modelHeight(long model);

    public static native int modelLayerId(long model);
}
