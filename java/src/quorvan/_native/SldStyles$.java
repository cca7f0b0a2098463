package quorvan._native;

import cpp.geometry.NativeLoader;
import java.io.IOException;

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

    /**
     * Loads the SLD document at {@code path} into a new list, as {@link #handleFromFile} does, but
     * refuses a document that cannot be read or parsed, saying why (pugixml's status, and for a
     * malformed document the byte offset where parsing stopped). A path holding U+0000 names no
     * file.
     *
     * @throws NullPointerException if {@code path} is null
     * @throws java.io.FileNotFoundException if no file has that name
     * @throws IOException if the name is not a regular file or cannot be read
     * @throws IllegalArgumentException if the document is not well-formed XML
     */
    public native long openFile(String path) throws IOException;

    /**
     * Whether the document gives the opacities of the style {@link #style} answers for {@code
     * layerId}: bit 1 for the fill's ("fill-opacity"), bit 2 for the stroke's ("stroke-opacity").
     * {@link #style} reads an opacity not given as 0; SLD's default is 1. -1 when no style has that
     * layer id or the handle is 0.
     */
    public native int opacityGiven(long handle, int layerId);

    /** Destroys a list. Each handle must be destroyed exactly once; 0 does nothing. */
    public native void destroyHandle(long handle);

    /** Geometry layer ids of the styles visible at the camera height. */
    public native int[] visibleLayerIds(long handle, float height);

    /** Geometry layer ids of the styles drawn in 3D. */
    public native int[] all3dLayers(long handle);

    /** Geometry layer ids of every style of the list. */
    public native int[] allLayers(long handle);

    /** Ints {@link #style} writes. */
    public static final int STYLE_INTS = 8;
    /** Floats {@link #style} writes. */
    public static final int STYLE_FLOATS = 12;

    /**
     * The style record that governs geometry layer {@code layerId}: the first such in drawing
     * order. Writes its numbers into the caller's arrays and returns its name (empty when the
     * document gives none), or returns null, writing nothing, when no style has that layer id or
     * the handle is 0.
     *
     * <p>{@code ints}, {@value #STYLE_INTS} of them: z-order, 3D (1) or not (0), min and max scale
     * denominators, min and max label scale denominators (negative: no limit; the camera heights
     * of {@link #visibleLayerIds} are compared with them), font size, position in the document.
     *
     * <p>{@code floats}, {@value #STYLE_FLOATS} of them: fill r, g, b, opacity; stroke r, g, b,
     * opacity (r, g, b in 0..1, opacity as written, 0 when the document gives none); stroke width,
     * stroke dash array (its first number), fill width, graphic size.
     *
     * @throws NullPointerException if an array is null
     * @throws IllegalArgumentException if an array is shorter than its count; nothing is written
     */
    public native String style(long handle, int layerId, int[] ints, float[] floats);

    /**
     * The document's background colour: r, g, b, opacity (from the root's "background-color" and
     * "background-opacity"; (0, 0, 0, 0) when it gives none). Handle 0 gives an empty array.
     */
    public native float[] backgroundColor(long handle);
}
