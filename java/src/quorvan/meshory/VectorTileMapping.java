package quorvan.meshory;

import cpp.geometry.VectorTiles;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;

/**
 * Which vector-tile features become which geometry: a mapping document, loaded once and used for
 * any number of tiles ({@link ModelMaker#makeTile(byte[], TilePlacement, VectorTileMapping,
 * int)}). A mapping never changes, so any threads may use one at once. Where a call takes a
 * mapping, null stands for the library's default (the sample's schema, Mapbox Streets v7).
 */
public final class VectorTileMapping implements AutoCloseable {
    final NativeObject object;

    private VectorTileMapping(long handle) {
        object = new NativeObject(this, "vector tile mapping", handle, VectorTiles::disposeMapping);
    }

    /**
     * Loads a mapping document.
     *
     * @throws IllegalArgumentException naming the fault and its byte offset in the UTF-8 document
     */
    public static VectorTileMapping parse(String document) {
        byte[] utf8 = document.getBytes(StandardCharsets.UTF_8);
        return new VectorTileMapping(VectorTiles.loadMapping(utf8));
    }

    /** Loads the mapping document in {@code file}, as {@link #parse} does. */
    public static VectorTileMapping load(Path file) throws IOException {
        return new VectorTileMapping(VectorTiles.loadMapping(Files.readAllBytes(file)));
    }

    /** Frees the mapping; a second call does nothing. */
    @Override
    public void close() {
        object.close();
    }
}
