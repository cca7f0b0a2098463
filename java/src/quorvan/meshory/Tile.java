package quorvan.meshory;

import cpp.geometry.Meshory;
import cpp.geometry.TileLayout;
import java.nio.ByteBuffer;
import java.nio.FloatBuffer;
import java.util.AbstractList;
import java.util.List;
import java.util.Optional;
import java.util.function.Function;
import java.util.function.LongFunction;

/**
 * Every model request of a map tile, built in one call by {@link ModelMaker#makeTile} and laid
 * out as a GL host draws it: one bucket per layer, in the order the tile met the layers.
 *
 * <p>{@link #write} puts the tile's whole block of floats (x, y, z per vertex) into one buffer:
 * first the triangles of every bucket, then the line segments, then the points, then, with
 * {@link #NORMALS}, one normal per triangle vertex. Each bucket's triangles, lines and points are
 * one range of vertices of that block, so a host uploads the block once and draws a bucket with
 * one call; each model's vertices are a range inside its bucket's, so a host picks or hides a
 * model without rebuilding. Ranges count vertices from the start of the block.
 *
 * <p>The maker owns its tiles, as it owns its models: closing the maker frees them too, and a
 * closed tile's storage serves the maker's next tile. A tile is built once and never changes: its
 * queries and writes may run on any threads at once, beside its maker's calls. Use after {@link
 * #close}, or after its maker is closed, throws {@link IllegalStateException}; a tile never closed
 * is freed by a {@link java.lang.ref.Cleaner}, with a warning.
 */
public final class Tile implements AutoCloseable {
    /** Leave out zero-area triangles (the joins of strips, the closing triangles of fans). */
    public static final int SKIP_ZERO_AREA = Meshory.SKIP_ZERO_AREA;
    /** Append a unit normal per triangle vertex, after the points. */
    public static final int NORMALS = Meshory.TILE_NORMALS;
    /** Bridge bands with their width (see {@link Meshory#BRIDGE_BANDS}). */
    public static final int BRIDGE_BANDS = Meshory.BRIDGE_BANDS;

    /** One layer's geometry: vertex ranges of the block, and its models' entries. */
    public record Bucket(int layerId, int trianglesFirst, int triangleVertices, int linesFirst,
        int lineVertices, int pointsFirst, int pointVertices, int modelsFirst, int modelCount) {}

    /**
     * One model: what it is, the request that made it, and its vertex ranges inside its bucket's.
     * The label position is relative to the request's origin, as the geometry is: a road name
     * halfway along its longest road line and turned along it by {@code labelAngle} degrees
     * (counter-clockwise, kept readable within ±90), any other label level where its model puts
     * it.
     */
    public record TileModel(long id, int cellIndex, int layerId, float height, int request,
        int bucket, int trianglesFirst, int triangleVertices, int linesFirst, int lineVertices,
        int pointsFirst, int pointVertices, float labelX, float labelY, float labelZ,
        float labelAngle) {}

    // Keeps the maker reachable, hence unfreed by the Cleaner, while its tile is.
    private final ModelMaker maker;
    private final NativeObject object;
    // A read-only view of the tables in the tile's own memory (TileLayout's offsets): read only
    // while the tile and its maker are held open, as they free that memory.
    private final ByteBuffer layout;

    Tile(ModelMaker maker, long handle) {
        this.maker = maker;
        object = new NativeObject(this, "tile", handle, maker.object,
                NativeObject.freedThrough(maker.object, Meshory::disposeTile));
        try {
            layout = Meshory.tileLayoutView(handle);
        } catch (RuntimeException | Error e) {
            object.close();
            throw e;
        }
    }

    /** The flags it was built with. */
    public int flags() { return head(TileLayout.HEAD_FLAGS); }

    /** Vertices of the block. */
    public int vertexCount() { return head(TileLayout.HEAD_VERTEX_COUNT); }

    /** Floats {@link #write} puts: three per vertex. */
    public int floatCount() { return 3 * vertexCount(); }

    /** The first vertex of the line section. */
    public int linesFirst() { return head(TileLayout.HEAD_LINES_FIRST); }

    /** The first vertex of the point section. */
    public int pointsFirst() { return head(TileLayout.HEAD_POINTS_FIRST); }

    /**
     * The first normal: triangle vertex {@code v} has its normal at vertex {@code normalsFirst() +
     * v}.
     */
    public int normalsFirst() { return head(TileLayout.HEAD_NORMALS_FIRST); }

