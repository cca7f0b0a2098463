package quorvan.meshory;

import java.nio.BufferOverflowException;
import java.nio.ByteOrder;
import java.nio.FloatBuffer;
import java.nio.ReadOnlyBufferException;
import java.util.List;

/**
 * Which labels a frame draws, and where, in one call per frame: the library's one rule, shared
 * with its other hosts. Place names (labels that stand level) go first, then road names, the
 * longest road first, otherwise in tile and model order; a label whose box would overlap one
 * already kept is left out (boxes that only touch do not overlap); a text is kept once per map
 * cell. Boxes are the sizes the host measured with its own font, centred on the label's anchor
 * and turned by its angle on the screen. The same tiles, camera and sizes always give the same
 * answer.
 */
public final class LabelSelection {
    /** Floats {@link #select} puts per label: window x, y and the angle. */
    public static final int FLOATS_PER_LABEL = MapNatives.LABEL_FLOATS;

    private LabelSelection() {}

    /**
     * The labels of {@code tiles} that a frame of {@code camera} draws. A model counts when it has
     * a label, its layer is in {@code layers} (any layer when empty), its measured width and
     * height are positive, its label position lies between the near and far plane and its box
     * reaches into the viewport.
     *
     * <p>For each label chosen, in placement order, {@link #FLOATS_PER_LABEL} floats go into
     * {@code out} at its position, which advances: the box's centre in window pixels (x from the
     * left, y from the bottom, as {@link Camera#project} gives them) and its angle in degrees,
     * counter-clockwise (a road name runs along its road as the camera shows it, kept readable
     * within ±90; a place name stands upright, 0).
     *
     * @param origins x, y per tile: what its vertices are relative to, in model space
     * @param sizes the width and height in pixels of each model's label as the host draws it:
     *     two floats per model, the first tile's models, then the second's, and so on (models
     *     past its end draw no label)
     * @param priorities one per model likewise, replacing the default (0 place names, 1 road
     *     names; lower first), or null
     * @return per label chosen, the tile's index in {@code tiles} and the model's in its {@link
     *     Tile#models}: two ints per label
     * @throws IllegalArgumentException if {@code origins} does not hold two values per tile, or
     *     {@code out} is not direct in native byte order
     * @throws ReadOnlyBufferException if {@code out} is read-only
     * @throws BufferOverflowException if {@code out} has too little room for the labels chosen;
     *     nothing is put then
     * @throws IllegalStateException when a tile, its maker or the camera is closed
     */
    public static int[] select(List<Tile> tiles, double[] origins, Camera camera, int[] layers,
            float[] sizes, float[] priorities, FloatBuffer out) {
        if (origins.length != 2 * tiles.size()) {
            throw new IllegalArgumentException("two origin values per tile");
        }
        if (!out.isDirect() || out.order() != ByteOrder.nativeOrder()) {
            throw new IllegalArgumentException(
                "label buffer must be a direct buffer in native byte order");
        }
        if (out.isReadOnly()) {
            throw new ReadOnlyBufferException();
        }
        int position = out.position();
        int room = out.limit() - position;
        int[] chosen = Tile.useAll(tiles, handles -> camera.read(c -> MapNatives.selectLabels(
            handles, origins, c, layers, sizes, priorities, out, position, room)));
        out.position(position + FLOATS_PER_LABEL * (chosen.length / 2));
        return chosen;
    }
}
