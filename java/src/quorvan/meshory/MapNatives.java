package quorvan.meshory;

import cpp.geometry.NativeLoader;
import java.nio.FloatBuffer;

/**
 * The natives of the map core: picking and label selection over tiles through a camera. Handles
 * are live tiles and a live camera, held open by the caller for the call.
 */
final class MapNatives {
    static {
        NativeLoader.load();
    }

    private MapNatives() {}

    /** Values of a pick: tile, model, kind, x, y, z (model space), window depth. */
    static final int PICK_VALUES = 7;
    /** Floats per selected label: window x, y (from the bottom) and angle. */
    static final int LABEL_FLOATS = 3;

    /**
     * The model drawn under screen point (x, y from the top), or null.
     *
     * @param origins x, y per tile
     * @param layers layer id and flags per painted layer, in paint order
     * @param sizes line width and point size in pixels per painted layer
     */
    static native double[] pick(long[] tiles, double[] origins, long camera, float x, float y,
            int[] layers, float[] sizes, float tolerancePx);

    /**
     * The labels to draw: tile and model per label, in placement order; {@value #LABEL_FLOATS}
     * floats per label into {@code out} at element {@code position} (it does not move).
     *
     * @param sizes width and height in pixels per model, the tiles' models one after another
     * @param priorities one per model likewise, or null for the default
     * @param layers the label layers drawn; empty for all
     */
    static native int[] selectLabels(long[] tiles, double[] origins, long camera, int[] layers,
            float[] sizes, float[] priorities, FloatBuffer out, int position, int room);
}
