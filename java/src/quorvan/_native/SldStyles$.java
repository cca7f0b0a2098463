package quorvan._native;

import cpp.geometry.NativeLoader;

/**
 * SLD style lists as the host sees them. The class has the shape scalac gives an
 * {@code object SldStyles}: the natives are instance methods of the singleton {@link #MODULE$}
 * (called as {@code SldStyles$.MODULE$.allLayers(handle)}), so the library binds the same
 * native names whether the host declares them in Scala or uses this class.
 *
 * <p>A list travels as a handle (its native address in a {@code long}); 0 stands for no list.
 * Queries on handle 0 return an empty array, and destroying 0 does nothing. Layer ids come in
 * drawing order (ascending z-order) and are not de-duplicated.
 */
public final class SldStyles$ {
    static {
        NativeLoader.load();
    }

    public static final SldStyles$ MODULE$ = new SldStyles$();

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
