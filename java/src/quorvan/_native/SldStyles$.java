package quorvan._native;

import cpp.geometry.NativeLoader;

/**
 * SLD style lists as the host sees them, shaped as a Scala {@code object}: the natives are
 * instance methods of the singleton {@link #MODULE$}, so Scala code calls them as
 * {@code SldStyles.handleFromFile(path)} and Java code as
 * {@code SldStyles$.MODULE$.handleFromFile(path)}.
 *
 * <p>A list travels as a handle (its native address in a {@code long}); 0 stands for no list.
 * Queries on handle 0 return an empty array, and destroying 0 does nothing. Layer ids come in
 * drawing order (ascending z-order) and are not de-duplicated.
 */
public final class SldStyles$ {
    public static final SldStyles$ MODULE$ = new SldStyles$();

    static {
        NativeLoader.load();
    }

    private SldStyles$() {}

    /**
     * Loads the SLD document at {@code path} into a new list. A document that cannot be read or
     * parsed still gives a valid handle, to an empty list; a null path is read as an empty one.
     */
    public native long handleFromFile(String path);

    /** Destroys a list. Each handle must be destroyed exactly once; 0 does nothing. */
    public native void destroyHandle(long handle);

    /** Geometry layer ids of the styles visible at the camera height. */
    public native int[] visibleLayerIds(long handle, float height);

    /** Geometry layer ids of the styles drawn in 3D. */
    public native int[] all3dLayers(long handle);

    /** Geometry layer ids of every style of the list. */
    public native int[] allLayers(long handle);
}
