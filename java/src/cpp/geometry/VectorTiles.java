package cpp.geometry;

import java.nio.ByteBuffer;
import java.util.Objects;

/**
 * Mapbox Vector Tiles as the host sees them: a tile's bytes become a built tile (a handle that
 * {@link Meshory#tileLayout}, {@link Meshory#tileInto} and {@link Meshory#disposeTile} take) in one
 * call, through a mapping that says which features become which geometry.
 *
 * <p>Mapping handle 0 stands for the library's default mapping (the sample's schema, Mapbox
 * Streets v7); any other must be a live handle of {@link #loadMapping}, ended once with {@link
 * #disposeMapping}. A mapping is never changed after loading, so it may serve any number of
 * makers on any threads at once.
 */
public final class VectorTiles {
    static {
        NativeLoader.load();
    }

    private VectorTiles() {}

    /**
     * Loads a mapping document (UTF-8 bytes).
     *
     * @throws IllegalArgumentException naming the fault and its byte offset when the document is
     *     refused
     */
    public static native long loadMapping(byte[] document);

    /** Frees a mapping; 0 does nothing. */
    public static native void disposeMapping(long mapping);

    /**
     * The width in metres of a tile of zoom {@code z} on the ground at the latitude of tile row
     * {@code row + 0.5}: the sample's world unit.
     */
    public static native double groundTileSize(int z, double row);

    /**
     * Builds the tile whose bytes are {@code tile[offset, offset + length)} into a tile the maker
     * owns, in one call: the tile covers [originX, originX + size] x [originY, originY + size] of
     * the world, its records take the cell index and ids from {@code firstId} on.
     *
     * @throws IllegalArgumentException when the tile is malformed (the message names the byte
     *     offset), the size is not above 0, the size or origin lies beyond 1e9 units, or the
     *     range lies outside the array; nothing is built then
     */
    public static long makeTile(long maker, byte[] tile, int offset, int length, double originX,
            double originY, double size, int cellIndex, long firstId, long mapping, int flags) {
        Objects.requireNonNull(tile, "tile");
        Objects.checkFromIndexSize(offset, length, tile.length);
        return tileFromArray(maker, tile, offset, length, originX, originY, size, cellIndex,
                firstId, mapping, flags);
    }

    /**
     * makeTile over the bytes of a direct buffer from its position to its limit, read in place
     * (the position does not move).
     */
    public static long makeTile(long maker, ByteBuffer tile, double originX, double originY,
            double size, int cellIndex, long firstId, long mapping, int flags) {
        Objects.requireNonNull(tile, "tile");
        if (!tile.isDirect()) {
            throw new IllegalArgumentException("tile must be a direct buffer or a byte[]");
        }
        int position = tile.position();
        return tileFromBuffer(maker, tile, position, tile.limit() - position, originX, originY,
                size, cellIndex, firstId, mapping, flags);
    }

    private static native long tileFromArray(long maker, byte[] tile, int offset, int length,
            double originX, double originY, double size, int cellIndex, long firstId, long mapping,
            int flags);

    private static native long tileFromBuffer(long maker, ByteBuffer tile, int position,
            int length, double originX, double originY, double size, int cellIndex, long firstId,
            long mapping, int flags);
}
