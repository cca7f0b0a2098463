package quorvan.meshory;

import java.nio.file.Path;
import java.util.Optional;
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

    /**
     * Loads the document at {@code file}; one that cannot be read or parsed gives an empty list.
     */
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

    /**
     * A colour: r, g, b in 0..1, and the opacity as the document writes it (0 when it gives none).
     */
    public record Rgba(float r, float g, float b, float a) {}

    /**
     * The drawing properties of one layer, as the SLD document gives them. A scale denominator
     * below 0 sets no limit; the others bound the camera height of {@link #visibleLayerIds} ("min"
     * from above, "max" from below, both inclusive).
     */
    public record Style(String name, int layerId, int zOrder, boolean view3d, Rgba fill,
            Rgba stroke, float strokeWidth, float strokeDasharray, float fillWidth,
            float graphicSize, int fontSize, int minScaleDenominator, int maxScaleDenominator,
            int minLabelScaleDenominator, int maxLabelScaleDenominator, int documentIndex) {}

    /**
     * The style of geometry layer {@code layerId} (the first in drawing order when several name
     * it), or empty when none does.
     */
    public Optional<Style> style(int layerId) {
        int[] i = new int[SldStyles$.STYLE_INTS];
        float[] f = new float[SldStyles$.STYLE_FLOATS];
        long list = object.acquire();
        String name;
        try {
            synchronized (object.calls) {
                name = NATIVE.style(list, layerId, i, f);
            }
        } finally {
            object.release();
        }
        if (name == null) {
            return Optional.empty();
        }
        return Optional.of(new Style(name, layerId, i[0], i[1] != 0,
                new Rgba(f[0], f[1], f[2], f[3]), new Rgba(f[4], f[5], f[6], f[7]), f[8], f[9],
                f[10], f[11], i[6], i[2], i[3], i[4], i[5], i[7]));
    }

    /** The document's background colour; its opacity is 0 when the document gives none. */
    public Rgba background() {
        long list = object.acquire();
        float[] c;
        try {
            synchronized (object.calls) {
                c = NATIVE.backgroundColor(list);
            }
        } finally {
            object.release();
        }
        return new Rgba(c[0], c[1], c[2], c[3]);
    }

    /** Frees the list; a second call does nothing. */
    @Override
    public void close() {
        object.close();
    }

    private int[] query(LongFunction<int[]> body) {
        long list = object.acquire();
        try {
            synchronized (object.calls) {
                return body.apply(list);
            }
        } finally {
            object.release();
        }
    }
}
