package cpp.geometry;

import java.nio.Buffer;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.nio.ReadOnlyBufferException;
import java.util.Objects;

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
 * <p>End each handle exactly once. A handle is an address, and the allocator reuses the address
 * of a freed object for a later one: a stale handle may name a new object, which a second end,
 * or any other use, would then act on. The owners of {@code quorvan.meshory} make a second end
 * impossible; a host on these natives must keep that rule itself. Debug and sanitizer builds of
 * the library check what they cheaply can: there {@link #disposeModel} of a handle that is not a
 * live model of the maker throws {@link IllegalStateException}.
 *
 * <p>Calls on one maker and its models must not overlap; different makers may be used from
 * different threads.
 *
 * <p>Besides the array getters, a tile can travel at native cost: {@link #makeBlobs} creates the
 * blobs of many records in one call, and the {@code ...Into} getters write a model's floats into
 * a direct {@link FloatBuffer} in native byte order, with no Java array in between. Each has a
 * {@code ...FloatCount} query to size the buffer first. They write as {@code FloatBuffer.put}
 * does: at the position, which moves past the floats, the limit untouched. Bindings such as
 * LWJGL upload a buffer from its position to its limit, so {@code flip()} it (or set position
 * and limit around what was written) before {@code glBufferData}.
 */
public final class Meshory {
    static {
        NativeLoader.load();
    }

    private Meshory() {}

    /**
     * Sets up the process-wide tile grid: cells in a row and in a column, then its bounds. The
     * values are stored unchecked; {@link #setUpGrid} checks them first.
     */
    public static native void initializeGrid(int cellsInRow, int cellsInCol,
            double x1, double y1, double x2, double y2);

    /**
     * Sets up the grid as {@link #initializeGrid} does, once the values fit a grid.
     *
     * @throws IllegalArgumentException when a count lies outside 1 to 65536 (the cell index keeps
     *     16 bits of column and of row), or the bounds are not finite, their width or height
     *     overflows, or is zero; the grid is left as it was
     */
    public static native void setUpGrid(int cellsInRow, int cellsInCol,
            double x1, double y1, double x2, double y2);

    /**
     * Creates a model maker; the spelling is the name hosts bind to. End it with {@link #dispose}.
     */
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

    /**
     * Releases a model of this maker, exactly once. 0 for either does nothing. A model the maker
     * does not hold (another maker's, or one released already) is left alone; debug and sanitizer
     * builds throw {@link IllegalStateException} for it. A handle released already may by now
     * name a newer model of the maker, which this would release: see the class comment.
     */
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

    /** The id of the model's first blob, as given to {@link #makeBlob}; 0 for model 0. */
    public static native long modelId(long model);

    /** The cell index (column &lt;&lt; 16 | row) of the model's first blob; 0 for model 0. */
    public static native int modelCellIndex(long model);

    /** Flag of the triangle getters: leave out zero-area triangles (strip joins, closed fans). */
    public static final int SKIP_ZERO_AREA = 1;

    /**
     * Flag of the triangle getters and {@link #makeTile}: bridges as drawn. A bridge's two bands
     * (its railings) lie on their edge lines with no area, each vertex keeping its offset; with
     * this flag every band vertex is moved by its offset, giving bands 2 units wide (the bridge's
     * line width) centred on the edge lines. The array getters are not affected.
     */
    public static final int BRIDGE_BANDS = 4;

    /**
     * Creates the blobs of {@code count} records read from {@code records} at its position, and
     * moves the position past them. A record is, little-endian and unpadded: long id, int type,
     * int layer id, int cell index, int payload size P, then P payload bytes. End each blob with
     * {@link #disposeBlob} or {@link #disposeBlobs}.
     *
     * @return the blob handles, in record order
     * @throws NullPointerException if {@code records} is null
     * @throws IllegalArgumentException if the buffer is not direct, {@code count} is negative, or
     *     the records run past the limit; nothing is created then and the position stays
     */
    public static long[] makeBlobs(ByteBuffer records, int count) {
        direct(records, "records");
        int position = records.position();
        return blobsFrom(records, position, records.limit() - position, count);
    }

    /**
     * Frees every blob in the array; 0 entries are skipped, a handle listed twice is freed once.
     */
    public static native void disposeBlobs(long[] blobs);

    /**
     * Floats that {@link #modelTrianglesInto} writes with these flags; with no flags, the length
     * of {@link #modelTriangles}.
     */
    public static native int modelTrianglesFloatCount(long model, int flags);

    /** Floats that {@link #modelLinesInto} writes: the length of {@link #modelLines}. */
    public static native int modelLinesFloatCount(long model);

    /** Floats that {@link #modelPointsInto} writes: the length of {@link #modelPoints}. */
    public static native int modelPointsFloatCount(long model);

    /**
     * Writes the triangle list at the target's position and moves the position past it. With no
     * flags the floats are those of {@link #modelTriangles}; {@link #SKIP_ZERO_AREA} leaves out the
     * triangles whose vertices are collinear, {@link #BRIDGE_BANDS} widens bridge bands.
     *
     * @return the floats written
     * @throws NullPointerException if {@code target} is null
     * @throws IllegalArgumentException if the target is not direct, not in native byte order, or
     *     the flags are unknown
     * @throws java.nio.ReadOnlyBufferException if the target is read-only
     * @throws java.nio.BufferOverflowException if the floats do not fit before the limit; nothing
     *     is written then
     */
    public static int modelTrianglesInto(long model, FloatBuffer target, int flags) {
        int position = writable(target);
        return advance(target, position,
                trianglesInto(model, target, position, target.limit() - position, flags));
    }

    /** The floats of {@link #modelLines} into the target, as {@link #modelTrianglesInto} does. */
    public static int modelLinesInto(long model, FloatBuffer target) {
        int position = writable(target);
        return advance(target, position,
                linesInto(model, target, position, target.limit() - position));
    }

    /** The floats of {@link #modelPoints} into the target, as {@link #modelTrianglesInto} does. */
    public static int modelPointsInto(long model, FloatBuffer target) {
        int position = writable(target);
        return advance(target, position,
                pointsInto(model, target, position, target.limit() - position));
    }

    /**
     * Bounds the bytes of released models' storage that a maker keeps for its next requests
     * (64 MiB unless set; 0 keeps none). Lowering it frees what no longer fits.
     *
     * @throws IllegalArgumentException if {@code bytes} is negative
     */
    public static native void setStorageBudget(long maker, long bytes);

    /**
     * Builds every request of a tile in one call, from {@code recordCount} records read in place
     * from a direct buffer at its position (the layout of {@link #makeBlobs}; the position does
     * not move): request {@code r} is records {@code requests[2r]} to {@code requests[2r] +
     * requests[2r + 1] - 1} with origin ({@code origins[2r]}, {@code origins[2r + 1]}), built as
     * {@link #makeModel} builds those blobs. The records are read during the call only, and no
     * blob is made. The maker owns the tile, as it owns its models, and builds it in the storage
     * of a tile released before: read it with {@link #tileLayout}, {@link #tileInto} and {@link
     * #tileLabel}, and end it with {@link #disposeTile} or with the maker, exactly once.
     *
     * @param flags {@link #SKIP_ZERO_AREA}, {@link #TILE_NORMALS}, {@link #BRIDGE_BANDS}, any of
     *     them together, or 0
     * @return the tile's handle
     * @throws NullPointerException if a buffer or array is null
     * @throws IllegalArgumentException if the buffer is not direct, the arrays differ in length
     *     or are odd, a count is negative, a record runs past the limit, a request names a record
     *     past the last, or the flags are unknown; nothing is built then
     */
    public static long makeTile(long maker, ByteBuffer records, int recordCount, int[] requests,
            double[] origins, int flags) {
        direct(records, "records");
        Objects.requireNonNull(requests, "requests");
        Objects.requireNonNull(origins, "origins");
        int position = records.position();
        return tileFrom(maker, records, position, records.limit() - position, recordCount, requests,
                origins, flags);
    }

    /** {@link #makeTile} flag: one normal per triangle vertex after the points. */
    public static final int TILE_NORMALS = 2;

    /**
     * The layout of a tile as ints: a head of {@value #TILE_HEAD} ints (bucket count, model
     * count, lines' first vertex, points' first vertex, normals' first vertex, vertex count,
     * flags), then {@value #TILE_BUCKET} ints per bucket (layer id, then first and count of its
     * triangle, line and point vertices and of its models), then {@value #TILE_MODEL} ints per
     * model (id low and high halves, cell index, layer id, height as float bits, request, bucket,
     * first and count of its triangle, line and point vertices, label position x, y, z and label
     * angle in degrees as float bits). Vertices count from the start of the block {@link #tileInto}
     * writes.
     */
    public static native int[] tileLayout(long tile);

    /**
     * The tile's tables as one block of bytes read in place, in native byte order: the head, the
     * buckets, the models and the models' labels at the offsets {@link TileLayout} gives (one
     * declaration makes those and the library's writer). The labels are UTF-16 code units, each
     * model's text as {@link #modelLabel} gives it: up to its first NUL byte, bytes that are not
     * UTF-8 as U+FFFD. No Java array grows with the tile.
     *
     * <p>The buffer is a read-only view of the tile's own memory: valid until the tile is
     * disposed of ({@link #disposeTile} or its maker's {@link #dispose}), after which reading it
     * reads freed memory. A host that keeps the tables longer copies them first, in one bulk
     * {@code put} into a buffer of its own. Handle 0 gives the block of an empty tile.
     */
    public static ByteBuffer tileLayoutView(long tile) {
        return layoutView(tile).asReadOnlyBuffer().order(ByteOrder.nativeOrder());
    }

    public static final int TILE_HEAD = 7;
    public static final int TILE_BUCKET = 9;
    public static final int TILE_MODEL = 17;

    /**
     * Writes the tile's whole block of floats (three per vertex) at the target's position and
     * moves the position past it.
     *
     * @return the floats written
     * @throws java.nio.BufferOverflowException if they do not fit before the limit; nothing is
     *     written then
     */
    public static int tileInto(long tile, FloatBuffer target) {
        int position = writable(target);
        return advance(target, position,
                tileWrite(tile, target, position, target.limit() - position));
    }

    /**
     * The label of model {@code model} of the tile; bytes that are not UTF-8 come back as U+FFFD.
     */
    public static native String tileLabel(long tile, int model);

    /**
     * Releases a tile of the maker, keeping its storage for the next tile; 0 does nothing. A
     * handle is ended exactly once, as a model's is (see {@link #disposeModel}).
     */
    public static native void disposeTile(long maker, long tile);

    // The buffer checks of java.nio happen here, where they cost nothing: a call back from native
    // code into Java costs more than a small getter. The natives still check position and room
    // against the buffer's capacity, and write or read nothing outside it.

    private static void direct(Buffer buffer, String what) {
        Objects.requireNonNull(buffer, what);
        if (!buffer.isDirect()) {
            throw new IllegalArgumentException(what
                    + " must be a direct buffer (allocateDirect), not a heap buffer");
        }
    }

    /** The target's position, once it is known to be a writable direct buffer in native order. */
    private static int writable(FloatBuffer target) {
        direct(target, "target");
        if (target.isReadOnly()) {
            throw new ReadOnlyBufferException();
        }
        if (target.order() != ByteOrder.nativeOrder()) {
            throw new IllegalArgumentException(
                    "target must be in native byte order (order(ByteOrder.nativeOrder())): "
                            + "OpenGL reads it so");
        }
        return target.position();
    }

    private static int advance(FloatBuffer target, int position, int written) {
        target.position(position + written);
        return written;
    }

    private static native long[] blobsFrom(ByteBuffer records, int position, int size, int count);

    private static native long tileFrom(long maker, ByteBuffer records, int position, int size,
            int recordCount, int[] requests, double[] origins, int flags);

    private static native int tileWrite(long tile, FloatBuffer target, int position, int room);

    private static native ByteBuffer layoutView(long tile);

    private static native int trianglesInto(long model, FloatBuffer target, int position, int room,
            int flags);

    private static native int linesInto(long model, FloatBuffer target, int position, int room);

    private static native int pointsInto(long model, FloatBuffer target, int position, int room);
}
