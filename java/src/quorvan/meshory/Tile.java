package quorvan.meshory;

import cpp.geometry.Meshory;
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
    private final int[] layout;

    Tile(ModelMaker maker, long handle) {
        this.maker = maker;
        object = new NativeObject(this, "tile", handle, maker.object,
                NativeObject.freedThrough(maker.object, Meshory::disposeTile));
        try {
            layout = Meshory.tileLayout(handle);
        } catch (RuntimeException | Error e) {
            object.close();
            throw e;
        }
    }

    /** The flags it was built with. */
    public int flags() { return head(6); }

    /** Vertices of the block. */
    public int vertexCount() { return head(5); }

    /** Floats {@link #write} puts: three per vertex. */
    public int floatCount() { return 3 * vertexCount(); }

    /** The first vertex of the line section. */
    public int linesFirst() { return head(2); }

    /** The first vertex of the point section. */
    public int pointsFirst() { return head(3); }

    /**
     * The first normal: triangle vertex {@code v} has its normal at vertex {@code normalsFirst() +
     * v}.
     */
    public int normalsFirst() { return head(4); }

    /** The buckets, in the order the tile met their layers. */
    public List<Bucket> buckets() {
        int count = head(0);
        return new AbstractList<>() {
            @Override
            public Bucket get(int i) {
                int at = at(i, count, Meshory.TILE_HEAD, Meshory.TILE_BUCKET);
                return new Bucket(layout[at], layout[at + 1], layout[at + 2], layout[at + 3],
                    layout[at + 4], layout[at + 5], layout[at + 6], layout[at + 7], layout[at + 8]);
            }

            @Override
            public int size() {
                return count;
            }
        };
    }

    /** The models, grouped by bucket, in request order inside each. */
    public List<TileModel> models() {
        int count = head(1);
        int first = Meshory.TILE_HEAD + head(0) * Meshory.TILE_BUCKET;
        return new AbstractList<>() {
            @Override
            public TileModel get(int i) {
                int at = at(i, count, first, Meshory.TILE_MODEL);
                long id = (layout[at] & 0xFFFFFFFFL) | ((long) layout[at + 1] << 32);
                return new TileModel(id, layout[at + 2], layout[at + 3],
                    Float.intBitsToFloat(layout[at + 4]), layout[at + 5], layout[at + 6],
                    layout[at + 7], layout[at + 8], layout[at + 9], layout[at + 10],
                    layout[at + 11], layout[at + 12], Float.intBitsToFloat(layout[at + 13]),
                    Float.intBitsToFloat(layout[at + 14]), Float.intBitsToFloat(layout[at + 15]),
                    Float.intBitsToFloat(layout[at + 16]));
            }

            @Override
            public int size() {
                return count;
            }
        };
    }

    /** The label of model {@code i}; bytes that are not UTF-8 come back as U+FFFD. */
    public String label(int i) {
        at(i, head(1), 0, 0);
        return use(tile -> Meshory.tileLabel(tile, i));
    }

    /**
     * Puts the whole block into {@code out} at its position, which advances: a direct buffer in
     * native byte order, as OpenGL bindings take it, filled by the library with no copy in
     * between; it goes to {@code glBufferData} as it is.
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
        object.checkOpen();
        maker.object.checkOpen();
        return layout[field];
    }

    // Where entry i of a table of `count` entries of `size` ints starting at `first` lies.
    private int at(int i, int count, int first, int size) {
        if (i < 0 || i >= count) {
            throw new IndexOutOfBoundsException("entry " + i + " of " + count);
        }
        object.checkOpen();
        maker.object.checkOpen();
        return first + i * size;
    }
}