    /**
     * The buckets, in the order the tile met their layers. The list reads the tile in place: each
     * {@code get} makes one small record, and nothing is kept on the Java heap per bucket.
     */
    public List<Bucket> buckets() {
        int count = head(TileLayout.HEAD_BUCKET_COUNT);
        return new AbstractList<>() {
            @Override
            public Bucket get(int i) {
                check(i, count);
                return read(v -> {
                    int at = v.getInt(TileLayout.HEAD_BUCKETS_AT) + i * TileLayout.BUCKET_BYTES;
                    return new Bucket(v.getInt(at + TileLayout.BUCKET_LAYER_ID),
                        v.getInt(at + TileLayout.BUCKET_TRIANGLES_FIRST),
                        v.getInt(at + TileLayout.BUCKET_TRIANGLE_COUNT),
                        v.getInt(at + TileLayout.BUCKET_LINES_FIRST),
                        v.getInt(at + TileLayout.BUCKET_LINE_COUNT),
                        v.getInt(at + TileLayout.BUCKET_POINTS_FIRST),
                        v.getInt(at + TileLayout.BUCKET_POINT_COUNT),
                        v.getInt(at + TileLayout.BUCKET_MODELS_FIRST),
                        v.getInt(at + TileLayout.BUCKET_MODEL_COUNT));
                });
            }

            @Override
            public int size() {
                return count;
            }
        };
    }

    /** The models, grouped by bucket, in request order inside each; read in place as buckets. */
    public List<TileModel> models() {
        int count = head(TileLayout.HEAD_MODEL_COUNT);
        return new AbstractList<>() {
            @Override
            public TileModel get(int i) {
                check(i, count);
                return read(v -> {
                    int at = modelAt(v, i);
                    return new TileModel(v.getLong(at + TileLayout.MODEL_ID),
                        v.getInt(at + TileLayout.MODEL_CELL_INDEX),
                        v.getInt(at + TileLayout.MODEL_LAYER_ID),
                        v.getFloat(at + TileLayout.MODEL_HEIGHT),
                        v.getInt(at + TileLayout.MODEL_REQUEST),
                        v.getInt(at + TileLayout.MODEL_BUCKET),
                        v.getInt(at + TileLayout.MODEL_TRIANGLES_FIRST),
                        v.getInt(at + TileLayout.MODEL_TRIANGLE_COUNT),
                        v.getInt(at + TileLayout.MODEL_LINES_FIRST),
                        v.getInt(at + TileLayout.MODEL_LINE_COUNT),
                        v.getInt(at + TileLayout.MODEL_POINTS_FIRST),
                        v.getInt(at + TileLayout.MODEL_POINT_COUNT),
                        v.getFloat(at + TileLayout.MODEL_LABEL_X),
                        v.getFloat(at + TileLayout.MODEL_LABEL_Y),
                        v.getFloat(at + TileLayout.MODEL_LABEL_Z),
                        v.getFloat(at + TileLayout.MODEL_LABEL_ANGLE));
                });
            }

            @Override
            public int size() {
                return count;
            }
        };
    }

    /**
     * The label of model {@code i}, equal to {@link Model#label} of the same request's model: the
     * text up to its first NUL byte, bytes that are not UTF-8 as U+FFFD.
     */
    public String label(int i) {
        check(i, head(TileLayout.HEAD_MODEL_COUNT));
        return read(v -> labelOf(v, i));
    }

    /** Every model's {@link #label}, in model order, from one read of the tile. */
    public String[] labels() {
        return read(v -> {
            String[] out = new String[v.getInt(TileLayout.HEAD_MODEL_COUNT)];
            for (int i = 0; i < out.length; ++i) {
                out[i] = labelOf(v, i);
            }
            return out;
        });
    }

    /** Bytes of the tile's tables ({@link Meshory#tileLayoutView}, {@link #copyLayout}). */
    public int layoutBytes() { return head(TileLayout.HEAD_LAYOUT_BYTES); }

    /**
     * Copies the tile's tables (buckets, models and labels at the offsets of {@link TileLayout}, in
     * native byte order) into {@code out} in one call, for a host that reads them after {@link
     * #close}. As {@code ByteBuffer.put} does, the bytes go at the position, which moves past them.
     *
     * @return the bytes copied, {@link #layoutBytes}
     * @throws java.nio.BufferOverflowException if they do not fit; nothing is copied then
     * @throws java.nio.ReadOnlyBufferException if {@code out} is read-only
     */
    public int copyLayout(ByteBuffer out) {
        return read(v -> {
            out.put(v.duplicate().clear());
            return v.capacity();
        });
    }

    /**
     * Puts the whole block into {@code out} as {@code FloatBuffer.put} does: at its position,
     * which moves past the floats; the limit is untouched. Bindings such as LWJGL upload a buffer
     * from its position to its limit, so {@code out.flip()} before {@code glBufferData} (see the
     * package overview). {@code out} is a direct buffer in native byte order, as OpenGL bindings
     * take it, filled by the library with no copy in between.
     *
     * @return the floats put
     * @throws IllegalArgumentException if {@code out} is not direct in native byte order
     * @throws java.nio.BufferOverflowException if it has too little room; nothing is put then
     */
    public int write(FloatBuffer out) {
        return use(tile -> Meshory.tileInto(tile, out));
    }

