package quorvan.meshory;

import cpp.geometry.Meshory;
import java.nio.ByteBuffer;

/**
 * A model maker: turns batches of blobs into {@link Model}s and owns them. Closing the maker frees
 * every model it still holds; those models then throw {@link IllegalStateException} when used.
 *
 * <p>The maker serialises its own natives (they must not overlap), so it may be shared between
 * threads; to build in parallel, give each thread a maker of its own. Its models' and tiles'
 * queries never wait for its builds.
 */
public final class ModelMaker implements AutoCloseable {
    final NativeObject object;

    /** Creates an empty maker. */
    public ModelMaker() {
        object = new NativeObject(this, "model maker", Meshory.contsruct(), Meshory::dispose);
    }

    /**
     * Builds one model from a batch, relative to the origin (x, y, 0), wanting text variant 0. The
     * model takes id, cell and layer from the first blob. When nothing is built (no blob, or no
     * blob of a type with a builder) the model {@link Model#isEmpty is empty}.
     *
     * @throws IllegalStateException when the maker or the batch is closed
     */
    public Model makeModel(Blobs blobs, double x, double y) {
        long[] handles = blobs.acquireHandles();
        try {
            return make(handles, x, y);
        } finally {
            blobs.releaseHandles();
        }
    }

    /**
     * Builds one model from single blobs, as {@link #makeModel(Blobs, double, double)} does.
     *
     * @throws IllegalStateException when the maker or any of the blobs is closed
     */
    public Model makeModel(double x, double y, Blob... blobs) {
        long[] handles = new long[blobs.length];
        int held = 0;
        try {
            for (Blob blob : blobs) {
                handles[held] = blob.object.acquire();
                ++held;
            }
            return make(handles, x, y);
        } finally {
            for (int i = 0; i < held; ++i) {
                blobs[i].object.release();
            }
        }
    }

    private Model make(long[] blobHandles, double x, double y) {
        long maker = object.acquire();
        try {
            long model;
            synchronized (object.calls) {
                model = Meshory.makeModel(maker, blobHandles, x, y);
            }
            return new Model(this, model);
        } finally {
            object.release();
        }
    }

    /**
     * Builds every model request of a map tile in one native call, into a {@link Tile} laid out
     * in layer buckets. The tile's records lie in one direct buffer from its position, in the blob
     * layout of {@link Blobs#read} (the position does not move); request {@code r} is the {@code
     * requests[2r + 1]} records from record {@code requests[2r]} on, with origin ({@code
     * origins[2r]}, {@code origins[2r + 1]}), and is built exactly as {@link #makeModel} builds
     * those records. The records are read in place during the call; no blob is made. Requests may
     * name any records, again or in any order. A request that builds nothing makes no model.
     *
     * <p>Native code reads the records in place. For a {@link java.nio.MappedByteBuffer} that is
     * the file itself: if another process truncates the file during the call, reading the lost
     * pages raises SIGBUS, which ends the JVM. When the file may change, copy the records into a
     * direct buffer of your own first, as {@link Blobs#read} explains.
     *
     * <p>The maker owns the tile, as it owns its models: closing the maker frees it too, and a
     * closed tile's storage serves the next one, so a warm maker asks the system for no memory.
     * Building is serialised with the maker's other calls.
     *
     * @param flags {@link Tile#SKIP_ZERO_AREA}, {@link Tile#NORMALS}, {@link Tile#BRIDGE_BANDS},
     *     any of them together, or 0
     * @throws IllegalArgumentException if the buffer is not direct, the arrays are odd or differ in
     *     length, a count is negative, a record runs past the limit, a request names a record past
     *     the last, or the flags are unknown; nothing is built then
     * @throws IllegalStateException when the maker is closed
     */
    public Tile makeTile(ByteBuffer records, int recordCount, int[] requests, double[] origins,
            int flags) {
        long maker = object.acquire();
        try {
            long tile;
            synchronized (object.calls) {
                tile = Meshory.makeTile(maker, records, recordCount, requests, origins, flags);
            }
            return new Tile(this, tile);
        } finally {
            object.release();
        }
    }

    /**
     * Builds a Mapbox Vector Tile in one native call, into a {@link Tile} as {@link
     * #makeTile(ByteBuffer, int, int[], double[], int)} builds it from the tile's records: the
     * mapping (null: the default) says which features become which geometry and layer, the
     * placement where the tile lies in the world. Features are clipped to the tile; flat areas get
     * no outline where the tile cut them.
     *
     * @param flags {@link Tile#SKIP_ZERO_AREA}, {@link Tile#NORMALS}, both, or 0
     * @throws IllegalArgumentException if the tile is malformed (the message names the byte
     *     offset), the placement's size is not above 0, its size or origin lies beyond 1e9 units,
     *     or the flags are unknown; nothing is built then
     * @throws IllegalStateException when the maker or the mapping is closed
     */
    public Tile makeTile(byte[] tile, TilePlacement placement, VectorTileMapping mapping,
            int flags) {
        return makeVectorTile(placement, mapping, (maker, map, p) ->
                cpp.geometry.VectorTiles.makeTile(maker, tile, 0, tile.length, p.originX(),
                        p.originY(), p.size(), p.cellIndex(), p.firstId(), map, flags));
    }

    /**
     * {@link #makeTile(byte[], TilePlacement, VectorTileMapping, int)} over the bytes of a direct
     * buffer from its position to its limit, read in place (the position does not move).
     */
    public Tile makeTile(ByteBuffer tile, TilePlacement placement, VectorTileMapping mapping,
            int flags) {
        return makeVectorTile(placement, mapping, (maker, map, p) ->
                cpp.geometry.VectorTiles.makeTile(maker, tile, p.originX(), p.originY(), p.size(),
                        p.cellIndex(), p.firstId(), map, flags));
    }

    private interface VectorTileCall {
        long build(long maker, long mapping, TilePlacement placement);
    }

    private Tile makeVectorTile(TilePlacement placement, VectorTileMapping mapping,
            VectorTileCall call) {
        java.util.Objects.requireNonNull(placement, "placement");
        long maker = object.acquire();
        try {
            long map = mapping == null ? 0 : mapping.object.acquire();
            try {
                long tile;
                synchronized (object) {
                    tile = call.build(maker, map, placement);
                }
                return new Tile(this, tile);
            } finally {
                if (mapping != null) {
                    mapping.object.release();
                }
            }
        } finally {
            object.release();
        }
    }

    /**
     * Bounds the bytes of released models' storage that the maker keeps to build its next models
     * in (64 MiB unless set; 0 keeps none), so that a long-running host's requests do not ask the
     * kernel for fresh memory each time. Lowering it frees what no longer fits.
     *
     * @throws IllegalArgumentException when {@code bytes} is negative
     */
    public void storageBudget(long bytes) {
        long maker = object.acquire();
        try {
            synchronized (object.calls) {
                Meshory.setStorageBudget(maker, bytes);
            }
        } finally {
            object.release();
        }
    }

    /** Frees the maker and every model it still holds; a second call does nothing. */
    @Override
    public void close() {
        object.close();
    }
}
