package quorvan.meshory;

import java.util.Arrays;

/**
 * How a host paints its layers, in order, the last painted on top: what {@link Tile#pick} replays
 * for one pixel. For each layer: which kinds it draws ({@link #TRIANGLES}, {@link #LINES},
 * {@link #POINTS}), whether with the depth test ({@link #DEPTH}), and its line width and point
 * size in pixels. Layers not listed are neither drawn nor picked.
 *
 * <p>A flat layer (no depth test) paints over whatever is there: its last hit wins over all
 * painted before. A depth-tested layer wins only where it is nearer than what depth-tested layers
 * left (flat layers write no depth); on equal depth the first drawn stays. Within a layer the
 * painting goes kind by kind (triangles, lines, points), tile by tile, model by model. Immutable.
 */
public final class PaintOrder {
    /** The layer's triangles are drawn; they are met by the pick ray. */
    public static final int TRIANGLES = 1;
    /** Its line segments are drawn, {@code lineWidthPx} wide. */
    public static final int LINES = 2;
    /** Its points are drawn, {@code pointSizePx} across. */
    public static final int POINTS = 4;
    /** Drawn with the depth test and depth writes. */
    public static final int DEPTH = 8;
    /** Pixels added around segments and points within which a pick meets them, unless set. */
    public static final float DEFAULT_TOLERANCE_PX = 3f;

    final int[] layers;  // id, flags per layer
    final float[] sizes;  // line width, point size per layer
    final float tolerancePx;

    private PaintOrder(int[] layers, float[] sizes, float tolerancePx) {
        this.layers = layers;
        this.sizes = sizes;
        this.tolerancePx = tolerancePx;
    }

    /** An empty order, to which {@link Builder#layer} adds layers in painting order. */
    public static Builder builder() {
        return new Builder();
    }

    /** Layers painted, in order. */
    public int size() {
        return layers.length / 2;
    }

    /** Builds a paint order. */
    public static final class Builder {
        private int[] layers = new int[0];
        private float[] sizes = new float[0];
        private float tolerancePx = DEFAULT_TOLERANCE_PX;

        private Builder() {}

        /**
         * Paints layer {@code layerId} next, on top of those before.
         *
         * @param flags {@link #TRIANGLES}, {@link #LINES}, {@link #POINTS}, {@link #DEPTH} or'ed
         * @throws IllegalArgumentException for other flag bits
         */
        public Builder layer(int layerId, int flags, float lineWidthPx, float pointSizePx) {
            if ((flags & ~(TRIANGLES | LINES | POINTS | DEPTH)) != 0) {
                throw new IllegalArgumentException("unknown paint flags " + flags);
            }
            int n = layers.length;
            layers = Arrays.copyOf(layers, n + 2);
            layers[n] = layerId;
            layers[n + 1] = flags;
            sizes = Arrays.copyOf(sizes, n + 2);
            sizes[n] = lineWidthPx;
            sizes[n + 1] = pointSizePx;
            return this;
        }

        /** Pixels around segments and points within which a pick meets them. */
        public Builder tolerance(float pixels) {
            tolerancePx = pixels;
            return this;
        }

        /** The order. */
        public PaintOrder build() {
            return new PaintOrder(layers.clone(), sizes.clone(), tolerancePx);
        }
    }
}