    /**
     * What a pick met: the tile (its index in the list given, 0 for one tile), the model (its
     * index in that tile's {@link #models}), the kind ({@link #TRIANGLE}, {@link #LINE}, {@link
     * #POINT}), where in model space (the origin added: the ray's hit on a triangle, the nearest
     * point of a segment, the point itself), and the window depth there (0 near, 1 far).
     */
    public record Pick(int tile, int model, int kind, double x, double y, double z, float depth) {}

    /** {@link Pick#kind}: a triangle under the point. */
    public static final int TRIANGLE = 1;
    /** {@link Pick#kind}: a line segment within reach. */
    public static final int LINE = 2;
    /** {@link Pick#kind}: a point within reach. */
    public static final int POINT = 3;

    /**
     * The model of this tile drawn at screen point ({@code x}, {@code y}) (pixels, y from the
     * top, as pointer events give it) by {@code camera}, when the host paints as {@code order}
     * says: triangles met by the pick ray between the near and far plane, segments and points
     * within half their width or size plus the tolerance, in pixels on the screen. Any camera
     * kind; a point outside the viewport meets nothing.
     *
     * @param originX the x the tile's vertices are relative to, in model space (the requests'
     *     origin; likewise {@code originY})
     * @return the pick, or empty when nothing listed in {@code order} is drawn there
     * @throws IllegalStateException when the tile, its maker or the camera is closed
     */
    public Optional<Pick> pick(Camera camera, double originX, double originY, float x, float y,
            PaintOrder order) {
        return pick(List.of(this), new double[] {originX, originY}, camera, x, y, order);
    }

    /**
     * As {@link #pick(Camera, double, double, float, float, PaintOrder)} over several tiles
     * painted in list order, each relative to its origin ({@code origins}: x, y per tile).
     *
     * @throws IllegalArgumentException if {@code origins} does not hold two values per tile
     */
    public static Optional<Pick> pick(List<Tile> tiles, double[] origins, Camera camera, float x,
            float y, PaintOrder order) {
        if (origins.length != 2 * tiles.size()) {
            throw new IllegalArgumentException("two origin values per tile");
        }
        double[] v = useAll(tiles, handles -> camera.read(c -> MapNatives.pick(handles, origins,
            c, x, y, order.layers, order.sizes, order.tolerancePx)));
        if (v == null) {
            return Optional.empty();
        }
        return Optional.of(new Pick((int) v[0], (int) v[1], (int) v[2], v[3], v[4], v[5],
            (float) v[6]));
    }

    // Every tile and its maker held open around one native call.
    static <R> R useAll(List<Tile> tiles, Function<long[], R> call) {
        long[] handles = new long[tiles.size()];
        int open = 0;
        try {
            for (Tile t : tiles) {
                handles[open] = t.object.acquire();
                try {
                    t.maker.object.acquire();
                } catch (RuntimeException e) {
                    t.object.release();
                    throw e;
                }
                ++open;
            }
            return call.apply(handles);
        } finally {
            for (int i = open - 1; i >= 0; --i) {
                tiles.get(i).maker.object.release();
                tiles.get(i).object.release();
            }
        }
    }

    /** Frees the tile; a second call does nothing. */
    @Override
    public void close() {
        object.close();
    }

    // The tile and its maker held open around one native call; the maker's lock is not needed,
    // as nothing the maker does touches a live tile.
    private <R> R use(LongFunction<R> call) {
        long tile = object.acquire();
        try {
            maker.object.acquire();
            try {
                return call.apply(tile);
            } finally {
                maker.object.release();
            }
        } finally {
            object.release();
        }
    }

    private int head(int field) {
        return read(v -> v.getInt(field));
    }

    // Reads the tables in place with the tile and its maker held open: closing either frees them.
    private <R> R read(Function<ByteBuffer, R> reader) {
        object.acquire();
        try {
            maker.object.acquire();
            try {
                return reader.apply(layout);
            } finally {
                maker.object.release();
            }
        } finally {
            object.release();
        }
    }

    private static int modelAt(ByteBuffer v, int i) {
        return v.getInt(TileLayout.HEAD_MODELS_AT) + i * TileLayout.MODEL_BYTES;
    }

    private static String labelOf(ByteBuffer v, int i) {
        int at = modelAt(v, i);
        int first = v.getInt(TileLayout.HEAD_LABELS_AT)
                + 2 * v.getInt(at + TileLayout.MODEL_LABEL_FIRST);
        char[] text = new char[v.getInt(at + TileLayout.MODEL_LABEL_LENGTH)];
        for (int c = 0; c < text.length; ++c) {
            text[c] = v.getChar(first + 2 * c);
        }
        return new String(text);
    }

    private static void check(int i, int count) {
        if (i < 0 || i >= count) {
            throw new IndexOutOfBoundsException("entry " + i + " of " + count);
        }
    }
}
