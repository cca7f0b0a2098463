package quorvan.meshory;

import java.nio.file.Path;
import java.util.function.LongFunction;
import quorvan._native.SldStyles$;

/**
 * The styles of an SLD document. Layer ids come in drawing order (ascending z-order) and are not
 * de-duplicated. Calls on one list are serialised, so a list may be shared between threads.
 */
public final class StyleList implements AutoCloseable {
    private static final SldStyles$ NATIVE = SldStyles$.MODULE$;
    private final NativeObject object;

    private StyleList(long handle) {
        object = new NativeObject(this, "style list", handle, NATIVE::destroyHandle);
    }

    /** Loads the document at {@code file}; one that cannot be read or parsed gives an empty list. */
    public static StyleList load(Path file) {
        return new StyleList(NATIVE.handleFromFile(file.toString()));
    }

    /** Geometry layer ids of the styles visible at the camera height. */
    public int[] visibleLayerIds(float height) {
        return query(list -> NATIVE.visibleLayerIds(list, height));
    }

    /** Geometry layer ids of the styles drawn in 3D. */
    public int[] layers3d() {
        return query(NATIVE::all3dLayers);
    }

    /** Geometry layer ids of every style of the list. */
    public int[] layers() {
        return query(NATIVE::allLayers);
    }

    /** Frees the list; a second call does nothing. */
    @Override
    public void close() {
        object.close();
    }

    private int[] query(LongFunction<int[]> body) {
        long list = object.acquire();
        try {
            synchronized (object) {
                return body.apply(list);
            }
        } finally {
            object.release();
        }
    }
}
